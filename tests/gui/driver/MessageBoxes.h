// The program's message boxes as a user meets them: a top-level "#32770" dialog of the
// program's process with a title, a text, an optional icon and buttons to press.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace gui {

struct TMessageBox {
    HWND Handle = nullptr;
    std::string Title;
    std::string Text;                 // the static with id 0xFFFF, exactly as shown (LF CR kept)
    std::vector<std::string> Buttons; // captions in the dialog's order, "&" kept
    bool IconShown = false;
};

// Waits for a message box of process `pid` (a "#32770" with the text static 0xFFFF).
std::optional<TMessageBox> WaitForMessageBox(DWORD pid, DWORD timeoutMs = 5000);

// The message box of `pid` showing right now, if any.
std::optional<TMessageBox> CurrentMessageBox(DWORD pid);

// Clicks the button captioned `caption` and waits until the box is gone; false when there
// is no such button or the box stayed.
bool PressButton(const TMessageBox& box, const std::string& caption);

// Waits for any "#32770" dialog of `pid` that has a button with id `buttonId` (the file
// dialog's Cancel is IDCANCEL).
HWND WaitForDialogWithButton(DWORD pid, int buttonId, DWORD timeoutMs = 5000);

} // namespace gui
