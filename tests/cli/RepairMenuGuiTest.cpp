// The "[...]" menu's two repairs through the window: every line mended with one summary box,
// the window busy until it is answered, and the folder picked in the folder dialog, which a
// program without the publisher's key does not offer.
#include "Input.h"
#include "LibServerControl.h"
#include "RemoteMemory.h"
#include "RepairMachine.h"

#include <gtest/gtest.h>

#include <shlobj.h>

using namespace gui;
using namespace kestrova_test;

namespace {

// One line to download (an outdated KORDAN.DLL in the system folder) and, with `unregistered`,
// one to register (RICHTX32.OCX); every other line in order.
class TTwoLines : public TCraftedMachine {
public:
    TTwoLines() : TCraftedMachine({"KORDAN.DLL", "RICHTX32.OCX"}) {
        Place("noversion", "KORDAN.DLL", SystemDirectory());
        Register("RICHTX32.OCX", "");
        Place("good", "RICHTX32.OCX", Here());
        ResetServer();
    }
};

// Waits for the summary, checks the window stays busy while it shows, answers it, and checks
// both lines are in order and the system folder holds the good KORDAN.DLL. (Wine answers for
// its own libraries with its own versions, so their lines stay as they were whatever is
// placed: the summary names them.)
void ExpectBothMended(TKestrova& app) {
    const auto box = app.WaitForMessageBox(60000);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->Text.rfind("Reparación terminada", 0), 0u) << box->Text;
    for (const char* name : {"KORDAN.DLL", "RICHTX32.OCX"})
        EXPECT_EQ(box->Text.find(name), std::string::npos) << box->Text;
    for (int id :
         {IDC_LLIBRERIAS, IDC_BTNEXTRA, IDC_CMDDESCARGAR, IDC_CMDREGISTRAR, IDC_CMDREREGISTRAR})
        EXPECT_FALSE(app.IsEnabled(id)) << id << " usable while the repair's box shows";
    ASSERT_TRUE(PressButton(*box, "OK"));
    EXPECT_TRUE(WaitUntil([&] { return app.IsEnabled(IDC_BTNEXTRA); }));
    EXPECT_TRUE(app.IsEnabled(IDC_LLIBRERIAS));
    for (const char* name : {"KORDAN.DLL", "RICHTX32.OCX"})
        EXPECT_EQ(app.Lines()[IndexOf(name)], Line(name, STATUS_OK));
    EXPECT_TRUE(ReadWholeFile(JoinPath(SystemDirectory(), "KORDAN.DLL")) ==
                ReadWholeFile(StandInPath("good", "KORDAN.DLL")));
}

} // namespace

TEST(RepairMenu, RepairAllMendsEveryLineFromTheServer) {
    TTwoLines machine;
    TKestrova app(machine.Here());
    ASSERT_NE(app.OpenMenu(), nullptr);
    ASSERT_TRUE(app.PickMenuItem(TMenuItem::RepairAll));
    ExpectBothMended(app);
    EXPECT_EQ(ServerRequestCount("KORDAN.DLL"), 1);
}

// Run again against a program with the publisher's key (scripts/test.sh); without one the
// item is grayed and opens nothing.
TEST(RepairMenu, RepairsFromAFolderPickedInTheFolderDialog) {
    TTwoLines machine;
    // On C:'s root: Wine's folder dialog selects a folder given by its path one level deep
    // only.
    const std::string folder = "C:\\librerías de prueba " + std::to_string(GetCurrentProcessId());
    struct TRemoved {
        std::string Path;
        ~TRemoved() { RemoveTree(Path); }
    } removed{folder};
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    for (const char* file : {"KORDAN.DLL", "KORDAN.DLL.sig"})
        machine.Copy(StandInPath("good", file), JoinPath(folder, file));
    TKestrova app(machine.Here());
    ASSERT_NE(app.OpenMenu(), nullptr);
    ASSERT_TRUE(app.PickMenuItem(TMenuItem::RepairFromFolder));
    if (Env("KESTROVA_PUBLISHER_KEYED").empty()) {
        EXPECT_EQ(WaitForDialogWithButton(app.Process().Id(), IDCANCEL, 1500), nullptr)
            << "a grayed item opened the folder dialog";
        EXPECT_TRUE(app.NoMessageBoxWithin(500));
        return;
    }
    HWND dialog = WaitForDialogWithButton(app.Process().Id(), IDCANCEL);
    ASSERT_NE(dialog, nullptr);
    // The folder, selected in the dialog's tree as the program itself could select it.
    char path[MAX_PATH] = {};
    folder.copy(path, sizeof path - 1);
    SendPointingAt(dialog, BFFM_SETSELECTIONA, TRUE, path);
    ASSERT_TRUE(BringToFront(dialog));
    Click(GetDlgItem(dialog, IDOK));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    ExpectBothMended(app);
    EXPECT_EQ(ServerRequestCount("KORDAN.DLL"), 0) << "fetched from the server";
}
