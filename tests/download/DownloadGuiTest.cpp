// The download button on a real window under Wine, against the loopback library server:
// where the library goes, every question and message on the way, the stop button, that a
// failed, stopped or abandoned transfer leaves the old copy exactly as it was, and that a
// library crashing in its entry after its download leaves the window usable.
#include "DownloadSteps.h"
#include "LibServerControl.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <vector>

using namespace gui;
using kestrova_test::ReadWholeFile;

namespace {

const std::string FALLBACK = "\n\rSe intentará descargar en la carpeta del programa.";
const std::string CANNOT = "No es posible descargar la librería!";

void SetForceHere(TKestrova& app) {
    ASSERT_TRUE(app.OpenMenu());
    ASSERT_TRUE(app.PickMenuItem(TMenuItem::ForceHere));
    ASSERT_EQ(app.ForceHereChecked(), std::optional<bool>(true));
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

// Which file or folder a message names.
enum class TSubject { Here, System, SystemFolder, Library };

std::string Downloaded(const std::string& file) {
    return "Descargado con exito en " + file + ".";
}
std::string Registered(const std::string& file) {
    return "Librería " + file + " ha sido registrada con exito.";
}
std::string NotRegistrable(const std::string& file) {
    return "No es posible registrar la librería " + file + ".";
}
std::string UnwritableFallsBack(const std::string& folder) {
    return "No es posible escribir en la carpeta " + folder + FALLBACK;
}
std::string UndeletableFallsBack(const std::string& file) {
    return "La libreria " + file + " no pudo ser eliminada!" + FALLBACK;
}
std::string Undeletable(const std::string& file) {
    return "La libreria " + file + " no pudo ser eliminada.";
}
std::string Cannot(const std::string&) {
    return CANNOT;
}
std::string Failed(const std::string& name) {
    return "Ha ocurrido un error en la descarga de " + name + ".";
}

// One message box of the conversation and the button that answers it.
struct TBox {
    std::string (*Text)(const std::string& subject);
    TSubject Subject;
    const char* Button = "OK";
};

// Where the downloaded library must end up.
enum class TLands { Nowhere, Here, System };

// One press of "Descargar": the machine, the whole conversation, and what is left after it.
struct TDownloadCase {
    const char* Name;
    const char* Library;
    const char* InSystem = nullptr; // stand-in variant placed in the system directory
    const char* Here = nullptr;     // stand-in variant placed in the current directory
    bool ForceHere = false;         // the menu's force-here item checked first
    bool InSystemDirectory = false; // the program runs with the system directory as its
                                    // current directory
    bool LeftoverTempChk = false;   // someone else's temp.chk in the system directory
    bool ReadOnly = false;          // the placed copies cannot be deleted
    // How the library server misbehaves, one press of "Descargar" for each in one run.
    std::vector<const char*> ServerModes = {nullptr};
    const char* Before;             // the library's status word before the press
    std::vector<TBox> Boxes;        // every message box, in order; no other shows up
    bool Transfers;                 // the server is asked and the list refreshed after
    TLands Lands = TLands::Nowhere; // the good copy's place; every other copy is kept
    const char* After = nullptr;    // the status word afterwards
};

void PrintTo(const TDownloadCase& c, std::ostream* out) {
    *out << c.Name;
}

const TSubject HERE = TSubject::Here, SYSTEM = TSubject::System;

const TDownloadCase DownloadCases[] = {
    {.Name = "ForceHereGoesToTheCurrentDirectoryAndZlibCannotRegister",
     .Library = "ZLIB.DLL",
     .ForceHere = true,
     .Before = STATUS_DOWNLOAD,
     .Boxes = {{Downloaded, HERE}, {NotRegistrable, HERE}},
     .Transfers = true,
     .Lands = TLands::Here,
     .After = STATUS_OK},
    {.Name = "YesReplacesTheSystemCopyAndRegistersIt",
     .Library = "MSCOMCTL.OCX",
     .InSystem = "noversion", // older than what arrives: no rollback
     .Before = STATUS_UPDATE,
     .Boxes = {{Question, SYSTEM, "&Yes"}, {Downloaded, SYSTEM}, {Registered, SYSTEM}},
     .Transfers = true,
     .Lands = TLands::System,
     .After = STATUS_OK},
    {.Name = "NoKeepsTheSystemCopyAndFallsBackHere",
     .Library = "ZLIB.DLL",
     .InSystem = "outdated",
     .Before = STATUS_UPDATE,
     .Boxes = {{Question, SYSTEM, "&No"}, {Downloaded, HERE}, {NotRegistrable, HERE}},
     .Transfers = true,
     .Lands = TLands::Here,
     .After = STATUS_OK},
    {.Name = "SystemDirectoryAsCurrentDirectoryAsksTwice",
     .Library = "ZLIB.DLL",
     .InSystem = "outdated",
     .InSystemDirectory = true,
     .Before = STATUS_UPDATE,
     .Boxes = {{Question, SYSTEM, "&No"}, {Question, SYSTEM, "&No"}, {Cannot, SYSTEM}},
     .Transfers = false,
     .After = STATUS_UPDATE},
    {.Name = "LeftoverTempChkMakesTheSystemDirectoryUnwritable",
     .Library = "ZLIB.DLL",
     .LeftoverTempChk = true,
     .Before = STATUS_DOWNLOAD,
     .Boxes = {{UnwritableFallsBack, TSubject::SystemFolder},
               {Downloaded, HERE},
               {NotRegistrable, HERE}},
     .Transfers = true,
     .Lands = TLands::Here,
     .After = STATUS_OK},
    {.Name = "CopiesThatCannotBeRemovedAreKept",
     .Library = "ZLIB.DLL",
     .InSystem = "outdated",
     .Here = "outdated",
     .ReadOnly = true,
     .Before = STATUS_UPDATE,
     .Boxes = {{Question, SYSTEM, "&Yes"},
               {UndeletableFallsBack, SYSTEM},
               {Question, HERE, "&Yes"},
               {Undeletable, HERE},
               {Cannot, HERE}},
     .Transfers = false,
     .After = STATUS_UPDATE},
    {.Name = "AFailedAnswerReportsAnErrorAndChangesNothing",
     .Library = "ZLIB.DLL",
     .Here = "outdated",
     .ForceHere = true,
     .ServerModes = {"missing", "truncate", "html"},
     .Before = STATUS_UPDATE,
     .Boxes = {{Question, HERE, "&Yes"}, {Failed, TSubject::Library}},
     .Transfers = true,
     .After = STATUS_UPDATE},
};

struct DownloadButton : Download, ::testing::WithParamInterface<TDownloadCase> {};

std::string CaseName(const ::testing::TestParamInfo<TDownloadCase>& row) {
    return row.param.Name;
}

} // namespace

TEST_P(DownloadButton, AsksTellsAndLeavesTheCopies) {
    const TDownloadCase& c = GetParam();
    const std::string name = c.Library;
    TScenario machine;
    const std::string system = machine.SystemPath(name);
    const std::string here = c.InSystemDirectory ? system : machine.HerePath(name);
    if (c.InSystem) machine.PlaceInSystem(c.InSystem, name);
    if (c.Here) machine.PlaceHere(c.Here, name);
    if (!RegistrationKey(name).empty()) machine.Unregistered(name);
    std::unique_ptr<TScopedFile> leftover;
    if (c.LeftoverTempChk) leftover = std::make_unique<TScopedFile>(machine.SystemPath("temp.chk"));
    std::vector<std::unique_ptr<TScopedReadOnly>> locked;
    if (c.ReadOnly) {
        if (c.InSystem) locked.push_back(std::make_unique<TScopedReadOnly>(system));
        if (c.Here) locked.push_back(std::make_unique<TScopedReadOnly>(here));
    }
    const std::string systemBefore = c.InSystem ? ReadWholeFile(system) : "";
    const std::string hereBefore = c.Here ? ReadWholeFile(here) : "";

    std::unique_ptr<TKestrova> app =
        c.InSystemDirectory ? std::make_unique<TKestrova>(kestrova_test::SystemDirectory())
                            : machine.Start();
    EXPECT_EQ(app->Lines()[IndexOf(name)], Line(name, c.Before));
    if (c.ForceHere) SetForceHere(*app);
    auto named = [&](TSubject subject) {
        switch (subject) {
        case TSubject::Here:
            return here;
        case TSubject::System:
            return system;
        case TSubject::SystemFolder:
            return kestrova_test::SystemDirectory();
        case TSubject::Library:
            break;
        }
        return name;
    };
    for (const char* mode : c.ServerModes) {
        SCOPED_TRACE(mode ? mode : "ok");
        if (mode) kestrova_test::SetServerMode(name, mode);
        StartDownload(*app, name);
        for (const TBox& box : c.Boxes)
            Answer(*app, box.Text(named(box.Subject)), box.Button);
        EXPECT_TRUE(app->NoMessageBoxWithin(500)) << "a box beyond the conversation";

        if (c.Transfers) {
            EXPECT_TRUE(app->WaitForRefreshedList());
            EXPECT_GE(kestrova_test::ServerRequestCount(name), 1);
        } else {
            EXPECT_TRUE(WaitUntil([&] { return app->IsEnabled(IDC_LLIBRERIAS); }));
            EXPECT_EQ(kestrova_test::ServerRequestCount(name), 0);
        }
        EXPECT_EQ(app->Lines()[IndexOf(name)], Line(name, c.After));
        // The list and "[...]" come back; the three commands wait for the next selection.
        EXPECT_TRUE(app->IsEnabled(IDC_LLIBRERIAS));
        EXPECT_TRUE(app->IsEnabled(IDC_BTNEXTRA));
        EXPECT_FALSE(app->IsEnabled(IDC_CMDDESCARGAR));
        EXPECT_FALSE(app->IsShown(IDC_LDOWNLOADING));
        EXPECT_FALSE(app->IsShown(IDC_PB1));
    }

    // The good copy where it belongs; every other copy as it was, or still absent.
    const std::string good = Good(name);
    auto expectCopy = [&](const std::string& path, bool lands, const char* placed,
                          const std::string& before) {
        SCOPED_TRACE(path);
        if (lands)
            EXPECT_EQ(ReadWholeFile(path), good);
        else if (placed)
            EXPECT_EQ(ReadWholeFile(path), before);
        else
            EXPECT_FALSE(kestrova_test::FileExistsAt(path));
        EXPECT_FALSE(kestrova_test::FileExistsAt(path + ".part")) << "the partial file was left";
    };
    expectCopy(system, c.Lands == TLands::System, c.InSystem, systemBefore);
    if (!c.InSystemDirectory) expectCopy(here, c.Lands == TLands::Here, c.Here, hereBefore);
    if (leftover) {
        EXPECT_TRUE(kestrova_test::FileExistsAt(leftover->Path))
            << "someone else's file was removed";
    }
    if (kestrova_test::InWin64Prefix() && c.Lands == TLands::System) {
        // C:\windows\system32 of a 32-bit program is the 32-bit system folder.
        EXPECT_FALSE(kestrova_test::FileExistsAt(
            kestrova_test::JoinPath(kestrova_test::NativeSystem32(), name)));
        EXPECT_EQ(ReadWholeFile(kestrova_test::WinePath(kestrova_test::Env("WINEPREFIX") +
                                                        "/drive_c/windows/syswow64/" + name)),
                  good);
    }
}

INSTANTIATE_TEST_SUITE_P(Download, DownloadButton, ::testing::ValuesIn(DownloadCases), CaseName);

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

TEST_F(Download, ALibraryThatCrashesInItsEntryLeavesTheWindowUsable) {
    TScenario machine;
    machine.Unregistered("MSWINSCK.OCX");
    const std::string here = machine.HerePath("MSWINSCK.OCX");
    kestrova_test::SetServerMode("MSWINSCK.OCX", "ok", "&source=crash/MSWINSCK.OCX");
    auto app = machine.Start();
    SetForceHere(*app);
    StartDownload(*app, "MSWINSCK.OCX");
    Answer(*app, Downloaded(here));

    // The box a crash shows after "Registrar", over a window that is usable again.
    const auto box = app->WaitForMessageBox();
    ASSERT_TRUE(box) << "no error box; the program is "
                     << (app->Process().Running() ? "still running" : "gone");
    EXPECT_EQ(box->Text,
              "Error inesperado (excepción 0xC0000005) al registrar la librería " + here + ".");
    EXPECT_TRUE(box->IconShown);
    EXPECT_TRUE(app->IsEnabled(IDC_LLIBRERIAS));
    EXPECT_TRUE(app->IsEnabled(IDC_BTNEXTRA));
    for (int id : {IDC_LDOWNLOADING, IDC_PB1, IDC_CMDDETENER})
        EXPECT_FALSE(app->IsShown(id)) << id;
    EXPECT_TRUE(PressButton(*box, "OK"));
    ASSERT_TRUE(app->SelectLine(IndexOf("ZLIB.DLL")));
    EXPECT_TRUE(WaitUntil([&] { return app->IsEnabled(IDC_CMDDESCARGAR); }));
}
