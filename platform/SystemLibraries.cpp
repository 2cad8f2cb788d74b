// The library search of a process that may run as administrator, with the flags of newer
// Windows looked up at run time: the program still runs on Windows XP.
#include "platform/SystemLibraries.h"

#include <vector>

namespace {

// LoadLibraryExA's search flags, which Windows knows exactly where it exports
// SetDefaultDllDirectories; the headers for Windows XP do not define them.
constexpr DWORD SEARCH_DLL_LOAD_DIR = 0x00000100; // LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR
constexpr DWORD SEARCH_SYSTEM32 = 0x00000800;     // LOAD_LIBRARY_SEARCH_SYSTEM32

using TSetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);
using TSetDllDirectoryA = BOOL(WINAPI*)(LPCSTR);

// kernel32 is loaded in every process before any of our code runs, from the system folder.
template <typename TFunction> TFunction Kernel32(const char* name) {
    return reinterpret_cast<TFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

bool SearchFlagsKnown() {
    static const bool known =
        Kernel32<TSetDefaultDllDirectories>("SetDefaultDllDirectories") != nullptr;
    return known;
}

} // namespace

void RestrictLibrarySearch() {
    const auto setDefault = Kernel32<TSetDefaultDllDirectories>("SetDefaultDllDirectories");
    if (setDefault != nullptr && setDefault(SEARCH_SYSTEM32)) return;
    const auto setDirectory = Kernel32<TSetDllDirectoryA>("SetDllDirectoryA");
    if (setDirectory != nullptr) setDirectory("");
}

HMODULE LoadSystemLibrary(const char* name) {
    char folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::string path = std::string(folder, length) + "\\" + name;
    // Without the search flags, a full path with the altered search order still looks for
    // the dependencies in the library's own folder (the system folder) first.
    return LoadLibraryExA(path.c_str(), nullptr,
                          SearchFlagsKnown() ? SEARCH_SYSTEM32 : LOAD_WITH_ALTERED_SEARCH_PATH);
}

HMODULE LoadLibraryAt(const std::string& path) {
    const DWORD needed = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return nullptr;
    std::vector<char> full(needed + 1, '\0');
    const DWORD length = GetFullPathNameA(path.c_str(), needed + 1, full.data(), nullptr);
    if (length == 0 || length > needed) return nullptr;
    return LoadLibraryExA(full.data(), nullptr,
                          SearchFlagsKnown() ? SEARCH_DLL_LOAD_DIR | SEARCH_SYSTEM32
                                             : LOAD_WITH_ALTERED_SEARCH_PATH);
}
