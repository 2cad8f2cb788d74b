// Reading a list box's lines, as the drawing and the type-ahead both need to.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The text of line `index`; "" when there is no such line.
inline std::string ListLineText(HWND list, WPARAM index) {
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR) return {};
    std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}
