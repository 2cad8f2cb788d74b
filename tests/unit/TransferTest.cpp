// One transfer as the window sees it: the bar, the byte count, the pump that lets the stop
// button be heard, the answer that stops the transfer, and the counts the completeness
// check relies on.
#include "actions/Transfer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TRecordingView : TProgressView {
    std::vector<std::string> Calls;
    TTransfer* StopWhilePumping = nullptr; // the stop button, clicked during the pump
    void SetProgressBar(int maximum, int position) override {
        Calls.push_back("bar " + std::to_string(maximum) + " " + std::to_string(position));
    }
    void ShowDownloadingText(const std::string& caption) override {
        Calls.push_back("label " + caption);
    }
    void RepaintAndPump() override {
        Calls.push_back("pump");
        if (StopWhilePumping) StopWhilePumping->Cancel();
    }
};

} // namespace

TEST(TransferText, CaptionAndBar) {
    struct TCase {
        uint32_t progress, maximum;
        const char* caption;
        int barMax, barPos;
    };
    const TCase cases[] = {
        {0, 0, "0/0 bytes", 0, 0},
        {512, 2048, "512/2048 bytes", 2048, 512},
        {0x7FFFFFFF, 0x7FFFFFFF, "2147483647/2147483647 bytes", 0x7FFFFFFF, 0x7FFFFFFF},
        // Unsigned in the text; halved together for the signed bar.
        {0x80000000u, 0xFFFFFFFFu, "2147483648/4294967295 bytes", 0x7FFFFFFF, 0x40000000},
        {4294967295u, 4294967295u, "4294967295/4294967295 bytes", 0x7FFFFFFF, 0x7FFFFFFF},
        // A count past the announced maximum still fits the bar.
        {0x90000000u, 100, "2415919104/100 bytes", 50, 0x48000000},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(FormatProgressCaption(c.progress, c.maximum), c.caption);
        const TBarRange bar = ScaleForBar(c.progress, c.maximum);
        EXPECT_EQ(bar.Maximum, c.barMax) << c.caption;
        EXPECT_EQ(bar.Position, c.barPos) << c.caption;
    }
}

TEST(Transfer, UpdatesBarThenLabelThenPumps) {
    TRecordingView view;
    TTransfer transfer(&view);
    EXPECT_FALSE(transfer.Report(300, 1000));
    EXPECT_EQ(view.Calls,
              (std::vector<std::string>{"bar 1000 300", "label 300/1000 bytes", "pump"}));
}

TEST(Transfer, StopPressedDuringThePumpFailsThisNotification) {
    TRecordingView view;
    TTransfer transfer(&view);
    view.StopWhilePumping = &transfer;
    EXPECT_TRUE(transfer.Report(1, 10));
    view.StopWhilePumping = nullptr;
    EXPECT_TRUE(transfer.Report(2, 10)) << "the request stays until the next transfer";
    transfer.Begin();
    EXPECT_FALSE(transfer.Report(1, 10));
}

TEST(Transfer, RemembersTheLargestAnnouncedLength) {
    TRecordingView view;
    TTransfer transfer(&view);
    transfer.Report(0, 0); // connecting: nothing announced yet
    transfer.Report(100, 5000);
    transfer.Report(5000, 5000);
    EXPECT_EQ(transfer.Counts().Maximum, 5000u);
    EXPECT_EQ(transfer.Counts().Progress, 5000u);
    EXPECT_EQ(transfer.Counts().Notifications, 3u);
    transfer.Begin();
    EXPECT_EQ(transfer.Counts().Maximum, 0u);
}

TEST(TransferNoWindow, AnswersTheStopRequestOnly) {
    TTransfer transfer;
    EXPECT_FALSE(transfer.Report(1, 2));
    transfer.Cancel();
    EXPECT_TRUE(transfer.Report(1, 2));
}

TEST(Transfer, StopsOnceTheAnswerPassesTheBound) {
    struct TCase {
        const char* what;
        uint32_t progress, maximum;
        bool stops;
    };
    const TCase cases[] = {
        {"a library at the bound", TRANSFER_LIMIT, TRANSFER_LIMIT, false},
        {"an announced length past it", 0, TRANSFER_LIMIT + 1, true},
        {"no length, bytes past it", TRANSFER_LIMIT + 1, 0, true},
        {"no length, bytes below it", TRANSFER_LIMIT - 1, 0, false},
        {"a library of MSCOMCTL.OCX's size", 1100000, 1100000, false},
    };
    for (const TCase& c : cases) {
        TTransfer transfer;
        EXPECT_EQ(transfer.Report(c.progress, c.maximum), c.stops) << c.what;
        EXPECT_EQ(transfer.Cancelled(), c.stops) << c.what << ": stopped as the stop button does";
    }
}

TEST(Transfer, AnHttpsTransferFollowsOnlyHttpsRedirects) {
    struct TCase {
        const char* from;
        const char* to;
        bool stops; // and counts as stopped, its server as unproven
    };
    const TCase cases[] = {
        {"https://libs.example.org/libs/X", "https://mirror.example.org/libs/X", false},
        {"https://libs.example.org/libs/X", "HTTPS://mirror.example.org/libs/X", false},
        {"HTTPS://libs.example.org/libs/X", "http://libs.example.org/libs/X", true},
        {"https://libs.example.org/libs/X", "httpx://libs.example.org/libs/X", true},
        {"https://libs.example.org/libs/X", "http://libs.example.org/libs/X", true},
        {"https://libs.example.org/libs/X", "", false}, // the binding cannot say where
        {"http://localhost/libs/X", "http://localhost/other/X", false}, // a test build's http
    };
    for (const TCase& c : cases) {
        TTransfer transfer;
        transfer.Begin(c.from);
        EXPECT_EQ(transfer.Redirect(c.to), c.stops) << c.from << " -> " << c.to;
        EXPECT_EQ(transfer.Cancelled(), c.stops) << c.from << " -> " << c.to;
        EXPECT_EQ(transfer.ServerUnproven(), c.stops) << c.from << " -> " << c.to;
    }
}
