// How long the user waits after pressing "&Detener": the real program downloads a library
// the server trickles (a chunk every 100 ms); the time runs from the click on the stop
// button to the error message on the screen.
//   stop_latency_bench.exe <rounds>
#include "GuiScenario.h"
#include "LibServerControl.h"
#include "bench/BenchClock.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace gui;

namespace {} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::vector<double> latencies;
    try {
        kestrova_test::ResetServer();
        kestrova_test::SetServerMode("ZLIB.DLL", "trickle", "&chunk=64&interval=100");
        for (int round = 0; round < rounds; ++round) {
            TScenario machine;
            TKestrova app(machine.Here());
            if (!app.OpenMenu() || !app.PickMenuItem(TMenuItem::ForceHere))
                throw std::runtime_error("menu");
            if (!app.SelectLine(IndexOf("ZLIB.DLL"))) throw std::runtime_error("select");
            WaitUntil([&] { return app.IsEnabled(IDC_CMDDESCARGAR); });
            app.Press(IDC_CMDDESCARGAR);
            if (!WaitUntil(
                    [&] { return app.Text(IDC_LDOWNLOADING).find("/") != std::string::npos; },
                    10000))
                throw std::runtime_error("no progress shown");
            const double start = SecondsNow();
            app.Press(IDC_CMDDETENER);
            std::optional<TMessageBox> box;
            while (!(box = CurrentMessageBox(app.Process().Id())) && SecondsNow() - start < 15)
                Sleep(1);
            const double latency = SecondsNow() - start;
            if (!box || box->Text != "Ha ocurrido un error en la descarga de ZLIB.DLL.")
                throw std::runtime_error("no error message after the stop");
            latencies.push_back(latency);
            PressButton(*box, "OK");
            app.WaitForRefreshedList();
        }
        kestrova_test::ResetServer();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "stop latency bench: %s\n", e.what());
        return 1;
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("stop button to error message         median %.3f s, max %.3f s over %d rounds "
                "(server chunk every 100 ms; goal < 0.5 s)\n",
                latencies[latencies.size() / 2], latencies.back(), rounds);
    return 0;
}
