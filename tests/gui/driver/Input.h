// Driving the program like a user: real mouse and keyboard input through SendInput, which
// Wine delivers on Xvfb as it would hardware input (to the window under the pointer, and
// to the focused window of the foreground program), keyboard state included.
#pragma once

#include <windows.h>

#include <string>

namespace gui {

enum TModifier : unsigned { NO_MODIFIER = 0, WITH_SHIFT = 1, WITH_CTRL = 2, WITH_ALT = 4 };

// Moves the pointer to a screen point.
void MoveMouseTo(POINT screen);

// A left click at a point in `window`'s client coordinates.
void ClickAt(HWND window, POINT client);

// A left click at the centre of `window`'s client area.
void Click(HWND window);

// A mouse-wheel turn of `notches` (positive away from the user) over `window`.
void Wheel(HWND window, int notches);

// Makes `window` the foreground window, as a user's click on its title bar would, and
// waits until Windows says so; false when it did not happen in time.
bool BringToFront(HWND window);

// A key press and release with the given modifiers held (virtual-key codes).
void PressKey(WORD virtualKey, unsigned modifiers = NO_MODIFIER);

// Types `text` (ANSI characters that the keyboard layout has) key by key, as one burst.
void TypeText(const std::string& text);

// Clicks list line `index`, first turning the wheel over the list until that line is in
// view; false when the line could not be brought into view.
bool ClickListLine(HWND list, int index);

} // namespace gui
