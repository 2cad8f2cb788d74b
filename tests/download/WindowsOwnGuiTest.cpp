// Windows' own library on the real window under Wine, in a prefix given the KnownDLLs list
// that Windows 10 has (Wine has none): a newer copy beside the program is not the located
// one, and "Descargar" answers with one box and changes no file.
#include "DownloadSteps.h"
#include "LibServerControl.h"

#include "platform/WinPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace gui;
using kestrova_test::ReadWholeFile;

namespace {

const char* const KNOWN_DLLS_KEY = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\KnownDLLs";

// Name and data of every KnownDLLs value of a 64-bit Windows 10.
const char* const WINDOWS10_KNOWN_DLLS[][2] = {
    {"_wow64cpu", "wow64cpu.dll"}, {"_wowarmhw", "wowarmhw.dll"}, {"_xtajit", "xtajit.dll"},
    {"advapi32", "advapi32.dll"},  {"clbcatq", "clbcatq.dll"},    {"combase", "combase.dll"},
    {"COMDLG32", "COMDLG32.dll"},  {"coml2", "coml2.dll"},        {"DifxApi", "difxapi.dll"},
    {"gdi32", "gdi32.dll"},        {"gdiplus", "gdiplus.dll"},    {"IMAGEHLP", "IMAGEHLP.dll"},
    {"IMM32", "IMM32.dll"},        {"kernel32", "kernel32.dll"},  {"MSCTF", "MSCTF.dll"},
    {"MSVCRT", "MSVCRT.dll"},      {"NORMALIZ", "NORMALIZ.dll"},  {"NSI", "NSI.dll"},
    {"ole32", "ole32.dll"},        {"OLEAUT32", "OLEAUT32.dll"},  {"PSAPI", "PSAPI.DLL"},
    {"rpcrt4", "rpcrt4.dll"},      {"sechost", "sechost.dll"},    {"Setupapi", "Setupapi.dll"},
    {"SHCORE", "SHCORE.dll"},      {"SHELL32", "SHELL32.dll"},    {"SHLWAPI", "SHLWAPI.dll"},
    {"user32", "user32.dll"},      {"WLDAP32", "WLDAP32.dll"},    {"wow64", "wow64.dll"},
    {"wow64win", "wow64win.dll"},  {"WS2_32", "WS2_32.dll"},
};

// The KnownDLLs key holding Windows 10's values for the scope of a test: values it had are
// put back, and a key the prefix did not have is removed again.
class TScopedWindows10KnownDlls {
public:
    TScopedWindows10KnownDlls() {
        HKEY raw = nullptr;
        FCreated =
            RegOpenKeyExA(HKEY_LOCAL_MACHINE, KNOWN_DLLS_KEY, 0, KEY_READ, &raw) != ERROR_SUCCESS;
        if (raw) RegCloseKey(raw);
        for (const auto& value : WINDOWS10_KNOWN_DLLS) {
            FValues.push_back(std::make_unique<kestrova_test::TScopedRegistryValue>(
                HKEY_LOCAL_MACHINE, KNOWN_DLLS_KEY, value[0]));
            FValues.back()->SetText(value[1]);
        }
    }
    ~TScopedWindows10KnownDlls() {
        FValues.clear();
        if (FCreated) RegDeleteKeyA(HKEY_LOCAL_MACHINE, KNOWN_DLLS_KEY);
    }

private:
    bool FCreated = false;
    std::vector<std::unique_ptr<kestrova_test::TScopedRegistryValue>> FValues;
};

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE found = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (found == INVALID_HANDLE_VALUE) return names;
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            names.push_back(data.cFileName);
    } while (FindNextFileA(found, &data));
    FindClose(found);
    return names;
}

} // namespace

// What the scan and the download rely on: the list as the prefix holds it, and one file
// told apart from another however its path is spelled.
TEST(WindowsOwnPlatform, ReadsTheListAndKnowsTheSystemCopy) {
    const TScopedWindows10KnownDlls known;
    std::vector<std::string> expected;
    for (const auto& value : WINDOWS10_KNOWN_DLLS)
        expected.push_back(value[1]);
    std::vector<std::string> read = WindowsPlatform().KnownDlls();
    std::sort(expected.begin(), expected.end());
    std::sort(read.begin(), read.end());
    EXPECT_EQ(read, expected);

    kestrova_test::TScopedFolder here;
    const auto copy = kestrova_test::PlaceStandIn("good", "GDI32.DLL", here.Path());
    const std::string system =
        kestrova_test::JoinPath(kestrova_test::SystemDirectory(), "GDI32.DLL");
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    struct TCase {
        std::string a, b;
        bool same;
    };
    std::vector<TCase> cases = {
        {system, kestrova_test::JoinPath(kestrova_test::SystemDirectory(), "gdi32.dll"), true},
        {kestrova_test::JoinPath(kestrova_test::SystemDirectory(), "..\\system32\\GDI32.DLL"),
         system, true},
        {system, copy->Path(), false},
        {system, here / "MISSING.DLL", false},
    };
    // The 32-bit system folder under its own name is the folder this process calls system32.
    if (kestrova_test::InWin64Prefix())
        cases.push_back({std::string(windows) + "\\syswow64\\gdi32.dll", system, true});
    for (const TCase& c : cases)
        EXPECT_EQ(WindowsPlatform().SameFile(c.a, c.b), c.same) << c.a << " | " << c.b;
}

TEST(WindowsOwnGui, NewerCopyHereIsNotLocatedAndDescargarChangesNothing) {
    // Wine's own WS2_32.DLL reads below the catalogue's version, so the line asks for a
    // download (its GDI32.DLL reads above it, and that line is OK).
    const std::string name = "WS2_32.DLL";
    const TScopedWindows10KnownDlls known;
    kestrova_test::ResetServer();
    TScenario scenario;
    const std::string here = scenario.PlaceHere("good", name); // the version the catalogue wants
    const std::string system = scenario.SystemPath(name);
    const std::string hereBytes = ReadWholeFile(here), systemBytes = ReadWholeFile(system);

    const auto app = scenario.Start();
    const int line = IndexOf(name);
    EXPECT_NE(app->Lines().at(static_cast<std::size_t>(line)), Line(name, STATUS_OK));
    ASSERT_TRUE(app->SelectLine(line));
    EXPECT_TRUE(WaitUntil([&] { return app->Text(IDC_TPATH) == system; })) << app->Text(IDC_TPATH);
    EXPECT_EQ(app->Text(IDC_TVERSION),
              FileVersionText(system) + " -> " + Entry(name).RequiredVersion.str());

    StartDownload(*app, name);
    Answer(*app, name + " es un componente de Windows y solo se actualiza con Windows Update. "
                        "No se ha descargado.");
    EXPECT_TRUE(app->NoMessageBoxWithin(2000));
    EXPECT_EQ(kestrova_test::ServerRequestCount(name), 0);
    EXPECT_EQ(FilesIn(scenario.Here()), std::vector<std::string>{name});
    EXPECT_EQ(ReadWholeFile(here), hereBytes);
    EXPECT_EQ(ReadWholeFile(system), systemBytes);
}
