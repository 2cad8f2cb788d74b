// Which button Enter and the access keys press in the main window. Kept apart from the
// window so the rules are testable, and decided by us rather than by the dialog manager,
// whose idea of the default button is not the window's.
#pragma once

#include <functional>
#include <optional>
#include <string>

// `usable(id)`: the control is enabled and visible.
using TUsable = std::function<bool(int id)>;

// The control Enter presses while control `focusedId` has the keyboard focus: the focused
// button itself, or, from the list and the edit fields, the first usable of cmdRegistrar,
// cmdDescargar, cmdReRegistrar and btnExtra. nullopt: Enter does nothing.
std::optional<int> EnterTarget(int focusedId, const TUsable& usable);

// The button that Alt with `key` presses: the first usable button whose caption marks
// that letter with "&" (cmdDescargar and cmdDetener share D).
std::optional<int> AccessKeyTarget(char key, const TUsable& usable);

// The upper-cased letter marked by "&" in `caption` ("&&" is a literal ampersand), or 0.
char AccessKeyOf(const std::string& caption);

// The next control in the tab order from `focusedId` (backwards with `reverse`) that is
// usable; the list, the buttons and the edit fields take part, the panel and the bar never.
std::optional<int> NextTabStop(int focusedId, bool reverse, const TUsable& usable);
