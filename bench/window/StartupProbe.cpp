// Measures a program's start-up from outside: from CreateProcess until its window of class
// CLASS is visible, has a list with 29 lines and the process has gone idle (the window is
// drawn); then its peak working set, and closes it. Prints "<ms> <peak KiB>" per run.
//   startup_probe.exe CLASS PROGRAM RUNS
#include <windows.h>

#include "bench/BenchClock.h"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

HWND ListOf(HWND window) {
    HWND child = nullptr;
    while ((child = FindWindowExA(window, child, nullptr, nullptr)) != nullptr) {
        char cls[32] = {};
        GetClassNameA(child, cls, sizeof cls);
        if (lstrcmpiA(cls, "ListBox") == 0) return child;
    }
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: startup_probe CLASS PROGRAM RUNS\n");
        return 2;
    }
    const char* cls = argv[1];
    std::string command = std::string("\"") + argv[2] + "\"";
    const int runs = std::atoi(argv[3]);
    for (int run = 0; run < runs; ++run) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        const double start = MillisecondsNow();
        if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process)) {
            std::fprintf(stderr, "cannot start %s\n", argv[2]);
            return 1;
        }
        HWND window = nullptr;
        for (int i = 0; i < 30000; ++i) {
            window = FindWindowA(cls, nullptr);
            HWND list = window ? ListOf(window) : nullptr;
            if (window && IsWindowVisible(window) && list &&
                SendMessageA(list, LB_GETCOUNT, 0, 0) == 29)
                break;
            window = nullptr;
            Sleep(1);
        }
        WaitForInputIdle(process.hProcess, 10000);
        const double elapsed = MillisecondsNow() - start;
        PROCESS_MEMORY_COUNTERS memory = {};
        memory.cb = sizeof memory;
        GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory);
        std::printf("%.1f %lu\n", window ? elapsed : -1.0,
                    static_cast<unsigned long>(memory.PeakWorkingSetSize / 1024));
        std::fflush(stdout);
        if (window) PostMessageA(window, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
            TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    return 0;
}
