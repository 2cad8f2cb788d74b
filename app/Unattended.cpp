// The status report without the window: to a file or to the one who started the program.
#include "app/Unattended.h"

#include "app/OutputFile.h"
#include "app/ParentOutput.h"
#include "app/TextEncoding.h"
#include "inventory/Scan.h"
#include "inventory/StatusReport.h"
#include "platform/WinPlatform.h"
#include "ui/OSName.h"

#include <windows.h>

#include <cstdlib>

namespace {

constexpr const char* DEFAULT_REPORT_NAME = "Kestrova-estado.txt";

std::string BesideProgram(const std::string& name) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length < MAX_PATH ? length : 0);
    const std::size_t slash = folder.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : folder.substr(0, slash + 1)) + name;
}

} // namespace

std::vector<std::string> ProgramArguments() {
    std::vector<std::string> args;
    for (int i = 1; i < __argc; ++i)
        args.emplace_back(__argv[i]);
    return args;
}

std::string ScanReport(TPlatform& platform, bool& allOk) {
    std::vector<std::string> lines;
    ScanLibraries(platform, lines);
    allOk = EveryLineOk(lines);
    return FormatStatusReport(GetOSName(platform), lines);
}

bool WriteReportFile(const std::string& path, const std::string& report) {
    TFileHandle file;
    return OpenOutputFile(path, TOutputMode::Replace, file) == TOutputOpening::Opened &&
           WriteUtf8(file.get(), report);
}

int RunStatus(const TCommandLine& request) {
    // The destination is opened before the scan, so a bad one leaves nothing done.
    TFileHandle target;
    const bool toConsole = request.File.empty() && ParentOutputExists();
    if (!toConsole) {
        const std::string path =
            request.File.empty() ? BesideProgram(DEFAULT_REPORT_NAME) : request.File;
        const TOutputOpening opened = OpenOutputFile(path, TOutputMode::Replace, target);
        if (opened != TOutputOpening::Opened) return RefuseOutputFile(opened, path, request);
    }
    bool allOk = false;
    const std::string report = ScanReport(WindowsPlatform(), allOk);
    const bool written = toConsole ? WriteToParent(report) : WriteUtf8(target.get(), report);
    if (!written) return ShowUsage(EXIT_BAD_USE);
    return allOk ? EXIT_ALL_OK : EXIT_NEEDS_ACTION;
}
