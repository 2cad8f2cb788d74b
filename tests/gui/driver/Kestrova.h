// The Kestrova window as a GUI test meets it: one running program per scenario, its
// controls found by the ids of ui/ControlIds.h, read and driven with the generic driver.
#pragma once

#include "AppProcess.h"
#include "MessageBoxes.h"

#include "ui/ControlIds.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace gui {

// The program's executable as a Windows path: env KESTROVA_EXE (a Unix path) when set,
// else the one this build made.
std::string KestrovaExe();

// The four numbers of the file version of `file`, "a.b.c.d"; empty when it has none.
std::string FileVersionText(const std::string& file);

inline constexpr COLORREF LIME = RGB(0, 255, 0);
inline constexpr COLORREF RED = RGB(255, 0, 0);

// The items of the popup menu, in order (the separator is not an item a user can pick).
enum class TMenuItem { Refresh, RegisterAll, ForceHere, Browse, RepairAll, RepairFromFolder };

class TKestrova {
public:
    // Starts the program with `currentDir` as its working directory (and `arguments` on its
    // command line) and waits until its main window is visible with its 29 lines. Throws
    // std::runtime_error when it does not get there; the process is ended in every case.
    explicit TKestrova(const std::string& currentDir, DWORD timeoutMs = 30000,
                       const std::string& arguments = {});
    // Closes the window; terminates the program when it does not end.
    ~TKestrova();

    TAppProcess& Process() { return *FProcess; }
    HWND Main() const { return FMain; }
    // The control with `id`; throws when the window has none.
    HWND Control(int id) const;

    std::vector<std::string> Lines() const;
    int Selection() const;
    std::string Text(int id) const;
    bool IsEnabled(int id) const;
    bool IsShown(int id) const;
    COLORREF VersionBackground() const;
    HWND Focused() const;

    // Makes the window the foreground window, for keyboard input.
    bool Activate();

    // Clicks list line `index` and waits until it is the selected line.
    bool SelectLine(int index);

    // Clicks button `id` (near its lower left corner, away from where the popup menu
    // opens).
    void Press(int id);

    // Opens the popup menu with a click on "[...]"; its window, or nullptr.
    HWND OpenMenu();
    // Picks `item` in the open popup menu with the arrow keys and Enter, and waits until
    // the menu is gone.
    bool PickMenuItem(TMenuItem item);
    // Opens the menu, reads whether the force-here item shows its check mark, closes it
    // again with Escape.
    std::optional<bool> ForceHereChecked();

    std::optional<TMessageBox> WaitForMessageBox(DWORD timeoutMs = 10000) const;
    // True when no message box shows up within `timeoutMs`.
    bool NoMessageBoxWithin(DWORD timeoutMs) const;

    // Waits until the list again has 29 lines and none is selected (a refresh ran).
    bool WaitForRefreshedList(DWORD timeoutMs = 10000) const;

private:
    std::unique_ptr<TAppProcess> FProcess;
    HWND FMain = nullptr;
};

} // namespace gui
