// The progress notification's steps, in the order the window shows them.
#include "actions/BindProgress.h"

bool DownloadCancelled = false;
TProgressView* ProgressView = nullptr;
TTransferCounts LastCounts;

std::string FormatProgressCaption(uint32_t progress, uint32_t maximum) {
    return std::to_string(progress) + "/" + std::to_string(maximum) + " bytes";
}

TBarRange ScaleForBar(uint32_t progress, uint32_t maximum) {
    uint32_t top = maximum > progress ? maximum : progress;
    int shift = 0;
    while ((top >> shift) > 0x7FFFFFFFu)
        ++shift;
    return {static_cast<int>(maximum >> shift), static_cast<int>(progress >> shift)};
}

bool ReportProgress(uint32_t progress, uint32_t maximum) {
    LastCounts.Progress = progress;
    if (maximum > LastCounts.Maximum) LastCounts.Maximum = maximum;
    ++LastCounts.Notifications;
    if (ProgressView != nullptr) {
        const TBarRange bar = ScaleForBar(progress, maximum);
        ProgressView->SetProgressBar(bar.Maximum, bar.Position);
        ProgressView->ShowDownloadingText(FormatProgressCaption(progress, maximum));
        ProgressView->RepaintAndPump();
    }
    return DownloadCancelled;
}

void BeginTransferCounts() {
    DownloadCancelled = false;
    LastCounts = {};
}
