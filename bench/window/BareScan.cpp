// The scan's calls as a bare Win32 program makes them.
#include "bench/window/BareScan.h"

#include "inventory/Catalogue.h"
#include "inventory/Scan.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

bool Exists(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE found = FindFirstFileA(path.c_str(), &data);
    if (found == INVALID_HANDLE_VALUE) return false;
    FindClose(found);
    return true;
}

void ReadVersion(const std::string& file) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
    if (size == 0) return;
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(file.c_str(), 0, size, block.data())) return;
    void* fixed = nullptr;
    UINT length = 0;
    VerQueryValueA(block.data(), "\\", &fixed, &length);
}

} // namespace

void BareScan() {
    char current[MAX_PATH], system[MAX_PATH];
    ResetLibraries();
    for (const TLibraryEntry& e : Libraries) {
        GetCurrentDirectoryA(MAX_PATH, current);
        GetSystemDirectoryA(system, MAX_PATH);
        std::string found;
        const std::string key = RegistryKeyOf(e);
        if (!key.empty()) {
            HKEY opened;
            if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &opened) == 0) {
                char value[260] = {};
                DWORD size = sizeof value;
                if (RegQueryValueExA(opened, nullptr, nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(value), &size) == 0 &&
                    value[0] && Exists(value))
                    found = value;
                RegCloseKey(opened);
            }
        }
        for (const char* folder : {current, system})
            if (found.empty() && Exists(std::string(folder) + "\\" + e.Name.str()))
                found = std::string(folder) + "\\" + e.Name.str();
        if (!found.empty()) ReadVersion(found);
    }
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
}
