// The Kestrova-specific layer of the GUI driver: what a scenario does to the window, in
// the words of a user (select a line, press a button, pick a menu item).
#include "Kestrova.h"

#include "Input.h"
#include "Pixels.h"
#include "Wait.h"
#include "WindowQuery.h"

#include "inventory/Scan.h"
#include "platform/WinPlatform.h"
#include "tests/support/WineSupport.h"

#include <stdexcept>

namespace gui {

namespace {

constexpr int LINE_COUNT = 29;
const char* const POPUP_MENU_CLASS = "#32768";

} // namespace

std::string KestrovaExe() {
    std::string unixPath = kestrova_test::Env("KESTROVA_EXE");
#ifdef KESTROVA_EXE_BUILT
    if (unixPath.empty()) unixPath = KESTROVA_EXE_BUILT;
#endif
    if (unixPath.empty()) throw std::runtime_error("KESTROVA_EXE is not set");
    return kestrova_test::WinePath(unixPath);
}

std::string FileVersionText(const std::string& file) {
    const std::optional<TVersionParts> parts = WindowsPlatform().ReadFileVersion(file);
    return parts ? FormatVersion(*parts) : std::string();
}

TKestrova::TKestrova(const std::string& currentDir, DWORD timeoutMs, const std::string& arguments)
    : FProcess(std::make_unique<TAppProcess>(KestrovaExe(), currentDir, arguments)) {
    FMain = FProcess->WaitForWindow(
        MAIN_WINDOW_CLASS,
        [](HWND window) {
            HWND list = FindControl(window, IDC_LLIBRERIAS);
            return list != nullptr && ListLines(list).size() == LINE_COUNT;
        },
        timeoutMs);
    if (FMain == nullptr)
        throw std::runtime_error(
            FProcess->Running() ? "Kestrova showed no main window with 29 lines in time"
                                : "Kestrova ended before showing its main window (exit code " +
                                      std::to_string(FProcess->ExitCode()) + "; is DISPLAY set?)");
}

TKestrova::~TKestrova() {
    if (FMain != nullptr && FProcess->Running()) FProcess->Close(FMain);
}

HWND TKestrova::Control(int id) const {
    HWND control = FindControl(FMain, id);
    if (control == nullptr)
        throw std::runtime_error("the main window has no control " + std::to_string(id));
    return control;
}

std::vector<std::string> TKestrova::Lines() const {
    return ListLines(Control(IDC_LLIBRERIAS));
}
int TKestrova::Selection() const {
    return ListSelection(Control(IDC_LLIBRERIAS));
}
std::string TKestrova::Text(int id) const {
    return TextOf(Control(id));
}
bool TKestrova::IsEnabled(int id) const {
    return Enabled(Control(id));
}
bool TKestrova::IsShown(int id) const {
    return Shown(Control(id));
}
COLORREF TKestrova::VersionBackground() const {
    return EditBackground(Control(IDC_TVERSION));
}
HWND TKestrova::Focused() const {
    return FocusedWindow(FProcess->ThreadId());
}

bool TKestrova::Activate() {
    return BringToFront(FMain);
}

bool TKestrova::SelectLine(int index) {
    HWND list = Control(IDC_LLIBRERIAS);
    if (!ClickListLine(list, index)) return false;
    return WaitUntil([&] { return ListSelection(list) == index; });
}

void TKestrova::Press(int id) {
    HWND button = Control(id);
    RECT client{};
    GetClientRect(button, &client);
    ClickAt(button, POINT{3, client.bottom - 3});
}

HWND TKestrova::OpenMenu() {
    Press(IDC_BTNEXTRA);
    HWND popup = nullptr;
    WaitUntil([&] { return (popup = FindTopLevel(FProcess->Id(), POPUP_MENU_CLASS)) != nullptr; });
    return popup;
}

bool TKestrova::PickMenuItem(TMenuItem item) {
    HWND popup = FindTopLevel(FProcess->Id(), POPUP_MENU_CLASS);
    if (popup == nullptr) return false;
    for (int i = 0; i <= static_cast<int>(item); ++i)
        PressKey(VK_DOWN);
    PressKey(VK_RETURN);
    return WaitUntil([&] { return !IsWindow(popup) || !IsWindowVisible(popup); });
}

std::optional<bool> TKestrova::ForceHereChecked() {
    HWND popup = OpenMenu();
    if (popup == nullptr) return std::nullopt;
    // The menu is painted after it is shown, over what the last menu left on the screen;
    // poll until its items are drawn and two readings a little apart agree.
    int checked = MENU_NOT_DRAWN;
    WaitUntil([&] {
        const int first = CheckedMenuItem(popup);
        if (first == MENU_NOT_DRAWN) return false;
        Sleep(100);
        return (checked = CheckedMenuItem(popup)) == first;
    });
    PressKey(VK_ESCAPE);
    if (!WaitUntil([&] { return !IsWindow(popup) || !IsWindowVisible(popup); }))
        return std::nullopt;
    return checked == static_cast<int>(TMenuItem::ForceHere);
}

std::optional<TMessageBox> TKestrova::WaitForMessageBox(DWORD timeoutMs) const {
    return gui::WaitForMessageBox(FProcess->Id(), timeoutMs);
}

bool TKestrova::NoMessageBoxWithin(DWORD timeoutMs) const {
    return !gui::WaitForMessageBox(FProcess->Id(), timeoutMs).has_value();
}

bool TKestrova::WaitForRefreshedList(DWORD timeoutMs) const {
    HWND list = Control(IDC_LLIBRERIAS);
    return WaitUntil(
        [&] { return ListLines(list).size() == LINE_COUNT && ListSelection(list) == LB_ERR; },
        timeoutMs);
}

} // namespace gui
