// What a user sees of the program's windows, read from outside its process with plain
// window messages: which windows it shows, their texts, list lines and states.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace gui {

// The visible top-level windows of process `pid` whose class is `className`, topmost first.
std::vector<HWND> TopLevelWindows(DWORD pid, const std::string& className);

// The first of TopLevelWindows, or nullptr.
HWND FindTopLevel(DWORD pid, const std::string& className);

// The descendant of `parent` (at any depth, so labels inside panels are found) whose
// control id is `id`; nullptr when there is none.
HWND FindControl(HWND parent, int id);

// The direct children of `parent` of class `className` (case-insensitive), in z-order.
std::vector<HWND> ChildrenOfClass(HWND parent, const std::string& className);

std::string ClassOf(HWND window);

// The window's text as WM_GETTEXT gives it (ANSI bytes); empty when the window does not
// answer within a second, so a hung program fails a test instead of hanging it.
std::string TextOf(HWND window);

// Every line of a list box (LB_GETCOUNT and LB_GETTEXT; the list has LBS_HASSTRINGS).
std::vector<std::string> ListLines(HWND list);

// The selected line's index, or -1 (LB_ERR) when nothing is selected.
int ListSelection(HWND list);

bool Enabled(HWND window);
// Visible, with every parent visible too.
bool Shown(HWND window);

// The window with the keyboard focus in the GUI thread of `threadId`, or nullptr.
HWND FocusedWindow(DWORD threadId);

// The window's rectangle, in screen coordinates.
RECT ScreenRect(HWND window);

// The client rectangle's origin, in screen coordinates.
POINT ClientOrigin(HWND window);

} // namespace gui
