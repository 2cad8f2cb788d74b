// A download window for tests that shows nothing: every display step does nothing and no
// close is requested, so a test's own window interface writes only the steps it watches.
#pragma once

#include "actions/DownloadAction.h"

struct TQuietDownloadUi : TDownloadUi {
    void DisableForAction() override {}
    void ShowTransferDisplay() override {}
    void PumpMessages() override {}
    void SetPathField(const std::string&) override {}
    void HideTransferDisplay() override {}
    void RefreshList() override {}
    void EnableAfterAction() override {}
    bool CloseRequested() override { return false; }
};
