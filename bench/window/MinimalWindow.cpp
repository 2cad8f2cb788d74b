// The start-up baseline: a bare Win32 program that makes the Windows calls of one scan
// (registry reads, file look-ups, version reads, the OS version) directly, then opens a
// window with a 29-line list. Kestrova's own start-up is measured against it.
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

// The scan's calls, bare: one registry read, up to three existence checks and one version
// read per entry.
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

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    BareScan();
    WNDCLASSA cls = {};
    cls.lpfnWndProc = &Proc;
    cls.hInstance = instance;
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = "KestrovaBaseline";
    RegisterClassA(&cls);
    HWND window = CreateWindowA(cls.lpszClassName, "Baseline", WS_OVERLAPPEDWINDOW, 0, 0, 473, 528,
                                nullptr, nullptr, instance, nullptr);
    HWND list = CreateWindowA("LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL, 8, 48, 273, 353,
                              window, nullptr, instance, nullptr);
    for (const TLibraryEntry& e : Libraries)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.Name.c_str()));
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
