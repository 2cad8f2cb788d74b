// The program's work without its window: the exit codes a script reads, and the status
// report.
#pragma once

#include "app/CommandLine.h"
#include "platform/Platform.h"

#include <string>
#include <vector>

// Exit codes a script reads (the repair's in RepairCommand.h, the one instance's in
// SingleInstance.h).
inline constexpr int EXIT_ALL_OK = 0;
inline constexpr int EXIT_NEEDS_ACTION = 1;
inline constexpr int EXIT_BAD_USE = 2;

// The arguments after the program name, as the C runtime split them.
std::vector<std::string> ProgramArguments();

// Scans and formats the report (Windows-1252 as the scan reads it); `allOk` is set when
// every line is OK.
std::string ScanReport(TPlatform& platform, bool& allOk);

// Writes `report` to the file at `path` (replacing it) as UTF-8 with a byte-order mark.
bool WriteReportFile(const std::string& path, const std::string& report);

// /estado [FILE]: the report to FILE, else the parent's console or output, else
// Kestrova-estado.txt beside the program. EXIT_ALL_OK, EXIT_NEEDS_ACTION, or EXIT_BAD_USE
// (with the usage, or why a link is refused) when the destination cannot be written and
// nothing was scanned.
int RunStatus(const TCommandLine& request);
