// The repair on the main window, for /reparar and for the "[...]" menu's two repairs: the line
// being worked is selected, a download shows its bar and stop button, the controls stay
// disabled until the summary box is answered, and the stop button or closing the window stops
// the whole repair.
#include "ui/RegLib.h"

#include "actions/DownloadFile.h"
#include "platform/WinPlatform.h"
#include "ui/ControlIds.h"
#include "ui/DownloadWindow.h"
#include "ui/MessageBoxes.h"
#include "ui/ShellCalls.h"

#include <vector>

namespace {

class TWindowRepairHost final : public TRepairHost {
public:
    TWindowRepairHost(TfGeneral& form, TDownloadWindow& display,
                      const std::function<void(const TRepairStep&)>& log)
        : FForm(form), FDisplay(display), FLog(log) {}

    TDownloadUi& Display() override { return FDisplay; }
    void Log(const TRepairStep& step) override { FLog(step); }
    void ShowLine(std::size_t index) override { FForm.ShowWorkingLine(index); }

private:
    TfGeneral& FForm;
    TDownloadWindow& FDisplay;
    const std::function<void(const TRepairStep&)>& FLog;
};

} // namespace

TRepairResult TfGeneral::Repair(TLibrarySource& source,
                                const std::function<void(const TRepairStep&)>& log,
                                uint32_t limitSeconds) {
    TDownloadWindow display(*this);
    display.LimitRegistrations(limitSeconds);
    // Known to the close request while the repair and its box run, however they end.
    FDownload = &display;
    struct TRunning {
        TDownloadWindow*& Slot;
        ~TRunning() { Slot = nullptr; }
    } running{FDownload};
    // No other command may start between two steps, when the pump runs.
    display.DisableForAction();
    display.HoldControls();
    std::vector<TRepairStep> steps;
    const std::function<void(const TRepairStep&)> record = [&](const TRepairStep& step) {
        log(step);
        steps.push_back(step);
    };
    TWindowRepairHost host(*this, display, record);
    PumpMessages();
    const TRepairResult result = RunRepair(WindowsPlatform(), host, source, PublisherKey());
    // Closing the window was the user's answer already.
    if (!display.CloseRequested()) {
        RefreshList();
        ShowPlainMessage(RepairSummary(result, steps));
    }
    FClosedDuringRepair = display.CloseRequested();
    // As after a download: the three command buttons wait for the next selection.
    EnableWindow(Control(IDC_BTNEXTRA), TRUE);
    EnableWindow(Control(IDC_LLIBRERIAS), TRUE);
    return result;
}

void TfGeneral::RepairFromMenu(TLibrarySource& source) {
    if (FDownload || FRegisteringAll) return;
    Repair(source, [](const TRepairStep&) {});
    if (FClosedDuringRepair) PostMessageA(FHandle, WM_CLOSE, 0, 0);
}

void TfGeneral::Reparartodo1Click() {
    TLibraryServer server(WindowsPlatform(), LIBRARY_BASE_URL);
    RepairFromMenu(server);
}

void TfGeneral::Reparardesdeunacarpeta1Click() {
    if (FDownload || FRegisteringAll) return;
    const std::optional<std::string> folder =
        BrowseForFolder(FHandle, "Carpeta con las librerías y sus firmas (.sig):");
    if (!folder) return;
    TLibraryFolder source(WindowsPlatform(), *folder);
    RepairFromMenu(source);
}
