// The program's three message boxes: the plain one, the Yes/No confirmation and the error
// box. They are dialogs of our own rather than MessageBoxA, whose buttons Windows captions
// in the user's language ("Aceptar", "Sí") and whose Yes/No box ignores Escape and the
// close button; ours say "OK", "&Yes" and "&No" on every Windows.
#pragma once

#include <windows.h>

#include <string>

// The application title, which titles the plain and the error box.
inline constexpr const char* APPLICATION_TITLE = "Kestrova";

// Ids of the box's parts, those Windows' own message boxes use, so tools that read one
// can read ours: the text, the icon, and the buttons.
inline constexpr int BOX_TEXT_ID = 0xFFFF;
inline constexpr int BOX_ICON_ID = 20;

// The window the boxes are modal to (the main window once it exists; may be null).
void SetMessageBoxOwner(HWND owner);

// "Kestrova", no icon, one "OK" button that Enter and Escape press.
void ShowPlainMessage(const std::string& text);
// "Warning", warning icon, "&Yes" and "&No"; Enter answers Yes, Escape and closing the box
// answer No. True only for Yes.
bool AskConfirmation(const std::string& text);
// "Kestrova", error icon, one "OK" button; `text` is shown as given.
void ShowErrorMessage(const std::string& text);
