// The progress notification's steps, in the order the window shows them.
#include "actions/Transfer.h"

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

bool TTransfer::Report(uint32_t progress, uint32_t maximum) {
    if (progress > TRANSFER_LIMIT || maximum > TRANSFER_LIMIT) Cancel();
    FCounts.Progress = progress;
    if (maximum > FCounts.Maximum) FCounts.Maximum = maximum;
    ++FCounts.Notifications;
    if (FView != nullptr) {
        const TBarRange bar = ScaleForBar(progress, maximum);
        FView->SetProgressBar(bar.Maximum, bar.Position);
        FView->ShowDownloadingText(FormatProgressCaption(progress, maximum));
        FView->RepaintAndPump();
    }
    return FCancelled;
}
