// The main window as the download action and its progress notifications see it: the
// questions and messages, the controls the action disables, the progress display, and the
// transfer itself, which this object runs and owns for the action's duration.
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
    bool Confirm(const std::string& text) override;
    void DisableForAction() override;
    void ShowTransferDisplay() override;
    bool Transfer(const std::string& url, const std::string& file) override;
    void SetPathField(const std::string& text) override;
    void HideTransferDisplay() override;
    void EnableAfterAction() override;
    bool CloseRequested() override { return FCloseRequested; }
    bool StopRequested() override { return FStopRequested || FCloseRequested; }
    bool ServerUnproven() override { return FServerUnproven; }
    bool TransferSignature(const std::string& url, const std::string& file) override;

    // TProgressView
    void SetProgressBar(int maximum, int position) override;
    void ShowDownloadingText(const std::string& caption) override;
    void RepaintAndPump() override;

private:
    using TFetch = bool (*)(TTransfer&, const std::string&, const std::string&);
    // One transfer with the window's progress display; remembers whether its server was
    // proven.
    bool RunTransfer(TFetch fetch, const std::string& url, const std::string& file);

    bool FStopRequested = false;
    bool FCloseRequested = false;
    bool FServerUnproven = false;
};
