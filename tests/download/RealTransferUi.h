// The download action's window for Wine tests that run the real transfers without a
// window: questions answered from a script, messages recorded.
#pragma once

#include "actions/DownloadAction.h"
#include "actions/DownloadFile.h"
#include "tests/support/QuietDownloadUi.h"

#include <deque>
#include <string>
#include <vector>

namespace kestrova_test {

struct TRealTransferUi : TQuietDownloadUi {
    std::deque<bool> Answers; // a question beyond them is answered No
    std::vector<std::string> Messages;
    bool Unproven = false;

    bool Confirm(const std::string&) override {
        const bool yes = !Answers.empty() && Answers.front();
        if (!Answers.empty()) Answers.pop_front();
        return yes;
    }
    void ShowMessage(const std::string& text) override { Messages.push_back(text); }
    bool Transfer(const std::string& url, const std::string& file) override {
        return Run(DownloadFile, url, file);
    }
    bool TransferSignature(const std::string& url, const std::string& file) override {
        return Run(DownloadSignatureFile, url, file);
    }
    bool ServerUnproven() override { return Unproven; }

private:
    bool Run(bool (*fetch)(TTransfer&, const std::string&, const std::string&),
             const std::string& url, const std::string& file) {
        TTransfer transfer;
        const bool stored = fetch(transfer, url, file);
        Unproven = transfer.ServerUnproven();
        return stored;
    }
};

} // namespace kestrova_test
