// The second start-up baseline: what drawing Kestrova's window takes in bare Win32. The
// scan's calls made bare, then the same 17 controls from the layout table with their Tahoma
// fonts (one per size), Common Controls 6 as Kestrova's manifest asks (the same manifest),
// and 29 lines in the Tahoma-16 list, all drawn by Windows' own controls: no owner drawing,
// no scaling, no keyboard rules, no logic. The
// first baseline (MinimalWindow) has one control and the stock font, which no window like
// Kestrova's can match.
#include "bench/window/BareScan.h"
#include "inventory/Catalogue.h"
#include "ui/Layout.h"

#include <windows.h>

#include <commctrl.h>

#include <string>

namespace {

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

HFONT FontFor(int height, bool bold) {
    static HFONT fonts[2][40];
    if (height <= 0) height = BASE_FONT_HEIGHT;
    HFONT& font = fonts[bold ? 1 : 0][height];
    if (!font)
        font = CreateFontA(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Tahoma");
    return font;
}

// The window class and styles of each kind of control, as plain as Windows gives them.
const char* ClassOf(TControlKind kind) {
    switch (kind) {
    case TControlKind::List:
        return "LISTBOX";
    case TControlKind::Panel:
        return "KestrovaBarePanel";
    case TControlKind::Button:
        return "BUTTON";
    case TControlKind::ReadOnlyEdit:
        return "EDIT";
    case TControlKind::ProgressBar:
        return PROGRESS_CLASSA;
    case TControlKind::Label:
    case TControlKind::Link:
        break;
    }
    return "STATIC";
}

DWORD StyleOf(const TControlRow& row) {
    DWORD style = WS_CHILD | (row.Visible ? WS_VISIBLE : 0) | (row.Enabled ? 0 : WS_DISABLED);
    if (row.Kind == TControlKind::List) style |= WS_VSCROLL | LBS_NOINTEGRALHEIGHT;
    if (row.Kind == TControlKind::ReadOnlyEdit) style |= ES_READONLY;
    if (row.Kind == TControlKind::Link) style |= SS_CENTER;
    return style;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    BareScan();
    WNDCLASSA cls = {};
    cls.lpfnWndProc = &Proc;
    cls.hInstance = instance;
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = "KestrovaBareForm";
    RegisterClassA(&cls);
    cls.lpszClassName = "KestrovaBarePanel";
    RegisterClassA(&cls);
    HWND window = CreateWindowA("KestrovaBareForm", "Baseline",
                                WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, 0, 0,
                                FORM_WIDTH, FORM_HEIGHT, nullptr, nullptr, instance, nullptr);
    HWND list = nullptr;
    for (std::size_t i = 0; i < LayoutCount; ++i) {
        const TControlRow& row = Layout[i];
        HWND parent = row.Parent ? GetDlgItem(window, row.Parent) : window;
        HWND control = CreateWindowExA(
            row.Kind == TControlKind::List || row.Kind == TControlKind::ReadOnlyEdit
                ? WS_EX_CLIENTEDGE
                : 0,
            ClassOf(row.Kind), row.Caption, StyleOf(row), row.Left, row.Top, row.Width, row.Height,
            parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.Id)), instance, nullptr);
        SendMessageA(control, WM_SETFONT,
                     reinterpret_cast<WPARAM>(FontFor(row.FontHeight, row.Bold)), FALSE);
        if (row.Kind == TControlKind::List) list = control;
    }
    for (const TLibraryEntry& e : Libraries)
        SendMessageA(list, LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>((e.Name.str() + " - ¡ACTUALIZAR!").c_str()));
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
