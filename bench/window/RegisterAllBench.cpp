// Times the "register all libraries" command the way the window runs it: a scan locates
// the libraries (in the current directory, where the bench script put the stand-ins), then
// every located one is registered through its DllRegisterServer and the list is rebuilt.
// Prints the milliseconds of RUNS runs, one per line, with how many were registered. Each
// run starts its own registration helper, as a window's first command does. With "one", the
// first located library is registered RUNS times instead, its milliseconds a line: the first
// call starts the helper, the others find it running. Built with KESTROVA_IN_PROCESS_BASELINE,
// every library is called inside this process instead: the baseline.
//   register_all_bench.exe RUNS [one]
#include "actions/SelfRegistration.h"
#include "inventory/Scan.h"
#include "platform/RegistrationHelper.h"
#include "platform/WinPlatform.h"

#include <windows.h>

#include "bench/BenchClock.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The window's side of the command without a window: no message box, no repaint; the
// report is kept to count what was registered.
class TBenchUi : public TActionUi {
public:
    std::string Report;
    void PumpMessages() override {}
    void ShowMessage(const std::string& text) override { Report = text; }
    bool Confirm(const std::string&) override { return true; }
    void RefreshList() override {
        std::vector<std::string> lines;
        ScanLibraries(WindowsPlatform(), lines);
    }
    int Registered() const {
        int count = 0;
        for (std::size_t at = Report.find(" registrada."); at != std::string::npos;
             at = Report.find(" registrada.", at + 1))
            ++count;
        return count;
    }
};

// The first located library that needs a registration, RUNS times.
int RegisterOne(int runs) {
    std::vector<std::string> lines;
    ScanLibraries(WindowsPlatform(), lines);
    std::string path;
    for (const TLibraryEntry& entry : Libraries)
        if (path.empty() && entry.NeedsRegistration() && !entry.Path.empty())
            path = entry.Path.str();
    if (path.empty()) return 1;
    for (int run = 0; run < runs; ++run) {
        const double start = MillisecondsNow();
        const bool registered = CallServerEntry(WindowsPlatform(), path, REGISTER_ENTRY);
        std::printf("%.2f %d\n", MillisecondsNow() - start, registered ? 1 : 0);
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (IsHelperRequest(args)) return RunRegistrationHelper(args);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    if (argc > 2 && std::string(argv[2]) == "one") return RegisterOne(runs);
    for (int run = 0; run < runs; ++run) {
        TBenchUi ui;
        ui.RefreshList(); // the list the user sees before choosing the command
        EndRegistrationHelper();
        const double start = MillisecondsNow();
        RegisterAllLibraries(WindowsPlatform(), ui, Libraries);
        std::printf("%.1f %d\n", MillisecondsNow() - start, ui.Registered());
        std::fflush(stdout);
    }
    return 0;
}
