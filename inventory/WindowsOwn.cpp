// The rule that tells Windows' own libraries from the ones Kestrova may place itself.
#include "inventory/WindowsOwn.h"

#include "inventory/Scan.h"

#include <algorithm>
#include <cctype>

namespace {

bool SameTextWithoutCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
        return std::toupper(x) == std::toupper(y);
    });
}

} // namespace

bool IsKnownDll(const std::vector<std::string>& knownDlls, const std::string& name) {
    return std::any_of(knownDlls.begin(), knownDlls.end(),
                       [&](const std::string& known) { return SameTextWithoutCase(known, name); });
}

bool IsWindowsOwn(TPlatform& platform, const std::string& name) {
    return platform.IsProtectedSystemFile(GetSystemDir(platform) + "\\" + name) ||
           IsKnownDll(platform.KnownDlls(), name);
}

std::string WindowsOwnRefusal(const std::string& name) {
    return name + " es un componente de Windows y solo se actualiza con Windows Update. No se "
                  "ha descargado.";
}
