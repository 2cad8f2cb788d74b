// Kestrova.exe started with switches, as a script starts it: the exit codes, the usage on
// bad use with nothing written, the status report against the window's own list, the
// second instance that does nothing while the window runs, and what an elevated run refuses:
// a mark of one instance someone else made, and a report or log that is a link.
#include "LibServerControl.h"
#include "platform/Handles.h"
#include "platform/WinPlatform.h"
#include "tests/gui/GuiScenario.h"

#include <gtest/gtest.h>

#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <fstream>
#include <sstream>

using namespace gui;
using namespace kestrova_test;

namespace {

// Kestrova.exe with `args`, run in `folder` with its standard output captured.
TProcessResult RunKestrova(const std::string& args, const std::string& folder) {
    TScopedCurrentDirectory cwd(folder);
    return RunProcess("\"" + KestrovaExe() + "\" " + args, 30000);
}

// The report's lines, split at CR LF, after its UTF-8 byte-order mark.
std::vector<std::vector<std::string>> ReportRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find("\r\n", at);
        if (end == std::string::npos) end = text.size();
        std::vector<std::string> row;
        std::stringstream line(text.substr(at, end - at));
        for (std::string cell; std::getline(line, cell, '\t');)
            row.push_back(cell);
        rows.push_back(row);
        at = end + 2;
    }
    return rows;
}

constexpr const char* BOM = "\xEF\xBB\xBF";
constexpr const char* INSTANCE_MUTEX = "Global\\Kestrova.UnaInstancia";

// Whether kernel32 has private namespaces (Wine 8 has none), where an elevated Kestrova
// keeps its mutex out of Global\.
bool PrivateNamespaces() {
    return GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreatePrivateNamespaceA") != nullptr;
}

// True when `object` is owned by Administrators and its DACL grants only Administrators and
// SYSTEM.
bool AdministratorsAlone(HANDLE object) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(object, SE_KERNEL_OBJECT,
                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                        &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    bool alone =
        IsWellKnownSid(owner, WinBuiltinAdministratorsSid) && dacl != nullptr && dacl->AceCount > 0;
    for (DWORD i = 0; alone && i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        alone = GetAce(dacl, i, reinterpret_cast<void**>(&ace)) &&
                ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE;
        const PSID sid = alone ? static_cast<PSID>(&ace->SidStart) : nullptr;
        alone = alone && (IsWellKnownSid(sid, WinBuiltinAdministratorsSid) ||
                          IsWellKnownSid(sid, WinLocalSystemSid));
    }
    LocalFree(descriptor);
    return alone;
}

// The security descriptor of an SDDL text, for the scope of a test.
class TDescriptor {
public:
    explicit TDescriptor(const std::string& sddl) {
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(
                sddl.c_str(), SDDL_REVISION_1, &FAttributes.lpSecurityDescriptor, nullptr))
            throw std::runtime_error("SDDL " + sddl);
    }
    ~TDescriptor() { LocalFree(FAttributes.lpSecurityDescriptor); }
    TDescriptor(const TDescriptor&) = delete;
    TDescriptor& operator=(const TDescriptor&) = delete;
    SECURITY_ATTRIBUTES* Attributes() { return &FAttributes; }

private:
    SECURITY_ATTRIBUTES FAttributes = {sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
};

// This process's user, as SDDL writes a SID: the owner a standard user's objects have.
std::string UserSid() {
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    char buffer[256];
    DWORD length = sizeof(buffer);
    const BOOL read = GetTokenInformation(token, TokenUser, buffer, length, &length);
    CloseHandle(token);
    char* text = nullptr;
    if (!read || !ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text))
        throw std::runtime_error("the user's SID");
    const std::string sid = text;
    LocalFree(text);
    return sid;
}

// Every library missing from the server for the scope of a test, so that a repair that
// should have been refused changes nothing in the prefix when it is not.
class TNothingToFetch {
public:
    TNothingToFetch() {
        ResetLibraries();
        for (const TLibraryEntry& entry : Libraries)
            SetServerMode(entry.Name.str(), "missing");
    }
    ~TNothingToFetch() { ResetServer(); }
    TNothingToFetch(const TNothingToFetch&) = delete;
    TNothingToFetch& operator=(const TNothingToFetch&) = delete;
};

} // namespace

TEST(CommandLine, BadUseShowsTheUsageWithExitCodeTwoAndWritesNothing) {
    // A command line that does not parse is answered before anything else, so also while
    // another Kestrova runs: one wrongly taken for good use meets that one (exit 5) instead
    // of doing any work.
    const char* const unparsable[] = {
        "/x",
        "estado",
        "/estado a.txt b.txt",
        "/estado /s",
        "/s",
        "/registro a.txt",
        "/reparar /registro",
        "/reparar /registro /s",
        "/reparar /s /s",
        "/estado /estado",
        "/? /estado",
        "/origen libs",
        "/estado /origen libs",
        "/reparar /origen",
        "/reparar /origen libs /origen libs",
        "/estado \"\"",
        "/reparar /s /registro \"\"",
        "/reparar /origen \"\"",
        "/espera 5",
        "/estado /espera 5",
        "/reparar /espera",
        "/reparar /espera /s",
        "/reparar /espera 0",
        "/reparar /espera 3601",
        "/reparar /espera -5",
        "/reparar /espera 5s",
        "/reparar /espera 5 /espera 5",
    };
    // A file that cannot be written is found once this Kestrova is the only one.
    const char* const unwritable[] = {
        "/estado Z:\\no-such-folder\\a.txt",
        "/reparar /s /registro Z:\\no-such-folder\\a.txt",
    };
    TScenario machine;
    const auto badUse = [&](const char* args) {
        const TProcessResult run = RunKestrova(args, machine.Here());
        EXPECT_EQ(run.ExitCode, 2u) << args;
        EXPECT_NE(run.Output.find("Uso: Kestrova.exe"), std::string::npos) << args;
        EXPECT_FALSE(FileExistsAt(machine.HerePath("a.txt"))) << args;
    };
    {
        const auto running = machine.Start();
        for (const char* args : unparsable)
            badUse(args);
    }
    for (const char* args : unwritable)
        badUse(args);
    for (const char* args : {"/?", "-?"}) {
        const TProcessResult run = RunKestrova(args, machine.Here());
        EXPECT_EQ(run.ExitCode, 0u) << args;
        EXPECT_NE(run.Output.find("Uso: Kestrova.exe"), std::string::npos) << args;
        EXPECT_NE(run.Output.find("/espera SEGUNDOS"), std::string::npos) << args;
        EXPECT_EQ(run.Output.find("registro-"), std::string::npos) << "the helper's switch";
    }
}

// The registration helper's switch from anyone but Kestrova itself, with no handles or with
// handle values it was never handed: nothing is done, exit 1.
TEST(CommandLine, AHelperStartedByHandDoesNothing) {
    TScenario machine;
    for (const char* args : {"/kestrova-registro", "/kestrova-registro 4 8 12 16"}) {
        const TProcessResult run = RunKestrova(args, machine.Here());
        EXPECT_EQ(run.ExitCode, 1u) << args;
        EXPECT_EQ(run.Output, "") << args;
    }
}

TEST(StatusReport, ListsEveryLibraryInPlaceAsOkAndWritesTheConsoleTheSameLines) {
    // Every library in place, registered where it needs to be: every line OK, and exit 0.
    // But Wine reads the version of a file named as one of its own libraries from its
    // built-in copy, whatever the folder. So a registered library Wine has is registered
    // under another file name, and reads the stand-in's version; one the scan finds by its
    // name (GDI32.DLL, WINMM.DLL and WS2_32.DLL) reads Wine's version, which is OK only when
    // it is the required one or higher (Wine 8's WS2_32.DLL, 5.1.2600.5512, is lower, so
    // the exit code is 1 there). Words and exit code are known before the program runs.
    TScopedFolder here;
    std::vector<std::unique_ptr<TScopedFileCopy>> copies;
    std::vector<std::unique_ptr<TScopedClassesRootKey>> keys;
    std::vector<std::string> paths, versions, words;
    ResetLibraries();
    for (const TLibraryEntry& entry : Libraries) {
        const std::string name = entry.Name.str();
        const bool winesOwn = WineProvides(name);
        const std::string path = here / (winesOwn && entry.NeedsRegistration() ? "K" + name : name);
        copies.push_back(std::make_unique<TScopedFileCopy>(StandInPath("good", name), path));
        paths.push_back(path);
        const TVersionParts read =
            GetFileVersionParts(WindowsPlatform(), path).value_or(TVersionParts{});
        versions.push_back(FormatVersion(read));
        words.push_back(VersionAtLeast(read, ParseVersion(entry.RequiredVersion.str()).value())
                            ? "OK"
                            : "ACTUALIZAR");
        if (!entry.NeedsRegistration()) continue;
        keys.push_back(std::make_unique<TScopedClassesRootKey>(WrittenKeyOf(entry)));
        keys.back()->SetDefault(path);
    }
    const bool allOk =
        std::all_of(words.begin(), words.end(), [](const std::string& w) { return w == "OK"; });
    // Switches are read without regard to case, after "-" as after "/".
    const TProcessResult toFile = RunKestrova("-ESTADO informe.txt", here.Path());
    EXPECT_EQ(toFile.ExitCode, allOk ? 0u : 1u);
    const std::string text = ReadWholeFile(here / "informe.txt");
    ASSERT_EQ(text.rfind(BOM, 0), 0u);
    const auto rows = ReportRows(text.substr(3));
    ASSERT_EQ(rows.size(), LIBRARY_COUNT + 1);
    for (std::size_t i = 0; i < LIBRARY_COUNT; ++i) {
        const std::string name = Libraries[i].Name.str();
        ASSERT_EQ(rows[i + 1].size(), 5u) << name;
        EXPECT_EQ(rows[i + 1][0], name);
        EXPECT_EQ(rows[i + 1][1], words[i]) << name;
        EXPECT_EQ(rows[i + 1][2], versions[i]) << name;
        EXPECT_EQ(rows[i + 1][3], Libraries[i].RequiredVersion.str()) << name;
        EXPECT_EQ(rows[i + 1][4], paths[i]) << name;
    }
    // With no file, the report goes to the standard output the program was given; these
    // lines are plain ASCII, the same bytes in any code page.
    const TProcessResult toConsole = RunKestrova("/Estado", here.Path());
    EXPECT_EQ(toConsole.ExitCode, toFile.ExitCode);
    EXPECT_NE(toConsole.Output.find(text.substr(3)), std::string::npos) << toConsole.Output;
}

TEST(StatusReport, SaysWhatTheWindowListsAndWaitsForTheWindowToClose) {
    TScenario machine;
    const std::string ijl = machine.PlaceHere("outdated", "IJL11.DLL");
    machine.Register("RICHTX32.OCX", "");
    machine.PlaceHere("good", "RICHTX32.OCX");
    machine.Register("MSINET.OCX", machine.PlaceHere("good", "MSINET.OCX"));
    const std::string report = machine.HerePath("informe.txt");

    std::vector<std::string> lines;
    std::string osName;
    {
        auto app = machine.Start();
        lines = app->Lines();
        osName = app->Text(IDC_LBLSO);
        // A second start does nothing while the window runs.
        EXPECT_EQ(RunKestrova("/estado informe.txt", machine.Here()).ExitCode, 5u);
        EXPECT_FALSE(FileExistsAt(report));
        EXPECT_TRUE(app->Process().Running());
        // Wine runs it elevated: the global mutex, where there are no private namespaces,
        // is Administrators' alone, so no standard user can take it before an elevated run.
        const TKernelHandle mutex(OpenMutexA(READ_CONTROL, FALSE, INSTANCE_MUTEX));
        if (PrivateNamespaces()) {
            EXPECT_FALSE(mutex);
        } else {
            ASSERT_TRUE(mutex);
            EXPECT_TRUE(AdministratorsAlone(mutex.get()));
        }
    }
    ASSERT_EQ(lines.size(), LIBRARY_COUNT);

    EXPECT_EQ(RunKestrova("/estado informe.txt", machine.Here()).ExitCode, 1u);
    const std::string text = ReadWholeFile(report);
    ASSERT_EQ(text.rfind(BOM, 0), 0u);
    const auto rows = ReportRows(text.substr(3));
    ASSERT_EQ(rows.size(), LIBRARY_COUNT + 1);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"Sistema Operativo:", osName}));
    for (std::size_t i = 0; i < LIBRARY_COUNT; ++i) {
        ASSERT_GE(rows[i + 1].size(), 4u) << lines[i];
        EXPECT_EQ(Line(rows[i + 1][0], (" - \xA1" + rows[i + 1][1] + "!").c_str()), lines[i]);
        EXPECT_EQ(rows[i + 1][3], Libraries[i].RequiredVersion.str()) << lines[i];
    }
    const auto& ijlRow = rows[1 + IndexOf("IJL11.DLL")];
    EXPECT_EQ(ijlRow, (std::vector<std::string>{"IJL11.DLL", "ACTUALIZAR", FileVersionText(ijl),
                                                Entry("IJL11.DLL").RequiredVersion.str(), ijl}));
}

// What a standard user could have put in the elevated run's way before it started: a mutex
// of Kestrova's name that refuses everyone, one of theirs open to all, and another kind of
// object under the name. None is read as another Kestrova.
TEST(SingleInstance, AMarkSomeoneElseMadeStopsAnElevatedRunWithExitCodeSix) {
    if (PrivateNamespaces()) GTEST_SKIP() << "the elevated run's mutex is not in Global\\";
    TScopedFolder here;
    const TNothingToFetch nothing;
    const std::string squatters[] = {"D:P(D;;GA;;;WD)", "O:" + UserSid() + "D:P(A;;GA;;;WD)",
                                     "event"};
    for (const std::string& squatter : squatters) {
        TKernelHandle mark;
        if (squatter == "event") {
            mark.reset(CreateEventA(nullptr, FALSE, FALSE, INSTANCE_MUTEX));
        } else {
            TDescriptor descriptor(squatter);
            mark.reset(CreateMutexA(descriptor.Attributes(), FALSE, INSTANCE_MUTEX));
        }
        ASSERT_TRUE(mark) << squatter;
        for (const char* args : {"/estado informe.txt", "/reparar /s /registro informe.txt"}) {
            const TProcessResult run = RunKestrova(args, here.Path());
            EXPECT_EQ(run.ExitCode, 6u) << squatter << " " << args;
            EXPECT_NE(run.Output.find("No se puede comprobar si Kestrova ya est"),
                      std::string::npos)
                << squatter << " " << args << "\n"
                << run.Output;
            EXPECT_FALSE(FileExistsAt(here / "informe.txt")) << squatter << " " << args;
        }
    }
}

// A report or a log whose name is a hard link of another file (one a standard user linked to
// a file of the administrator's, say) is refused before it is cut or written, with exit code
// 2. Wine 8 makes no reparse points (CreateSymbolicLinkA does nothing and says it did, and a
// Unix symbolic link reads as a plain file), so the same rule for those is tested natively.
TEST(CommandLine, AnElevatedRunWritesNoReportOrLogThroughAHardLink) {
    TScopedFolder here;
    const TNothingToFetch nothing;
    const std::string other = here / "otro.txt";
    std::ofstream(other, std::ios::binary) << "ajeno\r\n";
    for (const char* args : {"/estado enlace.txt", "/reparar /s /registro enlace.txt"}) {
        const std::string link = here / "enlace.txt";
        ASSERT_TRUE(CreateHardLinkA(link.c_str(), other.c_str(), nullptr)) << args;
        const TProcessResult run = RunKestrova(args, here.Path());
        EXPECT_EQ(run.ExitCode, 2u) << args;
        EXPECT_NE(run.Output.find("no escribe en enlace.txt: es un enlace"), std::string::npos)
            << args << "\n"
            << run.Output;
        EXPECT_EQ(ReadWholeFile(other), "ajeno\r\n") << args;
        DeleteFileA(link.c_str());
    }
}

// A report or log in a folder that is a link (a Unix directory link, which Wine follows as
// Windows follows a junction, and which the file's final path then shows) is refused, and a
// file the open made where the link led is removed again.
TEST(CommandLine, AnElevatedRunWritesNoReportOrLogThroughAFolderThatIsALink) {
    TScopedFolder here, elsewhere;
    const TNothingToFetch nothing;
    const TScopedUnixLink link(UnixPathOf(elsewhere.Path()), UnixPathOf(here.Path()) + "/enlace");
    for (const char* name : {"informe.txt", "reparar.log"}) {
        const std::string args = std::string(name) == "informe.txt"
                                     ? "/estado enlace\\informe.txt"
                                     : "/reparar /s /registro enlace\\reparar.log";
        const TProcessResult run = RunKestrova(args, here.Path());
        EXPECT_EQ(run.ExitCode, 2u) << args;
        EXPECT_NE(run.Output.find("no escribe en enlace\\" + std::string(name) +
                                  ": es un enlace (un punto de rean"),
                  std::string::npos)
            << args << "\n"
            << run.Output;
        EXPECT_NE(run.Output.find("o lo es una carpeta de su ruta"), std::string::npos)
            << run.Output;
        EXPECT_FALSE(FileExistsAt(elsewhere / name)) << args << ": left where the link led";
    }
}
