// Where a window's DPI comes from: the window itself on Windows 10 version 1607 and later,
// where each monitor may have a scale of its own, and the screen elsewhere.
#include "ui/Dpi.h"

#include "platform/LateBound.h"

namespace {

typedef UINT(WINAPI TGetDpiForWindow)(HWND);

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : DESIGN_DPI;
}

} // namespace

int WindowDpi(HWND window) {
    static TGetDpiForWindow* const forWindow =
        LateBound<TGetDpiForWindow>("user32.dll", "GetDpiForWindow");
    const UINT dpi = forWindow && window ? forWindow(window) : 0;
    return dpi > 0 ? static_cast<int>(dpi) : ScreenDpi();
}
