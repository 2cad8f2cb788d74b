// The main window as the download action and its progress notifications see it: the
// questions and messages, the controls the action disables, and the progress display it
// lends to the source's transfers (bar, byte label, "Detener").
#pragma once

#include "actions/DownloadAction.h"
#include "actions/Transfer.h"
#include "ui/WindowServices.h"

class TDownloadWindow final : public TWindowServices<TDownloadUi>, public TProgressView {
public:
    using TWindowServices::TWindowServices;

    // The stop button: the action stops at its next step (the running transfer, if any,
    // is aborted by the button itself).
    void RequestStop() { FStopRequested = true; }
    // Closing the window mid-action: the action stops and the window closes once it has
    // cleaned up.
    void RequestClose() { FCloseRequested = true; }

    // TDownloadUi
    void DisableForAction() override;
    void ShowTransferDisplay() override;
    void SetPathField(const std::string& text) override;
    void HideTransferDisplay() override;
    void EnableAfterAction() override;
    bool CloseRequested() override { return FCloseRequested; }
    bool StopRequested() override { return FStopRequested || FCloseRequested; }
    TProgressView* ProgressView() override { return this; }

    // TProgressView
    void SetProgressBar(int maximum, int position) override;
    void ShowDownloadingText(const std::string& caption) override;
    void RepaintAndPump() override;

    // A repair holds the controls disabled from its first step to its end: the download
    // action's end then leaves them so, and no command starts between two steps.
    void HoldControls() { FHoldControls = true; }
    // The repair of /reparar bounds each library's registration; the window's own commands
    // do not.
    void LimitRegistrations(uint32_t seconds) { FRegistrationLimit = seconds; }
    uint32_t RegistrationLimit() override { return FRegistrationLimit; }

private:
    bool FStopRequested = false;
    bool FCloseRequested = false;
    bool FHoldControls = false;
    uint32_t FRegistrationLimit = 0;
};
