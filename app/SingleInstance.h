// One running Kestrova per machine: the named mutex every start takes first.
#pragma once

#include "app/CommandLine.h"

#include <windows.h>

inline constexpr int EXIT_ALREADY_RUNNING = 5;

// The named mutex that marks a running Kestrova in every session of the machine.
class TSingleInstance {
public:
    TSingleInstance();
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;
    ~TSingleInstance();
    // False when another Kestrova holds the mutex, also one this user may not open.
    bool First() const { return FFirst; }
    // Says that another Kestrova is running: a line to the parent's console or output for a
    // switch run, else a box (none with /s). Returns EXIT_ALREADY_RUNNING.
    int ReportWhyNot(const TCommandLine& request) const;

private:
    HANDLE FMutex = nullptr;
    bool FFirst = false;
};
