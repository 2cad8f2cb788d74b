// Starting and ending the program under test by its handles, never by name.
#include "AppProcess.h"

#include "WindowQuery.h"

#include <stdexcept>
#include <vector>

namespace gui {

TAppProcess::TAppProcess(const std::string& exe, const std::string& currentDir,
                         const std::string& arguments) {
    std::vector<char> commandLine;
    const std::string quoted = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    commandLine.assign(quoted.begin(), quoted.end());
    commandLine.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        currentDir.c_str(), &startup, &FInfo))
        throw std::runtime_error("cannot start " + exe + " in " + currentDir + ": error " +
                                 std::to_string(GetLastError()));
}

TAppProcess::~TAppProcess() {
    if (Running()) Terminate();
    CloseHandle(FInfo.hThread);
    CloseHandle(FInfo.hProcess);
}

bool TAppProcess::Running() const {
    return WaitForSingleObject(FInfo.hProcess, 0) == WAIT_TIMEOUT;
}

HWND TAppProcess::FindVisible(const std::string& className) const {
    return FindTopLevel(Id(), className);
}

bool TAppProcess::Close(HWND window, DWORD timeoutMs) {
    if (!Running()) return true;
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(FInfo.hProcess, timeoutMs) == WAIT_OBJECT_0) return true;
    Terminate();
    return false;
}

void TAppProcess::Terminate() {
    TerminateProcess(FInfo.hProcess, 1);
    WaitForSingleObject(FInfo.hProcess, 5000);
}

DWORD TAppProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(FInfo.hProcess, &code);
    return code;
}

} // namespace gui
