// Colours are only observable on the screen: a control's background colour is decided in
// the program's WM_CTLCOLOR handling, so the tests read back the pixels that reached it.
#pragma once

#include <windows.h>

namespace gui {

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
