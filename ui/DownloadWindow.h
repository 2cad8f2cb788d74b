// The main window as the download action and the progress notifications see it: the
// questions and messages, the controls an action disables, and the progress display.
#pragma once

#include "actions/BindProgress.h"
#include "actions/DownloadAction.h"

class TfGeneral;

class TDownloadWindow final : public TDownloadUi, public TProgressView {
public:
    explicit TDownloadWindow(TfGeneral& form) : FForm(form) {}

    // True from the start of a download action to its end.
    bool Running() const { return FRunning; }
    void SetRunning(bool running) { FRunning = running; }
    // Closing the window mid-action: the transfer is stopped and the window closes once
    // the action has cleaned up.
    void RequestClose() { FCloseRequested = true; }

    // TDownloadUi
    bool Confirm(const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    void DisableForAction() override;
    void ShowTransferDisplay() override;
    bool Transfer(const std::string& url, const std::string& file) override;
    void PumpMessages() override;
    void SetPathField(const std::string& text) override;
    void RegisterPathField() override;
    void HideTransferDisplay() override;
    void RefreshList() override;
    void EnableAfterAction() override;
    bool CloseRequested() override { return FCloseRequested; }

    // TProgressView
    void SetProgressBar(int maximum, int position) override;
    void ShowDownloadingText(const std::string& caption) override;
    void RepaintAndPump() override;

private:
    TfGeneral& FForm;
    bool FRunning = false;
    bool FCloseRequested = false;
};
