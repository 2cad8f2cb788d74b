// The download button on a real window under Wine, against the loopback library server:
// where the library goes, every question and message on the way, the stop button, and
// that a failed, stopped or abandoned transfer leaves the old copy exactly as it was.
#include "GuiScenario.h"
#include "LibServerControl.h"

#include <gtest/gtest.h>

using namespace gui;
using kestrova_test::ReadWholeFile;

namespace {

const std::string FALLBACK = "\n\rSe intentará descargar en la carpeta del programa.";
const std::string CANNOT = "No es posible descargar la librería!";

std::string Question(const std::string& file) {
    return "La librería " + file + " ya existe.\n\r¿Está seguro que desea reemplazarla?";
}

// Waits for the next box, checks its text (and that it is the plain box or the question),
// then presses `button`.
void Answer(TKestrova& app, const std::string& text, const std::string& button = "OK") {
    const auto box = app.WaitForMessageBox(15000);
    ASSERT_TRUE(box) << "no box for: " << text;
    EXPECT_EQ(box->Text, text);
    if (button == "OK") {
        EXPECT_EQ(box->Title, "Kestrova");
    } else {
        EXPECT_EQ(box->Title, "Warning");
        EXPECT_EQ(box->Buttons, (std::vector<std::string>{"&Yes", "&No"}));
    }
    EXPECT_TRUE(PressButton(*box, button));
}

void SetForceHere(TKestrova& app) {
    ASSERT_TRUE(app.OpenMenu());
    ASSERT_TRUE(app.PickMenuItem(TMenuItem::ForceHere));
    ASSERT_EQ(app.ForceHereChecked(), std::optional<bool>(true));
}

void StartDownload(TKestrova& app, const std::string& name) {
    ASSERT_TRUE(app.SelectLine(IndexOf(name)));
    ASSERT_TRUE(WaitUntil([&] { return app.IsEnabled(IDC_CMDDESCARGAR); }));
    app.Press(IDC_CMDDESCARGAR);
}

std::string Good(const std::string& name) {
    return ReadWholeFile(kestrova_test::StandInPath("good", name));
}

// A file the test makes in a shared folder (temp.chk in the system directory), removed at
// scope end whatever happens.
struct TScopedFile {
    std::string Path;
    explicit TScopedFile(std::string path) : Path(std::move(path)) {
        HANDLE h = CreateFileA(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create " + Path);
        CloseHandle(h);
    }
    ~TScopedFile() {
        SetFileAttributesA(Path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(Path.c_str());
    }
};

// Read-only for the scope of a test, writable again afterwards so it can be cleaned up.
struct TScopedReadOnly {
    std::string Path;
    explicit TScopedReadOnly(std::string path) : Path(std::move(path)) {
        SetFileAttributesA(Path.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    ~TScopedReadOnly() { SetFileAttributesA(Path.c_str(), FILE_ATTRIBUTE_NORMAL); }
};

struct Download : ::testing::Test {
    void SetUp() override { kestrova_test::ResetServer(); }
    void TearDown() override { kestrova_test::ResetServer(); }
};

} // namespace

TEST_F(Download, ForceHereGoesToTheCurrentDirectoryAndZlibCannotRegister) {
    TScenario machine;
    auto app = machine.Start();
    SetForceHere(*app);
    StartDownload(*app, "ZLIB.DLL");
    const std::string file = machine.HerePath("ZLIB.DLL");
    Answer(*app, "Descargado con exito en " + file + ".");
    Answer(*app, "No es posible registrar la librería " + file + ".");
    EXPECT_TRUE(app->WaitForRefreshedList());
    EXPECT_EQ(app->Lines()[IndexOf("ZLIB.DLL")], Line("ZLIB.DLL", STATUS_OK));
    EXPECT_EQ(ReadWholeFile(file), Good("ZLIB.DLL"));
    EXPECT_FALSE(kestrova_test::FileExistsAt(machine.SystemPath("ZLIB.DLL")));
    // The list and "[...]" come back; the three commands wait for the next selection.
    EXPECT_TRUE(app->IsEnabled(IDC_LLIBRERIAS));
    EXPECT_TRUE(app->IsEnabled(IDC_BTNEXTRA));
    EXPECT_FALSE(app->IsEnabled(IDC_CMDDESCARGAR));
    EXPECT_FALSE(app->IsShown(IDC_LDOWNLOADING));
    EXPECT_FALSE(app->IsShown(IDC_PB1));
}

TEST_F(Download, YesReplacesTheSystemCopyAndRegistersIt) {
    TScenario machine;
    const std::string file = machine.PlaceInSystem("outdated", "MSCOMCTL.OCX");
    machine.Unregistered("MSCOMCTL.OCX");
    auto app = machine.Start();
    EXPECT_EQ(app->Lines()[IndexOf("MSCOMCTL.OCX")], Line("MSCOMCTL.OCX", STATUS_UPDATE));
    StartDownload(*app, "MSCOMCTL.OCX");
    Answer(*app, Question(file), "&Yes");
    Answer(*app, "Descargado con exito en " + file + ".");
    Answer(*app, "Librería " + file + " ha sido registrada con exito.");
    EXPECT_TRUE(app->WaitForRefreshedList());
    EXPECT_EQ(app->Lines()[IndexOf("MSCOMCTL.OCX")], Line("MSCOMCTL.OCX", STATUS_OK));
    EXPECT_EQ(ReadWholeFile(file), Good("MSCOMCTL.OCX"));
    if (kestrova_test::InWin64Prefix()) {
        // C:\windows\system32 of a 32-bit program is the 32-bit system folder.
        EXPECT_FALSE(kestrova_test::FileExistsAt(
            kestrova_test::JoinPath(kestrova_test::NativeSystem32(), "MSCOMCTL.OCX")));
        EXPECT_EQ(ReadWholeFile(kestrova_test::WinePath(kestrova_test::Env("WINEPREFIX") +
                                                        "/drive_c/windows/syswow64/MSCOMCTL.OCX")),
                  Good("MSCOMCTL.OCX"));
    }
}

TEST_F(Download, NoKeepsTheSystemCopyAndFallsBackHere) {
    TScenario machine;
    const std::string system = machine.PlaceInSystem("outdated", "ZLIB.DLL");
    const std::string before = ReadWholeFile(system);
    auto app = machine.Start();
    StartDownload(*app, "ZLIB.DLL");
    Answer(*app, Question(system), "&No");
    const std::string here = machine.HerePath("ZLIB.DLL");
    Answer(*app, "Descargado con exito en " + here + ".");
    Answer(*app, "No es posible registrar la librería " + here + ".");
    EXPECT_TRUE(app->WaitForRefreshedList());
    EXPECT_EQ(ReadWholeFile(system), before);
    EXPECT_EQ(ReadWholeFile(here), Good("ZLIB.DLL"));
}

TEST_F(Download, SystemDirectoryAsCurrentDirectoryAsksTwice) {
    TScenario machine;
    const std::string file = machine.PlaceInSystem("outdated", "ZLIB.DLL");
    const std::string before = ReadWholeFile(file);
    TKestrova app(kestrova_test::SystemDirectory());
    StartDownload(app, "ZLIB.DLL");
    Answer(app, Question(file), "&No");
    Answer(app, Question(file), "&No");
    Answer(app, CANNOT);
    EXPECT_TRUE(app.NoMessageBoxWithin(500));
    EXPECT_EQ(ReadWholeFile(file), before);
    EXPECT_EQ(kestrova_test::ServerRequestCount("ZLIB.DLL"), 0);
}

TEST_F(Download, LeftoverTempChkMakesTheSystemDirectoryUnwritable) {
    TScenario machine;
    TScopedFile leftover(machine.SystemPath("temp.chk"));
    auto app = machine.Start();
    StartDownload(*app, "ZLIB.DLL");
    Answer(*app,
           "No es posible escribir en la carpeta " + kestrova_test::SystemDirectory() + FALLBACK);
    const std::string here = machine.HerePath("ZLIB.DLL");
    Answer(*app, "Descargado con exito en " + here + ".");
    Answer(*app, "No es posible registrar la librería " + here + ".");
    EXPECT_TRUE(kestrova_test::FileExistsAt(leftover.Path)) << "someone else's file was removed";
}

TEST_F(Download, CopiesThatCannotBeRemovedAreKept) {
    TScenario machine;
    const std::string system = machine.PlaceInSystem("outdated", "ZLIB.DLL");
    const std::string here = machine.PlaceHere("outdated", "ZLIB.DLL");
    const std::string before = ReadWholeFile(here);
    TScopedReadOnly lockedSystem(system), lockedHere(here);
    auto app = machine.Start();
    StartDownload(*app, "ZLIB.DLL");
    Answer(*app, Question(system), "&Yes");
    Answer(*app, "La libreria " + system + " no pudo ser eliminada!" + FALLBACK);
    Answer(*app, Question(here), "&Yes");
    Answer(*app, "La libreria " + here + " no pudo ser eliminada.");
    Answer(*app, CANNOT);
    EXPECT_EQ(ReadWholeFile(system), before);
    EXPECT_EQ(ReadWholeFile(here), before);
    EXPECT_EQ(kestrova_test::ServerRequestCount("ZLIB.DLL"), 0);
}

TEST_F(Download, StopButtonEndsATricklingTransferAndKeepsTheOldCopy) {
    TScenario machine;
    const std::string here = machine.PlaceHere("outdated", "ZLIB.DLL");
    const std::string before = ReadWholeFile(here);
    kestrova_test::SetServerMode("ZLIB.DLL", "trickle", "&chunk=128&interval=100");
    auto app = machine.Start();
    SetForceHere(*app);
    StartDownload(*app, "ZLIB.DLL");
    Answer(*app, Question(here), "&Yes");

    // While the bytes come in: the count of the announced length, the bar, the stop button
    // over the disabled download button; the list and "[...]" disabled.
    // Built in steps: GCC 12 misreads "/" + to_string(...) as an overlapping copy.
    std::string total = "/";
    total += std::to_string(Good("ZLIB.DLL").size());
    total += " bytes";
    ASSERT_TRUE(WaitUntil(
        [&] { return app->Text(IDC_LDOWNLOADING).find(total) != std::string::npos; }, 10000))
        << app->Text(IDC_LDOWNLOADING);
    EXPECT_TRUE(app->IsShown(IDC_CMDDETENER));
    EXPECT_TRUE(app->IsShown(IDC_PB1));
    EXPECT_FALSE(app->IsEnabled(IDC_CMDDESCARGAR));
    EXPECT_FALSE(app->IsEnabled(IDC_LLIBRERIAS));
    EXPECT_FALSE(app->IsEnabled(IDC_BTNEXTRA));

    app->Press(IDC_CMDDETENER);
    EXPECT_TRUE(WaitUntil([&] { return !app->IsShown(IDC_CMDDETENER); }));
    const auto box = app->WaitForMessageBox(10000);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->Text, "Ha ocurrido un error en la descarga de ZLIB.DLL.");
    // The count and the bar stay as they were until the message is answered.
    EXPECT_TRUE(app->IsShown(IDC_LDOWNLOADING));
    EXPECT_TRUE(app->IsShown(IDC_PB1));
    EXPECT_FALSE(kestrova_test::FileExistsAt(here + ".part")) << "the partial file was left";
    EXPECT_TRUE(PressButton(*box, "OK"));
    EXPECT_TRUE(app->WaitForRefreshedList());
    EXPECT_FALSE(app->IsShown(IDC_LDOWNLOADING));
    EXPECT_FALSE(app->IsShown(IDC_PB1));
    EXPECT_EQ(ReadWholeFile(here), before);
}

TEST_F(Download, ServerFailuresReportAnErrorAndChangeNothing) {
    for (const char* mode : {"missing", "truncate", "html"}) {
        SCOPED_TRACE(mode);
        TScenario machine;
        const std::string here = machine.PlaceHere("outdated", "ZLIB.DLL");
        const std::string before = ReadWholeFile(here);
        kestrova_test::SetServerMode("ZLIB.DLL", mode);
        auto app = machine.Start();
        SetForceHere(*app);
        StartDownload(*app, "ZLIB.DLL");
        Answer(*app, Question(here), "&Yes");
        Answer(*app, "Ha ocurrido un error en la descarga de ZLIB.DLL.");
        EXPECT_TRUE(app->NoMessageBoxWithin(500)) << "nothing may be registered";
        EXPECT_TRUE(app->WaitForRefreshedList());
        EXPECT_EQ(ReadWholeFile(here), before);
        EXPECT_FALSE(kestrova_test::FileExistsAt(here + ".part"));
        EXPECT_EQ(app->Lines()[IndexOf("ZLIB.DLL")], Line("ZLIB.DLL", STATUS_UPDATE));
    }
}

TEST_F(Download, ClosingTheWindowMidTransferStopsCleansUpAndCloses) {
    TScenario machine;
    const std::string here = machine.PlaceHere("outdated", "ZLIB.DLL");
    const std::string before = ReadWholeFile(here);
    kestrova_test::SetServerMode("ZLIB.DLL", "trickle", "&chunk=128&interval=100");
    auto app = machine.Start();
    SetForceHere(*app);
    StartDownload(*app, "ZLIB.DLL");
    Answer(*app, Question(here), "&Yes");
    ASSERT_TRUE(WaitUntil(
        [&] { return app->Text(IDC_LDOWNLOADING).find(" bytes") != std::string::npos; }, 10000));
    PostMessageA(app->Main(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !app->Process().Running(); }, 10000))
        << "the window did not close";
    EXPECT_EQ(ReadWholeFile(here), before);
    EXPECT_FALSE(kestrova_test::FileExistsAt(here + ".part"));
}
