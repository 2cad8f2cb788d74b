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

    // Closing the window mid-action: the transfer is stopped and the window closes once
    // the action has cleaned up.
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

    bool FCloseRequested = false;
    bool FServerUnproven = false;
};
