// Running without the window: where text goes (a parent console in its own code page, or a
// UTF-8 file), the status report, and the machine-wide one-instance mutex.
#include "app/Unattended.h"

#include "inventory/Scan.h"
#include "inventory/StatusReport.h"
#include "platform/Handles.h"
#include "platform/WinPlatform.h"
#include "ui/MessageBoxes.h"
#include "ui/OSName.h"

#include <cstdlib>

namespace {

constexpr const char* MUTEX_NAME = "Global\\Kestrova.UnaInstancia";
constexpr const char* ALREADY_RUNNING_TEXT =
    "Kestrova ya está en marcha en esta máquina: espere a que termine.";
constexpr const char* DEFAULT_REPORT_NAME = "Kestrova-estado.txt";

} // namespace

// `text` from the program's ANSI code page into `codePage`.
std::string Recode(const std::string& text, UINT codePage) {
    if (text.empty()) return text;
    const int wideLength =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        wideLength);
    const int length =
        WideCharToMultiByte(codePage, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), wideLength, out.data(), length, nullptr, nullptr);
    return out;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

namespace {

// Where the text for the one who started the program goes: the console of the parent
// process (a GUI program has none of its own), or the standard output the parent handed
// over (a redirection, a script's pipe) when there is no console to join. Set up once for
// the whole run.
class TParentOutput {
public:
    static TParentOutput& Get() {
        static TParentOutput output;
        return output;
    }
    bool Exists() const { return FOut != INVALID_HANDLE_VALUE; }
    // Writes `text` (ANSI) in the console's output code page; without a console, in the
    // OEM code page a console would start with.
    bool Write(const std::string& text) {
        return Exists() && WriteAll(FOut, Recode(text, FCodePage));
    }

private:
    TParentOutput() {
        const bool attached = AttachConsole(ATTACH_PARENT_PROCESS) != FALSE;
        HANDLE given = GetStdHandle(STD_OUTPUT_HANDLE);
        if (given != nullptr && given != INVALID_HANDLE_VALUE &&
            GetFileType(given) != FILE_TYPE_UNKNOWN) {
            FOut = given;
        } else if (attached) {
            FScreen.reset(CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                      nullptr));
            FOut = FScreen.get();
        }
        FCodePage = attached ? GetConsoleOutputCP() : GetOEMCP();
    }
    HANDLE FOut = INVALID_HANDLE_VALUE;
    UINT FCodePage = CP_ACP;
    TFileHandle FScreen;
};

std::string BesideProgram(const std::string& name) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length < MAX_PATH ? length : 0);
    const std::size_t slash = folder.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : folder.substr(0, slash + 1)) + name;
}

TFileHandle CreateReportFile(const std::string& path) {
    return TFileHandle(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool WriteUtf8(HANDLE file, const std::string& report) {
    return WriteAll(file, "\xEF\xBB\xBF" + Recode(report, CP_UTF8));
}

} // namespace

std::vector<std::string> ProgramArguments() {
    std::vector<std::string> args;
    for (int i = 1; i < __argc; ++i)
        args.emplace_back(__argv[i]);
    return args;
}

int ShowUsage(int exitCode) {
    if (!TParentOutput::Get().Write(std::string("\r\n") + USAGE_TEXT)) ShowPlainMessage(USAGE_TEXT);
    return exitCode;
}

TSingleInstance::TSingleInstance() {
    FMutex = CreateMutexA(nullptr, FALSE, MUTEX_NAME);
    // A mutex another user's (or an elevated) Kestrova made may exist yet refuse us access.
    FFirst = FMutex != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
}

TSingleInstance::~TSingleInstance() {
    if (FMutex) CloseHandle(FMutex);
}

int ReportAlreadyRunning(const TCommandLine& request) {
    const bool toOutput =
        request.Mode != TRunMode::Window &&
        TParentOutput::Get().Write(std::string("\r\n") + ALREADY_RUNNING_TEXT + "\r\n");
    if (!toOutput && !request.Silent) ShowPlainMessage(ALREADY_RUNNING_TEXT);
    return EXIT_ALREADY_RUNNING;
}

std::string ScanReport(TPlatform& platform, bool& allOk) {
    std::vector<std::string> lines;
    ScanLibraries(platform, lines);
    allOk = EveryLineOk(lines);
    return FormatStatusReport(GetOSName(platform), lines);
}

bool WriteReportFile(const std::string& path, const std::string& report) {
    const TFileHandle file = CreateReportFile(path);
    return file && WriteUtf8(file.get(), report);
}

int RunStatus(const std::string& file) {
    // The destination is opened before the scan, so a bad one leaves nothing done.
    TFileHandle target;
    const bool toConsole = file.empty() && TParentOutput::Get().Exists();
    if (!toConsole) {
        target = CreateReportFile(file.empty() ? BesideProgram(DEFAULT_REPORT_NAME) : file);
        if (!target) return ShowUsage(EXIT_BAD_USE);
    }
    bool allOk = false;
    const std::string report = ScanReport(WindowsPlatform(), allOk);
    const bool written =
        toConsole ? TParentOutput::Get().Write(report) : WriteUtf8(target.get(), report);
    if (!written) return ShowUsage(EXIT_BAD_USE);
    return allOk ? EXIT_ALL_OK : EXIT_NEEDS_ACTION;
}
