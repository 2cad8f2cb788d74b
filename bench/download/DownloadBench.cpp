// What the progress display costs a large transfer: the same library fetched through
// DownloadFile (notifications, bar, label, message pump, completeness check) and through a
// bare URLDownloadToFileA without a callback, alternately in one run.
//   download_bench.exe <url> <folder> <rounds>
#include "actions/BindStatusCallback.h"
#include "actions/DownloadFile.h"
#include "platform/WinPlatform.h"

#include <commctrl.h>
#include <urlmon.h>
#include <windows.h>

#include "bench/BenchClock.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A window with the same two controls the main window updates, updated the same way.
struct TBenchView : TProgressView {
    HWND Window = nullptr, Bar = nullptr, Label = nullptr;
    unsigned Notifications = 0;
    TBenchView() {
        Window = CreateWindowExA(0, "STATIC", "download bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                 0, 473, 528, nullptr, nullptr, nullptr, nullptr);
        Bar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 288, 232, 161, 25,
                              Window, nullptr, nullptr, nullptr);
        Label = CreateWindowExA(0, "STATIC", "Descargando...", WS_CHILD | WS_VISIBLE, 287, 213, 160,
                                13, Window, nullptr, nullptr, nullptr);
    }
    void SetProgressBar(int maximum, int position) override {
        SendMessageA(Bar, PBM_SETRANGE32, 0, maximum);
        SendMessageA(Bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    }
    void ShowDownloadingText(const std::string& caption) override {
        SetWindowTextA(Label, caption.c_str());
        ShowWindow(Label, SW_SHOW);
    }
    void RepaintAndPump() override {
        ++Notifications;
        RedrawWindow(Window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: download_bench <url> <folder> <rounds>\n");
        return 2;
    }
    const std::string url = argv[1], folder = argv[2];
    const int rounds = std::max(1, std::atoi(argv[3]));
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    TBenchView view;
    CreateBindCallback();

    std::vector<double> bare, ours, callbackOnly;
    TTransfer transfer(&view);
    unsigned notifications = 0;
    for (int round = 0; round < rounds; ++round) {
        const std::string bareFile = folder + "\\bare.dll", ourFile = folder + "\\ours.dll";
        // Alternate which goes first, so neither always meets a warm or a cold cache.
        HRESULT result = S_OK;
        bool stored = false;
        for (int turn = 0; turn < 2; ++turn) {
            const bool bareTurn = (turn == 0) == (round % 2 == 0);
            view.Notifications = 0;
            const double start = SecondsNow();
            if (bareTurn)
                result = URLDownloadToFileA(nullptr, url.c_str(), bareFile.c_str(), 0, nullptr);
            else
                stored = DownloadFile(WindowsPlatform(), transfer, url, ourFile);
            (bareTurn ? bare : ours).push_back(SecondsNow() - start);
            if (!bareTurn) notifications = view.Notifications;
        }
        // Where the difference goes: the same call with the callback but no display.
        TTransfer silent;
        BindCallback->Attach(&silent);
        const std::string callbackFile = folder + "\\callback.dll";
        const double start = SecondsNow();
        URLDownloadToFileA(nullptr, url.c_str(), callbackFile.c_str(), 0, BindCallback);
        callbackOnly.push_back(SecondsNow() - start);
        BindCallback->Attach(nullptr);
        DeleteFileA(callbackFile.c_str());
        if (result != S_OK || !stored) {
            std::fprintf(stderr, "round %d failed: bare 0x%08lX, DownloadFile %d (0x%08lX)\n",
                         round, static_cast<unsigned long>(result), stored ? 1 : 0,
                         static_cast<unsigned long>(transfer.Result()));
            return 1;
        }
        DeleteFileA(bareFile.c_str());
        DeleteFileA(ourFile.c_str());
    }
    const double b = Median(bare), o = Median(ours);
    std::printf("bare URLDownloadToFileA, no callback   median %.3f s over %d rounds\n", b, rounds);
    std::printf("DownloadFile with progress display    median %.3f s (%u notifications)\n", o,
                notifications);
    std::printf("  of which: the call with the callback, no display, median %.3f s\n",
                Median(callbackOnly));
    std::printf("ratio DownloadFile / bare              %.3fx (goal <= 1.05x)\n", o / b);
    DestroyWindow(view.Window);
    return 0;
}
