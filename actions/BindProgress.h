// What one progress notification of a transfer does, apart from COM: show the byte count
// and the bar, keep the window alive, and tell the transfer to stop once the user asked.
// Kept free of Windows types so native tests run every step.
#pragma once

#include <cstdint>
#include <string>

// The progress display of the main window, as the notifications see it.
class TProgressView {
public:
    virtual ~TProgressView() = default;
    // pb1: the maximum first, then the position.
    virtual void SetProgressBar(int maximum, int position) = 0;
    // lDownloading: the caption, then visible.
    virtual void ShowDownloadingText(const std::string& caption) = 0;
    // Repaints the main window, then PumpMessages: the stop button is heard here.
    virtual void RepaintAndPump() = 0;
};

// Set by the stop button (and by closing the window mid-transfer), cleared right before
// every transfer; stays set after an aborted transfer until the next one starts.
extern bool DownloadCancelled;

// The display the notifications update; none until the main window exists.
extern TProgressView* ProgressView;

// The counts of the latest notification of the current transfer, so the transfer can be
// checked for completeness against the length the server announced.
struct TTransferCounts {
    uint32_t Progress = 0;
    uint32_t Maximum = 0; // the largest announced maximum; 0 when the length is unknown
    uint32_t Notifications = 0;
};
extern TTransferCounts LastCounts;

// progress + "/" + maximum + " bytes", both unsigned decimal.
std::string FormatProgressCaption(uint32_t progress, uint32_t maximum);

// The bar's range is signed 32-bit: counts of 2^31 and more are halved together until
// the maximum fits, so the bar keeps the same proportion. Below 2^31 nothing changes.
struct TBarRange {
    int Maximum = 0;
    int Position = 0;
};
TBarRange ScaleForBar(uint32_t progress, uint32_t maximum);

// One notification: bar, caption, repaint and pump, then true when the transfer must stop
// (DownloadCancelled). Without a display only the stop request is answered.
bool ReportProgress(uint32_t progress, uint32_t maximum);

// Clears the stop request and the counts: the start of a transfer.
void BeginTransferCounts();
