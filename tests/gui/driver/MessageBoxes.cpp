// Message boxes and other dialogs of the program, read and answered with the mouse.
#include "MessageBoxes.h"

#include "Input.h"
#include "Wait.h"
#include "WindowQuery.h"

namespace gui {

namespace {

constexpr int MESSAGE_TEXT_ID = 0xFFFF;

TMessageBox Describe(HWND dialog, HWND text) {
    TMessageBox box;
    box.Handle = dialog;
    box.Title = TextOf(dialog);
    box.Text = TextOf(text);
    for (HWND button : ChildrenOfClass(dialog, "Button"))
        if (IsWindowVisible(button)) box.Buttons.push_back(TextOf(button));
    for (HWND picture : ChildrenOfClass(dialog, "Static"))
        if (IsWindowVisible(picture) &&
            (GetWindowLongA(picture, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
            SendMessageA(picture, STM_GETICON, 0, 0) != 0)
            box.IconShown = true;
    return box;
}

} // namespace

std::optional<TMessageBox> CurrentMessageBox(DWORD pid) {
    for (HWND dialog : TopLevelWindows(pid, "#32770")) {
        HWND text = GetDlgItem(dialog, MESSAGE_TEXT_ID);
        if (text != nullptr) return Describe(dialog, text);
    }
    return std::nullopt;
}

std::optional<TMessageBox> WaitForMessageBox(DWORD pid, DWORD timeoutMs) {
    std::optional<TMessageBox> box;
    WaitUntil([&] { return (box = CurrentMessageBox(pid)).has_value(); }, timeoutMs);
    return box;
}

bool PressButton(const TMessageBox& box, const std::string& caption) {
    for (HWND button : ChildrenOfClass(box.Handle, "Button")) {
        if (!IsWindowVisible(button) || TextOf(button) != caption) continue;
        BringToFront(box.Handle);
        Click(button);
        return WaitUntil([&] { return !IsWindow(box.Handle) || !IsWindowVisible(box.Handle); });
    }
    return false;
}

HWND WaitForDialogWithButton(DWORD pid, int buttonId, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND dialog : TopLevelWindows(pid, "#32770"))
                if (GetDlgItem(dialog, buttonId) != nullptr) return (found = dialog) != nullptr;
            return false;
        },
        timeoutMs);
    return found;
}

} // namespace gui
