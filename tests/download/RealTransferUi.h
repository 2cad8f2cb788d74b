// The download action's window for Wine tests that run the real transfers without a
// window (no progress display): questions answered from a script, messages recorded.
#pragma once

#include "actions/DownloadAction.h"
#include "tests/support/QuietDownloadUi.h"

#include <deque>
#include <string>
#include <vector>

namespace kestrova_test {

struct TRealTransferUi : TQuietDownloadUi {
    std::deque<bool> Answers; // a question beyond them is answered No
    std::vector<std::string> Messages;

    bool Confirm(const std::string&) override {
        const bool yes = !Answers.empty() && Answers.front();
        if (!Answers.empty()) Answers.pop_front();
        return yes;
    }
    void ShowMessage(const std::string& text) override { Messages.push_back(text); }
};

} // namespace kestrova_test
