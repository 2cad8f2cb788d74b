// The start-up baseline: a bare Win32 program that makes the Windows calls of one scan
// (registry reads, file look-ups, version reads, the OS version) directly, then opens a
// window with a 29-line list. Kestrova's own start-up is measured against it.
#include "bench/window/BareScan.h"
#include "inventory/Catalogue.h"

#include <windows.h>

namespace {

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
