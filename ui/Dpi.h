// The scale of a window: its layout is designed at 96 DPI, and every figure of it is drawn
// at the DPI of the monitor the window is on.
#pragma once

#include <windows.h>

// The DPI the layout's figures are designed at.
inline constexpr int DESIGN_DPI = 96;

// Sent to a per-monitor aware window moved to a monitor of another scale: the new DPI in
// the low word of wParam, the suggested window rectangle (RECT*) in lParam.
inline constexpr UINT MESSAGE_DPI_CHANGED = 0x02E0;

// GetDpiForWindow where Windows has it (10 version 1607 on), else the screen's LOGPIXELSY.
int WindowDpi(HWND window);

// `value`, a figure designed at 96 DPI, at `dpi`.
inline int Scaled(int value, int dpi) {
    return MulDiv(value, dpi, DESIGN_DPI);
}

// A font's pixel height designed at 96 DPI, at `dpi`: rounded down, so that a text that fits
// its control at 96 DPI fits it at any scale. Rounded to the nearest, Tahoma 13 would take 20
// pixels at 144 DPI, 3% more than the scale, and the credits line, whose text is as wide as
// its control at 96 DPI, would lose both its ends.
inline int ScaledFont(int height, int dpi) {
    return height * dpi / DESIGN_DPI;
}
