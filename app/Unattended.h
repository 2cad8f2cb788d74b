// The program's work without its window: the status report for scripts, the usage text,
// and the one-instance rule every start obeys.
#pragma once

#include "app/CommandLine.h"
#include "platform/Platform.h"

#include <windows.h>

#include <string>
#include <vector>

// Exit codes a script reads.
inline constexpr int EXIT_ALL_OK = 0;
inline constexpr int EXIT_NEEDS_ACTION = 1;
inline constexpr int EXIT_BAD_USE = 2;
inline constexpr int EXIT_ALREADY_RUNNING = 5;

// `text` from the program's ANSI code page into `codePage` (CP_UTF8, a console's...).
std::string Recode(const std::string& text, UINT codePage);

// Writes all of `bytes` to `file`; false when any could not be written.
bool WriteAll(HANDLE file, const std::string& bytes);

// The arguments after the program name, as the C runtime split them.
std::vector<std::string> ProgramArguments();

// Writes the usage text to the parent's console (or the standard output it handed over),
// or shows it in a box when there is neither; returns `exitCode`.
int ShowUsage(int exitCode);

// The named mutex that marks a running Kestrova in every session of the machine.
class TSingleInstance {
public:
    TSingleInstance();
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;
    ~TSingleInstance();
    // False when another Kestrova holds the mutex, also one this user may not open.
    bool First() const { return FFirst; }

private:
    HANDLE FMutex = nullptr;
    bool FFirst = false;
};

// Says that another Kestrova is running: a line to the parent's console or output for a
// switch run, else a box (none with /s). Returns EXIT_ALREADY_RUNNING.
int ReportAlreadyRunning(const TCommandLine& request);

// Scans and formats the report (Windows-1252 as the scan reads it); `allOk` is set when
// every line is OK.
std::string ScanReport(TPlatform& platform, bool& allOk);

// Writes `report` to the file at `path` (replacing it) as UTF-8 with a byte-order mark.
bool WriteReportFile(const std::string& path, const std::string& report);

// /estado [FILE]: the report to FILE, else the parent's console or output, else
// Kestrova-estado.txt beside the program. EXIT_ALL_OK, EXIT_NEEDS_ACTION, or EXIT_BAD_USE (with the
// usage) when the destination cannot be written and nothing was scanned.
int RunStatus(const std::string& file);
