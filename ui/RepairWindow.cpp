// The repair on the main window: the line being worked is selected, a download shows its
// bar and stop button, and the stop button or closing the window stops the whole repair.
#include "ui/RegLib.h"

#include "actions/DownloadFile.h"
#include "platform/WinPlatform.h"
#include "ui/ControlIds.h"
#include "ui/DownloadWindow.h"

namespace {

class TWindowRepairHost final : public TRepairHost {
public:
    TWindowRepairHost(TfGeneral& form, TDownloadWindow& display,
                      const std::function<void(const TRepairStep&)>& log)
        : FForm(form), FDisplay(display), FLog(log) {}

    TDownloadUi& Display() override { return FDisplay; }
    void Log(const TRepairStep& step) override { FLog(step); }
    void ShowLine(std::size_t index) override {
        // No other command may start between two steps, when the pump runs.
        FDisplay.DisableForAction();
        HWND list = FForm.Control(IDC_LLIBRERIAS);
        SendMessageA(list, LB_SETCURSEL, index, 0);
        SetWindowTextA(FForm.Control(IDC_TPATH), Libraries[index].Path.c_str());
        UpdateWindow(list);
    }

private:
    TfGeneral& FForm;
    TDownloadWindow& FDisplay;
    const std::function<void(const TRepairStep&)>& FLog;
};

} // namespace

TRepairResult TfGeneral::Repair(const std::function<void(const TRepairStep&)>& log) {
    TDownloadWindow display(*this);
    // Known to the close request while the repair runs, however it ends.
    FDownload = &display;
    struct TRunning {
        TDownloadWindow*& Slot;
        ~TRunning() { Slot = nullptr; }
    } running{FDownload};
    TWindowRepairHost host(*this, display, log);
    PumpMessages();
    const TRepairResult result =
        RunRepair(WindowsPlatform(), host, LIBRARY_BASE_URL, PublisherKey());
    FClosedDuringRepair = display.CloseRequested();
    return result;
}
