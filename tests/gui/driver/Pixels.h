// Colours and glyphs are only observable on the screen: a control's background colour is
// decided in the program's WM_CTLCOLOR handling and a list line's text where the program
// draws it, so the tests read back the pixels that reached the screen.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace gui {

// A rectangle of pixels, one COLORREF-comparable value each, rows from the top.
class TPixels {
public:
    // A copy of the screen's `area` (empty when it cannot be read).
    static TPixels OfScreen(const RECT& area);
    // `text` as this process's own GDI draws it in `font`, in `ink` on `paper`, its cell's
    // top left corner TEXT_MARGIN pixels in from the bitmap's, so glyphs that overhang the
    // cell are kept: the reference a reading of the program's screen is compared with.
    static constexpr int TEXT_MARGIN = 8;
    static TPixels OfText(HFONT font, const std::string& text, COLORREF ink, COLORREF paper);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    bool Valid() const { return !FPixels.empty(); }
    COLORREF At(int x, int y) const { return FPixels[static_cast<size_t>(y) * FWidth + x]; }

    // How many rows hold a pixel other than `paper` in the columns [left, right).
    int InkedRows(int left, int right, COLORREF paper) const;

    bool operator==(const TPixels&) const = default;

private:
    TPixels(int width, int height) : FWidth(width), FHeight(height) {}
    int FWidth;
    int FHeight;
    std::vector<COLORREF> FPixels;
};

// The colour of one screen pixel (CLR_INVALID when it cannot be read).
COLORREF ScreenPixel(POINT screen);

// The background colour of an edit field: a pixel just inside its right edge, vertically
// centred, where left-aligned text never reaches.
COLORREF EditBackground(HWND edit);

// The index, among the text items of an open popup menu (window class "#32768"), of the
// item that shows a check mark; -1 when none does. The menu's data lives in the program's
// process (Wine answers GetMenuState only there), so this reads the drawn menu: glyph rows
// in the check-mark column are matched to the rows of item texts. Call it while no item is
// highlighted (the pointer off the menu). MENU_NOT_DRAWN while no item text is on screen.
inline constexpr int MENU_NOT_DRAWN = -2;
int CheckedMenuItem(HWND popup);

} // namespace gui
