// One run of the program under test: started with CreateProcess in a chosen current
// directory, and always ended by its process handle, by closing its window or, when that
// fails or a test stops early, by terminating it.
#pragma once

#include <windows.h>

#include <string>

namespace gui {

class TAppProcess {
public:
    // Starts `exe` (a Windows path) with `arguments` after its name and `currentDir` as its
    // working directory. Throws std::runtime_error, with the Windows error code, when the
    // process cannot start.
    TAppProcess(const std::string& exe, const std::string& currentDir,
                const std::string& arguments = {});
    TAppProcess(const TAppProcess&) = delete;
    TAppProcess& operator=(const TAppProcess&) = delete;
    // Terminates the process if it still runs, and waits for it to go.
    ~TAppProcess();

    DWORD Id() const { return FInfo.dwProcessId; }
    DWORD ThreadId() const { return FInfo.dwThreadId; }
    bool Running() const;

    // Waits until the process shows a visible top-level window of class `className` that
    // holds a child `readyChild` satisfying `ready`; returns it, or nullptr on timeout or
    // when the process ended first.
    template <typename TReady>
    HWND WaitForWindow(const std::string& className, TReady ready, DWORD timeoutMs);

    // Asks the window to close (WM_CLOSE) and waits for the process to end; terminates it
    // and returns false when it does not end in time.
    bool Close(HWND window, DWORD timeoutMs = 5000);

    // Ends the process at once and waits for it.
    void Terminate();

    // The exit code, or STILL_ACTIVE.
    DWORD ExitCode() const;

private:
    HWND FindVisible(const std::string& className) const;
    PROCESS_INFORMATION FInfo{};
};

template <typename TReady>
HWND TAppProcess::WaitForWindow(const std::string& className, TReady ready, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (true) {
        HWND window = FindVisible(className);
        if (window != nullptr && ready(window)) return window;
        if (!Running() || GetTickCount() - start >= timeoutMs) return nullptr;
        Sleep(20);
    }
}

} // namespace gui
