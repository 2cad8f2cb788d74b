// The progress notification's steps, in the order the window shows them.
#include "actions/Transfer.h"

#include <cctype>

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

bool IsHttps(const std::string& url) {
    static const char scheme[] = "https://";
    if (url.size() < sizeof scheme - 1) return false;
    for (std::size_t i = 0; i + 1 < sizeof scheme; ++i)
        if (std::tolower(static_cast<unsigned char>(url[i])) != scheme[i]) return false;
    return true;
}

void TTransfer::Begin(const std::string& url, uint32_t limit) {
    FCancelled = false;
    FCounts = {};
    FResult = 0;
    FHttpsOnly = IsHttps(url);
    FLeftHttps = false;
    FLimit = limit;
}

bool TTransfer::Redirect(const std::string& url) {
    if (FHttpsOnly && !url.empty() && !IsHttps(url)) {
        FLeftHttps = true;
        Cancel();
    }
    return FCancelled;
}

bool TTransfer::ServerUnproven() const {
    return FLeftHttps || FResult == INVALID_CERTIFICATE || FResult == SECURITY_PROBLEM;
}

bool TTransfer::Report(uint32_t progress, uint32_t maximum) {
    if (progress > FLimit || maximum > FLimit) Cancel();
    FCounts.Progress = progress;
    if (maximum > FCounts.Maximum) FCounts.Maximum = maximum;
    ++FCounts.Notifications;
    if (FView != nullptr) {
        const TBarRange bar = ScaleForBar(progress, maximum);
        FView->SetProgressBar(bar.Maximum, bar.Position);
        FView->ShowDownloadingText(FormatProgressCaption(progress, maximum));
        FView->RepaintAndPump();
        if (FView->StopRequested()) Cancel();
    }
    return FCancelled;
}
