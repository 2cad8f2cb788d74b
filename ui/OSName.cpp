// Maps what GetVersionExA reports (with the manifest's supportedOS entries, the real version)
// to the Spanish-labelled description of the window and of the status report.
#include "ui/OSName.h"

namespace {

// wProductType of a desktop Windows (VER_NT_WORKSTATION); servers report 2 or 3.
constexpr uint8_t WORKSTATION = 1;

std::string Numbered(const char* prefix, const TOsVersion& v) {
    return prefix + std::to_string(v.Major) + "." + std::to_string(v.Minor) + ")";
}

std::string Describe9x(const TOsVersion& v) {
    if (v.Major == 4 && v.Minor == 0) return "Windows 95";
    if (v.Major == 4 && v.Minor == 10)
        return v.ServicePack.size() >= 2 && v.ServicePack[1] == 'A' ? "Windows 98 Second Edition"
                                                                    : "Windows 98";
    if (v.Major == 4 && v.Minor == 90) return "Windows Millenium";
    return Numbered("Desconocido 9x (v", v);
}

// Windows 10 and 11 and the servers built alongside them all report 10.0; a server is named
// by the latest release at or below its build.
std::string DescribeTen(const TOsVersion& v, bool server) {
    if (!server) return v.Build >= 22000 ? "Windows 11" : "Windows 10";
    if (v.Build >= 26100) return "Windows Server 2025";
    if (v.Build >= 20348) return "Windows Server 2022";
    if (v.Build >= 17763) return "Windows Server 2019";
    return "Windows Server 2016";
}

std::string DescribeNt(const TOsVersion& v) {
    const bool server = v.ProductType != WORKSTATION;
    if (v.Major <= 4) return "Windows NT";
    if (v.Major == 5 && v.Minor == 0) return "Windows 2000";
    if (v.Major == 5 && v.Minor == 1) return "Windows XP";
    if (v.Major == 5 && v.Minor == 2) return "Windows Server 2003";
    if (v.Major == 6 && v.Minor == 0) return server ? "Windows Server 2008" : "Windows Vista";
    if (v.Major == 6 && v.Minor == 1) return server ? "Windows Server 2008 R2" : "Windows 7";
    if (v.Major == 6 && v.Minor == 2) return server ? "Windows Server 2012" : "Windows 8";
    if (v.Major == 6 && v.Minor == 3) return server ? "Windows Server 2012 R2" : "Windows 8.1";
    if (v.Major == 10 && v.Minor == 0) return DescribeTen(v, server);
    return Numbered("Desconocido NT (v", v);
}

} // namespace

std::string DescribeOs(const std::optional<TOsVersion>& version, bool wow64) {
    std::string text = "Desconocido";
    if (version && version->PlatformId == 1) text = Describe9x(*version);
    if (version && version->PlatformId == 2) text = DescribeNt(*version);
    if (wow64) text += " (64 bits)";
    return text;
}

bool IsWow64(TPlatform& platform) {
    return platform.IsWow64();
}

std::string GetOSName(TPlatform& platform) {
    return DescribeOs(platform.OsVersion(), IsWow64(platform));
}
