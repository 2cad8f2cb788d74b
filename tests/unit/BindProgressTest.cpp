// One progress notification as the window sees it: the bar, the byte count, the pump
// that lets the stop button be heard, and the answer that stops the transfer.
#include "actions/BindProgress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TRecordingView : TProgressView {
    std::vector<std::string> Calls;
    bool PressStopWhilePumping = false;
    void SetProgressBar(int maximum, int position) override {
        Calls.push_back("bar " + std::to_string(maximum) + " " + std::to_string(position));
    }
    void ShowDownloadingText(const std::string& caption) override {
        Calls.push_back("label " + caption);
    }
    void RepaintAndPump() override {
        Calls.push_back("pump");
        if (PressStopWhilePumping) DownloadCancelled = true;
    }
};

struct BindProgress : ::testing::Test {
    TRecordingView View;
    void SetUp() override {
        BeginTransferCounts();
        ProgressView = &View;
    }
    void TearDown() override { ProgressView = nullptr; }
};

} // namespace

TEST(BindProgressText, CaptionAndBar) {
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

TEST_F(BindProgress, UpdatesBarThenLabelThenPumps) {
    EXPECT_FALSE(ReportProgress(300, 1000));
    EXPECT_EQ(View.Calls,
              (std::vector<std::string>{"bar 1000 300", "label 300/1000 bytes", "pump"}));
}

TEST_F(BindProgress, StopPressedDuringThePumpFailsThisNotification) {
    View.PressStopWhilePumping = true;
    EXPECT_TRUE(ReportProgress(1, 10));
    EXPECT_TRUE(ReportProgress(2, 10)) << "the request stays until the next transfer";
    BeginTransferCounts();
    View.PressStopWhilePumping = false;
    EXPECT_FALSE(ReportProgress(1, 10));
}

TEST_F(BindProgress, RemembersTheLargestAnnouncedLength) {
    ReportProgress(0, 0); // connecting: nothing announced yet
    ReportProgress(100, 5000);
    ReportProgress(5000, 5000);
    EXPECT_EQ(LastCounts.Maximum, 5000u);
    EXPECT_EQ(LastCounts.Progress, 5000u);
    EXPECT_EQ(LastCounts.Notifications, 3u);
    BeginTransferCounts();
    EXPECT_EQ(LastCounts.Maximum, 0u);
}

TEST(BindProgressNoWindow, AnswersTheStopRequestOnly) {
    ProgressView = nullptr;
    BeginTransferCounts();
    EXPECT_FALSE(ReportProgress(1, 2));
    DownloadCancelled = true;
    EXPECT_TRUE(ReportProgress(1, 2));
    BeginTransferCounts();
}
