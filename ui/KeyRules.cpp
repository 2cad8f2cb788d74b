// Enter, access-key and Tab rules of the main window over the control ids.
#include "ui/KeyRules.h"

#include "ui/ControlIds.h"
#include "ui/Layout.h"

#include <array>
#include <cctype>

namespace {

constexpr std::array<int, 5> Buttons = {IDC_CMDDESCARGAR, IDC_CMDDETENER, IDC_CMDREGISTRAR,
                                        IDC_CMDREREGISTRAR, IDC_BTNEXTRA};
constexpr std::array<int, 4> DefaultButtons = {IDC_CMDREGISTRAR, IDC_CMDDESCARGAR,
                                               IDC_CMDREREGISTRAR, IDC_BTNEXTRA};
constexpr std::array<int, 8> TabOrder = {IDC_LLIBRERIAS,     IDC_CMDDESCARGAR, IDC_CMDREGISTRAR,
                                         IDC_CMDREREGISTRAR, IDC_CMDDETENER,   IDC_BTNEXTRA,
                                         IDC_TPATH,          IDC_TVERSION};

bool IsButton(int id) {
    for (int b : Buttons)
        if (b == id) return true;
    return false;
}

} // namespace

std::optional<int> EnterTarget(int focusedId, const TUsable& usable) {
    if (IsButton(focusedId)) return focusedId;
    if (focusedId != IDC_LLIBRERIAS && focusedId != IDC_TPATH && focusedId != IDC_TVERSION)
        return std::nullopt;
    for (int id : DefaultButtons)
        if (usable(id)) return id;
    return std::nullopt;
}

char AccessKeyOf(const std::string& caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
    }
    return 0;
}

std::optional<int> AccessKeyTarget(char key, const TUsable& usable) {
    const char wanted = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
    if (wanted == 0) return std::nullopt;
    // In the order of Buttons, so cmdDescargar answers D before cmdDetener when both could.
    for (int id : Buttons)
        if (AccessKeyOf(CaptionOf(id)) == wanted && usable(id)) return id;
    return std::nullopt;
}

std::optional<int> NextTabStop(int focusedId, bool reverse, const TUsable& usable) {
    const int n = static_cast<int>(TabOrder.size());
    int at = -1;
    for (int i = 0; i < n; ++i)
        if (TabOrder[i] == focusedId) at = i;
    // From outside the order, Tab starts at the first stop and Shift+Tab at the last.
    if (at < 0) at = reverse ? 0 : n - 1;
    for (int step = 1; step <= n; ++step) {
        const int i = ((reverse ? at - step : at + step) % n + n) % n;
        if (usable(TabOrder[i])) return TabOrder[i];
    }
    return std::nullopt;
}
