// One running Kestrova per machine: the named mutex every start takes first, kept where no
// standard user can take it before an elevated run.
#pragma once

#include "app/CommandLine.h"
#include "app/ElevatedRules.h"
#include "platform/Handles.h"

inline constexpr int EXIT_ALREADY_RUNNING = 5;
inline constexpr int EXIT_INSTANCE_BLOCKED = 6;

class TSingleInstance {
public:
    // Takes the mutex: in Global\ for a standard user's run; for an elevated one in a private
    // namespace of Administrators, or where Windows has none (XP), in Global\ owned by
    // Administrators and open to them and SYSTEM only.
    TSingleInstance();
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;
    ~TSingleInstance();
    // False when this run must do nothing: another Kestrova holds the mutex, or someone
    // else does.
    bool First() const { return FVerdict == TInstanceVerdict::First; }
    // Says why this run does nothing (a line to the parent's console or output for a switch
    // run, else a box, none with /s) and returns its exit code: EXIT_ALREADY_RUNNING, or
    // EXIT_INSTANCE_BLOCKED when the mutex is someone else's.
    int ReportWhyNot(const TCommandLine& request) const;

private:
    HANDLE FNamespace = nullptr;
    TKernelHandle FMutex;
    TInstanceVerdict FVerdict = TInstanceVerdict::Blocked;
};
