// Times the "register all libraries" command the way the window runs it: a scan locates
// the libraries (in the current directory, where the bench script put the stand-ins), then
// every located one is registered through its DllRegisterServer and the list is rebuilt.
// Prints the milliseconds of RUNS runs, one per line.
//   register_all_bench.exe RUNS
#include "actions/SelfRegistration.h"
#include "actions/ServerEntry.h"
#include "inventory/Scan.h"
#include "platform/WinPlatform.h"

#include <windows.h>

#include "bench/BenchClock.h"

#include <cstdio>
#include <cstdlib>

namespace {

// The window's side of the command without a window: no message box, no repaint.
class TBenchHost : public TRegistrationHost {
public:
    int Registered = 0;
    bool CallServerEntry(const std::string& path, int index) override {
        const bool ok = ::CallServerEntry(path, index);
        Registered += ok;
        return ok;
    }
    bool FileExists(const std::string& path) override { return WindowsPlatform().FileExists(path); }
    void PumpMessages() override {}
    void ShowMessage(const std::string&) override {}
    void RefreshList() override {
        std::vector<std::string> lines;
        ScanLibraries(WindowsPlatform(), lines);
    }
    std::string PathFieldText() override { return {}; }
    std::optional<std::size_t> SelectedLine() override { return std::nullopt; }
    std::optional<std::string> BrowseForLibrary() override { return std::nullopt; }
};

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    for (int run = 0; run < runs; ++run) {
        TBenchHost host;
        host.RefreshList(); // the list the user sees before choosing the command
        const double start = MillisecondsNow();
        RegisterAllLibraries(host, Libraries);
        std::printf("%.1f %d\n", MillisecondsNow() - start, host.Registered);
        std::fflush(stdout);
    }
    return 0;
}
