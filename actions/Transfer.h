// One transfer's state, apart from COM: its progress display, the stop request, the counts
// the server announced and the transfer call's result. Owned by whoever runs the transfer
// and handed to the download and to the progress notifications; kept free of Windows
// types so native tests run every step.
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
    // True once the user asked to stop ("Detener", closing the window, Ctrl+C): asked after
    // each repaint, so a transfer of any source ends at its next notification.
    virtual bool StopRequested() { return false; }
};

// The counts of the latest notification, so the stored file can be checked for
// completeness against the length the server announced.
struct TTransferCounts {
    uint32_t Progress = 0;
    uint32_t Maximum = 0; // the largest announced maximum; 0 when the length is unknown
    uint32_t Notifications = 0;
};

// The most a transfer may bring: the largest library of the catalogue is a few megabytes,
// and an answer that never ends must not fill the disk it is written to.
inline constexpr uint32_t TRANSFER_LIMIT = 64u * 1024 * 1024;

// The certificate refusal of URLDownloadToFileA (INET_E_INVALID_CERTIFICATE) and the
// security failure some urlmon versions report for a TLS handshake that fails
// (INET_E_SECURITY_PROBLEM): the server is not the one it claims to be.
inline constexpr long INVALID_CERTIFICATE = static_cast<long>(0x800C0019);
inline constexpr long SECURITY_PROBLEM = static_cast<long>(0x800C000E);

// Whether `url` starts with "https://", in any case.
bool IsHttps(const std::string& url);

// progress + "/" + maximum + " bytes", both unsigned decimal.
std::string FormatProgressCaption(uint32_t progress, uint32_t maximum);

// The bar's range is signed 32-bit: counts of 2^31 and more are halved together until
// the maximum fits, so the bar keeps the same proportion. Below 2^31 nothing changes.
struct TBarRange {
    int Maximum = 0;
    int Position = 0;
};
TBarRange ScaleForBar(uint32_t progress, uint32_t maximum);

class TTransfer {
public:
    // `view`: the display the notifications update; none (a transfer without a window).
    explicit TTransfer(TProgressView* view = nullptr) : FView(view) {}

    // One notification: counts, bar, caption, repaint and pump, then true when the
    // transfer must stop: the user asked, or the announced length or the bytes received
    // passed the transfer's limit (TRANSFER_LIMIT unless Begin said less) (which stops it as the
    // stop button does). Without a display only the stop request is answered; with one, the
    // display's own stop request too.
    bool Report(uint32_t progress, uint32_t maximum);

    // The transfer now fetches `url` (empty: unknown), as after a redirect: true when it must
    // stop, as when it would leave https (it then counts as stopped, its server as unproven).
    bool Redirect(const std::string& url);

    // The start of the transfer call for `url`: no stop request, no counts, no result yet.
    // An https transfer may only go on to https addresses; at most `limit` bytes may arrive.
    void Begin(const std::string& url = {}, uint32_t limit = TRANSFER_LIMIT);

    // True when the server's identity could not be proven: a certificate Windows does not
    // trust, or a redirect that left https.
    bool ServerUnproven() const;

    // The stop request: set by the stop button (and by closing the window mid-transfer),
    // cleared by Begin; it stays set after an aborted transfer.
    void Cancel() { FCancelled = true; }
    void ResetCancel() { FCancelled = false; }
    bool Cancelled() const { return FCancelled; }

    const TTransferCounts& Counts() const { return FCounts; }

    // The transfer call's own result code (an HRESULT), for tests and benchmarks.
    long Result() const { return FResult; }
    void SetResult(long result) { FResult = result; }

private:
    TProgressView* FView;
    bool FHttpsOnly = false;
    bool FLeftHttps = false;
    uint32_t FLimit = TRANSFER_LIMIT;
    bool FCancelled = false;
    TTransferCounts FCounts;
    long FResult = 0;
};
