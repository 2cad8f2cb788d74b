// Times the "register all libraries" command the way the window runs it: a scan locates
// the libraries (in the current directory, where the bench script put the stand-ins), then
// every located one is registered through its DllRegisterServer and the list is rebuilt.
// Prints the milliseconds of RUNS runs, one per line, with how many were registered.
//   register_all_bench.exe RUNS
#include "actions/SelfRegistration.h"
#include "inventory/Scan.h"
#include "platform/WinPlatform.h"

#include <windows.h>

#include "bench/BenchClock.h"

#include <cstdio>
#include <cstdlib>

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

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    for (int run = 0; run < runs; ++run) {
        TBenchUi ui;
        ui.RefreshList(); // the list the user sees before choosing the command
        const double start = MillisecondsNow();
        RegisterAllLibraries(WindowsPlatform(), ui, Libraries);
        std::printf("%.1f %d\n", MillisecondsNow() - start, ui.Registered());
        std::fflush(stdout);
    }
    return 0;
}
