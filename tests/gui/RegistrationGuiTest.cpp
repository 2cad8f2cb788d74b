// The registration commands with the stand-in libraries: what the user is told, what the
// list shows afterwards, that "Registrar todas" keeps the window busy until it is done, and
// that a library crashing or overflowing its stack in its entry, even twice, does not take
// the window down (that registration gives a library OLE is tested on a bare thread, in
// tests/wine/registration), nor one that never returns freeze it. Also the two message
// boxes' English titles and buttons in any language.
#include "GuiScenario.h"
#include "Input.h"
#include "WindowQuery.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace gui;

namespace {

const std::string NOT_REGISTERED = "No es posible registrar la librería ";

// Presses OK on the plain box and checks it is the plain box: "Kestrova", no icon, "OK".
void ExpectPlainBox(const TMessageBox& box, const std::string& text) {
    EXPECT_EQ(box.Title, "Kestrova");
    EXPECT_EQ(box.Text, text);
    EXPECT_EQ(box.Buttons, std::vector<std::string>{"OK"});
    EXPECT_FALSE(box.IconShown);
    EXPECT_TRUE(PressButton(box, "OK"));
}

} // namespace

TEST(Registration, RegistrarTellsTheOutcomeAndRefreshesOnlyOnSuccess) {
    const struct {
        const char* Variant;
        const char* Source;  // stand-in copied under the name MSWINSCK.OCX
        const char* Message; // after "Librería <path>" or NOT_REGISTERED + path
        const char* LineAfter;
    } rows[] = {
        {"good", "MSWINSCK.OCX", " ha sido registrada con exito.", STATUS_OK},
        {"fails", "MSWINSCK.OCX", ".", STATUS_REGISTER}, // the entry returns 1
        {"good", "ZLIB.DLL", ".", STATUS_UPDATE},        // a library without the entry
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.Variant) + " " + row.Source);
        TScenario machine;
        const std::string path = machine.PlaceHereAs(row.Variant, row.Source, "MSWINSCK.OCX");
        machine.Unregistered("MSWINSCK.OCX");
        auto app = machine.Start();
        const int line = IndexOf("MSWINSCK.OCX");
        ASSERT_TRUE(app->SelectLine(line));
        ASSERT_TRUE(WaitUntil([&] { return app->IsEnabled(IDC_CMDREGISTRAR); }));
        app->Press(IDC_CMDREGISTRAR);
        const auto box = app->WaitForMessageBox();
        ASSERT_TRUE(box);
        const bool success = std::string(row.LineAfter) == STATUS_OK;
        ExpectPlainBox(*box, (success ? "Librería " + path : NOT_REGISTERED + path) + row.Message);
        if (success) {
            EXPECT_TRUE(app->WaitForRefreshedList());
        } else {
            EXPECT_EQ(app->Selection(), line) << "a failure leaves the list as it was";
        }
        EXPECT_EQ(app->Lines()[line], Line("MSWINSCK.OCX", row.LineAfter));
    }
}

TEST(Registration, ForcedRegistrationOfARegisteredLibrary) {
    TScenario machine;
    const std::string path = machine.PlaceHere("good", "MSCOMCTL.OCX");
    machine.Register("MSCOMCTL.OCX", path);
    auto app = machine.Start();
    ASSERT_TRUE(app->SelectLine(IndexOf("MSCOMCTL.OCX")));
    ASSERT_TRUE(WaitUntil([&] { return app->IsEnabled(IDC_CMDREREGISTRAR); }));
    app->Press(IDC_CMDREREGISTRAR);
    const auto box = app->WaitForMessageBox();
    ASSERT_TRUE(box);
    ExpectPlainBox(*box, "Librería Registrada!");
    EXPECT_TRUE(app->WaitForRefreshedList());
}

TEST(Registration, ACrashInsideTheEntryIsReportedAndTheWindowLivesOn) {
    // An access violation; and a stack overflow, which must be caught again the second time
    // (the stack's guard page it used up is restored).
    for (const char* variant : {"crash", "overflow"}) {
        SCOPED_TRACE(variant);
        TScenario machine;
        const std::string path = machine.PlaceHere(variant, "MSWINSCK.OCX");
        machine.Unregistered("MSWINSCK.OCX");
        const std::string plain = machine.PlaceHere("good", "ZLIB.DLL");
        auto app = machine.Start();
        const int line = IndexOf("MSWINSCK.OCX");
        ASSERT_TRUE(app->SelectLine(line));
        const std::string code = std::string(variant) == "crash" ? "C0000005" : "C00000FD";
        for (int press = 1; press <= 2; ++press) {
            SCOPED_TRACE(press);
            ASSERT_TRUE(WaitUntil([&] { return app->IsEnabled(IDC_CMDREGISTRAR); }));
            app->Press(IDC_CMDREGISTRAR);
            const auto box = app->WaitForMessageBox();
            ASSERT_TRUE(box) << "no error box; the program is "
                             << (app->Process().Running() ? "still running" : "gone");
            EXPECT_EQ(box->Title, "Kestrova");
            EXPECT_EQ(box->Buttons, std::vector<std::string>{"OK"});
            EXPECT_TRUE(box->IconShown) << "the error box shows the error icon";
            EXPECT_EQ(box->Text, "Error inesperado (excepción 0x" + code +
                                     ") al registrar la librería " + path + ".");
            // No refresh after the failed handler.
            EXPECT_EQ(app->Selection(), line);
            EXPECT_TRUE(PressButton(*box, "OK"));
        }

        // The window still answers the user.
        EXPECT_TRUE(app->Process().Running());
        EXPECT_EQ(app->Selection(), line);
        ASSERT_TRUE(app->SelectLine(IndexOf("ZLIB.DLL")));
        EXPECT_TRUE(WaitUntil([&] { return app->Text(IDC_TPATH) == plain; }));
        ASSERT_NE(app->OpenMenu(), nullptr);
        ASSERT_TRUE(app->PickMenuItem(TMenuItem::Refresh));
        EXPECT_TRUE(app->WaitForRefreshedList());
    }
}

TEST(Registration, RegisterAllReportsEachRegisteredPathOnItsOwnLine) {
    TScenario machine;
    const std::string first = machine.PlaceHere("good", "RICHTX32.OCX");
    machine.Register("RICHTX32.OCX", first);
    const std::string second = machine.PlaceHere("good", "MSWINSCK.OCX");
    machine.Unregistered("MSWINSCK.OCX");
    machine.PlaceHere("fails", "MSCOMCTL.OCX"); // located, entry fails: left out
    machine.Unregistered("MSCOMCTL.OCX");
    machine.PlaceHere("good", "ZLIB.DLL"); // no entry: left out
    machine.Unregistered("MSINET.OCX");    // not located: left out
    auto app = machine.Start();
    ASSERT_NE(app->OpenMenu(), nullptr);
    ASSERT_TRUE(app->PickMenuItem(TMenuItem::RegisterAll));
    const auto box = app->WaitForMessageBox(60000);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->Title, "Kestrova");

    // "Resultado:" + LF CR, then the report: LF CR + path + " registrada." per success, in
    // catalogue order (so an empty line follows the heading). Wine's own libraries in its
    // system folder register too; the lines of this scenario's folder must be exactly these.
    const std::string separator = "\n\r";
    const std::string heading = "Resultado:" + separator;
    ASSERT_EQ(box->Text.rfind(heading, 0), 0u) << box->Text;
    std::vector<std::string> ours;
    const std::string suffix = " registrada.";
    size_t at = heading.size();
    while (at < box->Text.size()) {
        ASSERT_EQ(box->Text.compare(at, separator.size(), separator), 0) << box->Text;
        at += separator.size();
        const size_t next = std::min(box->Text.find(separator, at), box->Text.size());
        const std::string line = box->Text.substr(at, next - at);
        ASSERT_GT(line.size(), suffix.size()) << box->Text;
        EXPECT_EQ(line.substr(line.size() - suffix.size()), suffix) << line;
        if (line.rfind(machine.Here(), 0) == 0) ours.push_back(line);
        at = next;
    }
    EXPECT_EQ(ours, (std::vector<std::string>{first + suffix, second + suffix}));
    EXPECT_TRUE(PressButton(*box, "OK"));
    EXPECT_TRUE(app->WaitForRefreshedList());
    EXPECT_TRUE(app->IsEnabled(IDC_BTNEXTRA)) << "the window stayed busy";
    EXPECT_EQ(app->Lines()[IndexOf("MSWINSCK.OCX")], Line("MSWINSCK.OCX", STATUS_OK));
}

TEST(Registration, RegisterAllKeepsTheWindowBusyUntilItsResultIsShown) {
    TScenario machine;
    const std::string path = machine.PlaceHere("hangs", "MSWINSCK.OCX");
    machine.Unregistered("MSWINSCK.OCX");
    auto app = machine.Start();
    ASSERT_TRUE(app->SelectLine(IndexOf("MSWINSCK.OCX")));
    ASSERT_TRUE(WaitUntil([&] { return app->IsEnabled(IDC_CMDREGISTRAR); }));
    ASSERT_NE(app->OpenMenu(), nullptr);
    ASSERT_TRUE(app->PickMenuItem(TMenuItem::RegisterAll));
    // Closed while a library's registration runs: that call is stopped, the loop ends and
    // says what it did, showing the line it was on, then the window closes.
    ASSERT_TRUE(
        WaitUntil([&] { return kestrova_test::NotedProcessId(path + ".child") != 0; }, 60000));
    EXPECT_EQ(app->Selection(), IndexOf("MSWINSCK.OCX")) << "the line worked on is not shown";
    PostMessageA(app->Main(), WM_CLOSE, 0, 0);
    const auto box = app->WaitForMessageBox(60000);
    ASSERT_TRUE(box) << "no result box; the program is "
                     << (app->Process().Running() ? "still running" : "gone");
    EXPECT_NE(box->Text.find("\n\rSe ha detenido el registro de la librería " + path + "."),
              std::string::npos)
        << box->Text;
    for (int id : {IDC_LLIBRERIAS, IDC_BTNEXTRA, IDC_CMDREGISTRAR, IDC_CMDREREGISTRAR})
        EXPECT_FALSE(app->IsEnabled(id)) << id << " usable while the window is busy";
    EXPECT_TRUE(PressButton(*box, "OK"));
    EXPECT_TRUE(WaitUntil([&] { return !app->Process().Running(); }, 10000))
        << "the close was forgotten";
}

TEST(Registration, CancellingTheBrowseDialogStillRefreshesTheList) {
    TScenario machine;
    auto app = machine.Start();
    ASSERT_TRUE(app->SelectLine(IndexOf("ZLIB.DLL")));
    ASSERT_NE(app->OpenMenu(), nullptr);
    ASSERT_TRUE(app->PickMenuItem(TMenuItem::Browse));
    HWND dialog = WaitForDialogWithButton(app->Process().Id(), IDCANCEL);
    ASSERT_NE(dialog, nullptr);
    machine.PlaceHere("good", "ZLIB.DLL"); // appears while the dialog is open
    ASSERT_TRUE(BringToFront(dialog));
    Click(GetDlgItem(dialog, IDCANCEL));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    EXPECT_TRUE(WaitUntil([&] {
        return app->Lines()[IndexOf("ZLIB.DLL")] == Line("ZLIB.DLL", STATUS_OK);
    })) << "the refresh after the dialog finds the new copy";
    EXPECT_EQ(app->Selection(), LB_ERR);
}

// Run in the default locale and again under LC_ALL=es_ES.UTF-8, where Windows' own boxes
// would say "Aceptar" and "&Sí": ours keep "OK", "&Yes" and "&No".
TEST(MessageBoxLocale, TitlesAndButtonsStayEnglish) {
    TScenario machine;
    machine.PlaceInSystem("outdated", "KORDAN.DLL");
    const std::string here = machine.PlaceHere("outdated", "KORDAN.DLL");
    const std::string inSystem = machine.SystemPath("KORDAN.DLL");
    auto app = machine.Start();
    ASSERT_TRUE(app->SelectLine(IndexOf("KORDAN.DLL")));
    ASSERT_TRUE(WaitUntil([&] { return app->IsEnabled(IDC_CMDDESCARGAR); }));
    app->Press(IDC_CMDDESCARGAR);
    const std::string question = " ya existe.\n\r¿"
                                 "Está seguro que desea reemplazarla?";
    for (const std::string& copy : {inSystem, here}) {
        const auto box = app->WaitForMessageBox();
        ASSERT_TRUE(box);
        EXPECT_EQ(box->Title, "Warning");
        EXPECT_EQ(box->Text, "La librería " + copy + question);
        EXPECT_EQ(box->Buttons, (std::vector<std::string>{"&Yes", "&No"}));
        EXPECT_TRUE(box->IconShown);
        ASSERT_TRUE(PressButton(*box, "&No"));
    }
    const auto refused = app->WaitForMessageBox();
    ASSERT_TRUE(refused);
    ExpectPlainBox(*refused, "No es posible descargar la librería!");
    EXPECT_TRUE(WaitUntil([&] { return app->IsEnabled(IDC_BTNEXTRA); }));
}

// A library whose registration never returns, and starts a process of its own meanwhile: the
// window keeps answering and says what runs; "Detener", closing the window, or Kestrova ended
// from outside ends the call and what it started.
TEST(Registration, ARegistrationThatNeverReturnsLeavesTheWindowAnsweringUntilItIsStopped) {
    enum class TEnd { Stop, Close, Kill };
    for (const TEnd end : {TEnd::Stop, TEnd::Close, TEnd::Kill}) {
        SCOPED_TRACE(end == TEnd::Stop ? "Detener" : end == TEnd::Close ? "closed" : "ended");
        TScenario machine;
        const std::string path = machine.PlaceHere("hangs", "MSINET.OCX");
        machine.Unregistered("MSINET.OCX");
        auto app = machine.Start();
        ASSERT_TRUE(app->SelectLine(IndexOf("MSINET.OCX")));
        ASSERT_TRUE(WaitUntil([&] { return app->IsEnabled(IDC_CMDREGISTRAR); }));
        app->Press(IDC_CMDREGISTRAR);
        const std::string note = path + ".child";
        ASSERT_TRUE(WaitUntil([&] { return kestrova_test::NotedProcessId(note) != 0; }, 30000));
        const DWORD child = kestrova_test::NotedProcessId(note);
        DWORD_PTR answer = 0;
        EXPECT_NE(SendMessageTimeoutA(app->Main(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &answer),
                  0)
            << "the window stopped answering";
        EXPECT_EQ(app->Text(IDC_LDOWNLOADING), "Registrando MSINET.OCX...");
        for (int id : COMMAND_CONTROLS)
            EXPECT_FALSE(app->IsEnabled(id)) << id;
        ASSERT_TRUE(app->IsShown(IDC_CMDDETENER));
        ASSERT_TRUE(app->IsEnabled(IDC_CMDDETENER));
        if (end == TEnd::Stop) {
            app->Press(IDC_CMDDETENER);
            const auto box = app->WaitForMessageBox(30000);
            ASSERT_TRUE(box);
            ExpectPlainBox(*box, "Se ha detenido el registro de la librería " + path + ".");
            EXPECT_TRUE(WaitUntil([&] { return app->IsEnabled(IDC_CMDREGISTRAR); }));
            EXPECT_FALSE(app->IsShown(IDC_CMDDETENER));
            EXPECT_FALSE(app->IsShown(IDC_LDOWNLOADING));
            ASSERT_TRUE(kestrova_test::ProcessEnds(child, 30000));
            // That stop was this command's: "Registrar todas" reaches the library again.
            DeleteFileA(note.c_str());
            ASSERT_NE(app->OpenMenu(), nullptr);
            ASSERT_TRUE(app->PickMenuItem(TMenuItem::RegisterAll));
            ASSERT_TRUE(WaitUntil([&] { return kestrova_test::NotedProcessId(note) != 0; }, 60000));
            app->Press(IDC_CMDDETENER);
            const auto result = app->WaitForMessageBox(30000);
            ASSERT_TRUE(result);
            EXPECT_NE(result->Text.find("Se ha detenido el registro de la librería " + path),
                      std::string::npos)
                << result->Text;
            EXPECT_TRUE(PressButton(*result, "OK"));
        } else if (end == TEnd::Close) {
            // The call is stopped and says so; the window closes once that box is answered.
            PostMessageA(app->Main(), WM_CLOSE, 0, 0);
            const auto box = app->WaitForMessageBox(30000);
            ASSERT_TRUE(box);
            ExpectPlainBox(*box, "Se ha detenido el registro de la librería " + path + ".");
            EXPECT_TRUE(WaitUntil([&] { return !app->Process().Running(); }, 30000));
        } else {
            // The job Kestrova holds closes with it, and ends everything in it.
            app->Process().Terminate();
        }
        EXPECT_TRUE(kestrova_test::ProcessEnds(child, 30000))
            << "what the library started lives on";
        // Only the window's own process may be left, when it was not closed.
        const std::vector<DWORD> left =
            end == TEnd::Stop ? std::vector<DWORD>{app->Process().Id()} : std::vector<DWORD>{};
        EXPECT_TRUE(
            WaitUntil([&] { return kestrova_test::ProcessesNamed("Kestrova.exe") == left; }, 30000))
            << "a helper lives on";
    }
}
