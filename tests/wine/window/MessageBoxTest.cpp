// The program's message boxes on a real Windows: title, icon, English button captions
// (also where Windows itself speaks Spanish), centred on the screen, and which answer
// Enter, Escape and the close button give. A watcher thread reads each box and presses a
// key in it, the way a user would.
#include "ui/MessageBoxes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

struct TSeenBox {
    std::string Title, Text;
    std::vector<std::string> Buttons; // captions of the buttons, in creation order
    bool HasIcon = false;
    bool Centred = false;
};

std::string TextOf(HWND window) {
    char buffer[512] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

BOOL CALLBACK CollectButton(HWND child, LPARAM seen) {
    char cls[32] = {};
    GetClassNameA(child, cls, sizeof cls);
    auto* box = reinterpret_cast<TSeenBox*>(seen);
    if (lstrcmpiA(cls, "Button") == 0) box->Buttons.push_back(TextOf(child));
    if (GetDlgCtrlID(child) == BOX_ICON_ID) box->HasIcon = true;
    return TRUE;
}

// The answer: Enter, Escape or the close button.
enum class TPress { Enter, Escape, Close };

// Shows a box with `show` on this thread while a watcher finds it, reads it and presses.
TSeenBox Watch(TPress press, const std::function<void()>& show) {
    TSeenBox seen;
    const DWORD thread = GetCurrentThreadId();
    std::atomic<bool> done{false};
    std::thread watcher([&] {
        for (int i = 0; i < 500 && !done; ++i) {
            GUITHREADINFO info = {};
            info.cbSize = sizeof info;
            HWND box = GetGUIThreadInfo(thread, &info) ? info.hwndActive : nullptr;
            char cls[32] = {};
            if (box) GetClassNameA(box, cls, sizeof cls);
            if (!box || lstrcmpA(cls, "#32770") != 0) {
                Sleep(10);
                continue;
            }
            seen.Title = TextOf(box);
            seen.Text = TextOf(GetDlgItem(box, BOX_TEXT_ID));
            EnumChildWindows(box, &CollectButton, reinterpret_cast<LPARAM>(&seen));
            RECT r;
            GetWindowRect(box, &r);
            const int dx = (r.left + r.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2;
            const int dy = (r.top + r.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2;
            seen.Centred = dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1;
            if (press == TPress::Close)
                PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
            else // to the box's first button, which has the focus
                PostMessageA(FindWindowExA(box, nullptr, "Button", nullptr), WM_KEYDOWN,
                             press == TPress::Enter ? VK_RETURN : VK_ESCAPE, 0);
            return;
        }
    });
    show();
    done = true;
    watcher.join();
    return seen;
}

} // namespace

TEST(WineMessageBoxes, PlainBox) {
    for (TPress press : {TPress::Enter, TPress::Escape}) {
        const TSeenBox seen = Watch(press, [] { ShowPlainMessage("Librería Registrada!"); });
        EXPECT_EQ(seen.Title, "Kestrova");
        EXPECT_EQ(seen.Text, "Librería Registrada!");
        EXPECT_EQ(seen.Buttons, std::vector<std::string>{"OK"});
        EXPECT_FALSE(seen.HasIcon);
        EXPECT_TRUE(seen.Centred);
    }
}

TEST(WineMessageBoxes, ConfirmationAnswers) {
    const std::string question = "La librería C:\\X.DLL ya existe.\n\r¿Está seguro?";
    struct TCase {
        TPress press;
        bool yes;
    };
    for (const TCase& c :
         {TCase{TPress::Enter, true}, TCase{TPress::Escape, false}, TCase{TPress::Close, false}}) {
        bool answer = !c.yes;
        const TSeenBox seen = Watch(c.press, [&] { answer = AskConfirmation(question); });
        EXPECT_EQ(answer, c.yes);
        EXPECT_EQ(seen.Title, "Warning");
        EXPECT_EQ(seen.Text, question); // LF CR kept as given
        EXPECT_EQ(seen.Buttons, (std::vector<std::string>{"&Yes", "&No"}));
        EXPECT_TRUE(seen.HasIcon);
        EXPECT_TRUE(seen.Centred);
    }
}

TEST(WineMessageBoxes, ErrorBox) {
    const TSeenBox seen = Watch(TPress::Escape, [] { ShowErrorMessage("Fallo."); });
    EXPECT_EQ(seen.Title, "Kestrova");
    EXPECT_EQ(seen.Text, "Fallo.");
    EXPECT_EQ(seen.Buttons, std::vector<std::string>{"OK"});
    EXPECT_TRUE(seen.HasIcon);
}

// Under a Spanish user language Windows' own box says "&Sí"; ours stays English. The
// Spanish run of this test (LC_ALL=es_ES.UTF-8) proves it on a Windows that speaks Spanish.
TEST(WineMessageBoxes, WindowsOwnBoxFollowsTheUserLanguageOursDoesNot) {
    const TSeenBox windows =
        Watch(TPress::Escape, [] { MessageBoxA(nullptr, "?", "t", MB_OKCANCEL); });
    const TSeenBox ours = Watch(TPress::Escape, [] { AskConfirmation("?"); });
    EXPECT_EQ(ours.Buttons, (std::vector<std::string>{"&Yes", "&No"}));
    if (PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_SPANISH) {
        EXPECT_EQ(windows.Buttons.front(), "Aceptar");
    } else {
        EXPECT_EQ(windows.Buttons.front(), "OK");
    }
}
