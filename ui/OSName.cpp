// Maps what GetVersionExA reports to the Spanish-labelled description of the window.
#include "ui/OSName.h"

namespace {

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

std::string DescribeNt(const TOsVersion& v) {
    if (v.Major <= 4) return "Windows NT";
    if (v.Major == 5 && v.Minor == 0) return "Windows 2000";
    if (v.Major == 5 && v.Minor == 1) return "Windows XP";
    if (v.Major == 5 && v.Minor == 2) return "Windows Server 2003";
    if (v.Major == 6 && v.Minor == 0) return "Windows Vista";
    if (v.Major == 6 && v.Minor == 1) return "Windows 7";
    if (v.Major == 6 && v.Minor == 2) return "Windows 8";
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
