// The main window's keyboard: Enter, Escape, Tab and the access keys decided by our own
// rules (ui/KeyRules) before a message is dispatched, and the list's type-ahead.
#include "ui/RegLib.h"

#include "ui/ControlIds.h"
#include "ui/KeyRules.h"
#include "ui/ListText.h"

#include <vector>

namespace {

bool NoModifiers() {
    return GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0;
}

} // namespace

bool TfGeneral::Usable(int id) const {
    HWND control = Control(id);
    return control && IsWindowEnabled(control) && IsWindowVisible(control);
}

bool TfGeneral::PreTranslate(const MSG& message) {
    if (!FHandle || (message.hwnd != FHandle && !IsChild(FHandle, message.hwnd))) return false;
    const TUsable usable = [this](int id) { return Usable(id); };
    HWND focus = GetFocus();
    const int focusedId = focus && IsChild(FHandle, focus) ? GetDlgCtrlID(focus) : 0;
    auto press = [this](int id) {
        SendMessageA(FHandle, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(Control(id)));
    };
    if (message.message == WM_KEYDOWN) {
        switch (message.wParam) {
        case VK_RETURN: {
            if (!NoModifiers()) return false;
            const std::optional<int> target = EnterTarget(focusedId, usable);
            if (target) press(*target);
            return target.has_value() || focusedId != 0;
        }
        case VK_ESCAPE:
            return true; // Escape does nothing in this window
        case VK_TAB: {
            if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
            const std::optional<int> next =
                NextTabStop(focusedId, GetKeyState(VK_SHIFT) < 0, usable);
            if (next) {
                HWND control = Control(*next);
                SetFocus(control);
                if (*next == IDC_TPATH || *next == IDC_TVERSION)
                    SendMessageA(control, EM_SETSEL, 0, -1);
            }
            return true;
        }
        default:
            return false;
        }
    }
    if (message.message == WM_SYSCHAR) {
        const std::optional<int> target =
            AccessKeyTarget(static_cast<char>(message.wParam), usable);
        if (!target) return false;
        press(*target);
        return true;
    }
    return false;
}

void TfGeneral::ListChar(char typed) {
    HWND list = Control(IDC_LLIBRERIAS);
    std::vector<std::string> lines;
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
        lines.push_back(ListLineText(list, static_cast<WPARAM>(i)));
    const std::optional<std::size_t> line = FTypeAhead.Key(typed, GetTickCount(), lines);
    if (!line) return;
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(*line), 0);
    lLibreriasClick();
}
