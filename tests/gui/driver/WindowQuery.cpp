// Reading the program's windows from the test process. Every message that could block is
// sent with a timeout, so a program that hangs or crashed fails the test instead.
#include "WindowQuery.h"

#include <cwchar>

namespace gui {

namespace {

constexpr UINT SEND_TIMEOUT_MS = 1000;
// How long the program may stay unanswering before a read gives up on it.
constexpr DWORD SEND_PATIENCE_MS = 5000;

// The Unicode messages throughout: Wine 8 mishandles the ANSI forms of LB_GETTEXT sent
// to another process (SendMessageA returns one character, SendMessageTimeoutA faults), so
// texts travel as UTF-16 and are turned back into the ANSI code page here.
// Right after a modal box of the program closes, Wine leaves sends to its windows
// unanswered for a second or two although the program is not hung, so a send that timed
// out is tried again for a while.
bool SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& result) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS,
                                &result) != 0)
            return true;
        if (!IsWindow(window) || GetTickCount() - start >= SEND_PATIENCE_MS) return false;
        Sleep(20);
    }
}

std::string ToAnsi(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size,
                        nullptr, nullptr);
    return text;
}

// Reads a text that the window copies into a caller's buffer of `length` + 1 characters.
template <typename TFill> std::string ReadText(DWORD_PTR length, TFill fill) {
    std::wstring text(length + 1, L'\0');
    if (!fill(text.data())) return {};
    text.resize(wcslen(text.c_str()));
    return ToAnsi(text);
}

struct TTopLevelSearch {
    DWORD Pid;
    const std::string* ClassName;
    std::vector<HWND> Found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<TTopLevelSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search.Pid && IsWindowVisible(window) && ClassOf(window) == *search.ClassName)
        search.Found.push_back(window);
    return TRUE;
}

struct TIdSearch {
    int Id;
    HWND Found;
};

BOOL CALLBACK MatchId(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<TIdSearch*>(param);
    if (GetDlgCtrlID(window) == search.Id) {
        search.Found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

std::vector<HWND> TopLevelWindows(DWORD pid, const std::string& className) {
    TTopLevelSearch search{pid, &className, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

HWND FindTopLevel(DWORD pid, const std::string& className) {
    const auto found = TopLevelWindows(pid, className);
    return found.empty() ? nullptr : found.front();
}

HWND FindControl(HWND parent, int id) {
    TIdSearch search{id, nullptr};
    EnumChildWindows(parent, MatchId, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

std::vector<HWND> ChildrenOfClass(HWND parent, const std::string& className) {
    std::vector<HWND> result;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT))
        if (lstrcmpiA(ClassOf(child).c_str(), className.c_str()) == 0) result.push_back(child);
    return result;
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0, length)) return {};
    return ReadText(length, [&](wchar_t* buffer) {
        DWORD_PTR copied = 0;
        return SendWithTimeout(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(buffer),
                               copied);
    });
}

std::vector<std::string> ListLines(HWND list) {
    std::vector<std::string> lines;
    DWORD_PTR count = 0;
    if (!SendWithTimeout(list, LB_GETCOUNT, 0, 0, count) || static_cast<LRESULT>(count) < 0)
        return lines;
    for (DWORD_PTR i = 0; i < count; ++i) {
        DWORD_PTR length = 0;
        if (!SendWithTimeout(list, LB_GETTEXTLEN, i, 0, length) ||
            static_cast<LRESULT>(length) < 0) {
            lines.emplace_back();
            continue;
        }
        lines.push_back(ReadText(length, [&](wchar_t* buffer) {
            DWORD_PTR copied = 0;
            return SendWithTimeout(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer), copied);
        }));
    }
    return lines;
}

int ListSelection(HWND list) {
    DWORD_PTR selection = static_cast<DWORD_PTR>(LB_ERR);
    if (!SendWithTimeout(list, LB_GETCURSEL, 0, 0, selection)) return LB_ERR;
    return static_cast<int>(static_cast<LRESULT>(selection));
}

bool Enabled(HWND window) {
    return window != nullptr && IsWindowEnabled(window);
}

bool Shown(HWND window) {
    return window != nullptr && IsWindowVisible(window);
}

HWND FocusedWindow(DWORD threadId) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(threadId, &info)) return nullptr;
    return info.hwndFocus;
}

RECT ScreenRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

POINT ClientOrigin(HWND window) {
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    return origin;
}

} // namespace gui
