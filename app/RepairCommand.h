// /reparar: the repair run without a window (/s) or on the shown window, its log file, its
// one summary box and its exit code.
#pragma once

#include "app/CommandLine.h"

#include <windows.h>

inline constexpr int EXIT_STILL_NEEDS_ACTION = 3;
inline constexpr int EXIT_STOPPED = 4;

// EXIT_ALL_OK, EXIT_STILL_NEEDS_ACTION or EXIT_STOPPED; EXIT_BAD_USE (with the usage, or
// why a link is refused, and nothing done) when the log file cannot be opened.
int RunRepairCommand(const TCommandLine& request, HINSTANCE instance);
