// The OS description under every Windows version Wine can be set to, in both prefixes:
// Wine reads the setting at process start, so each case runs the probe as a new process.
#include "tests/support/WineSupport.h"

#include <gtest/gtest.h>

using namespace kestrova_test;

namespace {

std::string FirstLine(const std::string& text) {
    const std::size_t end = text.find_first_of("\r\n");
    return end == std::string::npos ? text : text.substr(0, end);
}

} // namespace

TEST(WineOsName, EveryWindowsVersionWineReports) {
    struct TCase {
        const char* setting; // HKCU\Software\Wine, value Version ("" = not set)
        const char* text;
    };
    // win81 and win10 report 6.2 to a program without the manifest's supportedOS entries
    // (10.0 is build 18362 with them). Wine 8.0 reports a server's product type under
    // win2003 and win2008, and under win7, whose product type it swaps with win2008r2's; its
    // Windows 7 is the default setting. The 9x settings are honoured in the 64-bit prefix too,
    // where IsWow64Process still says yes.
    const TCase cases[] = {
        {"win95", "Windows 95"},
        {"win98", "Windows 98 Second Edition"}, // service-pack text " A "
        {"winme", "Windows Millenium"},
        {"nt40", "Windows NT"},
        {"win2k", "Windows 2000"},
        {"winxp", "Windows XP"},
        {"win2003", "Windows Server 2003"},
        {"vista", "Windows Vista"},
        {"win2008", "Windows Server 2008"},
        {"win7", "Windows Server 2008 R2"},
        {"win2008r2", "Windows 7"},
        {"win8", "Windows 8"},
        {"win81", "Windows 8.1"},
        {"win10", "Windows 10"},
        {"", "Windows 7"}, // Wine's default
    };
    const std::string suffix = InWin64Prefix() ? " (64 bits)" : "";
    std::string probe = WinePath(KESTROVA_OS_PROBE);
    probe.insert(0, 1, '"').push_back('"');
    TScopedRegistryValue version(HKEY_CURRENT_USER, "Software\\Wine", "Version");
    for (const TCase& c : cases) {
        if (*c.setting)
            version.SetText(c.setting);
        else
            version.Remove();
        const TProcessResult run = RunProcess(probe);
        EXPECT_EQ(run.ExitCode, 0u) << c.setting;
        EXPECT_EQ(FirstLine(run.Output), c.text + suffix) << c.setting << ": " << run.Output;
    }
}
