// URLDownloadToFileA reports S_OK for an HTTP error page under some implementations and for
// a connection closed early, so its result alone never counts as success here.
#include "actions/DownloadFile.h"

#include "actions/BindStatusCallback.h"
#include "actions/DownloadAction.h"
#include "platform/LateBound.h"
#include "platform/OleScope.h"

namespace {

// BindCallback reports to `transfer` for the scope of one call, and to nothing afterwards.
// It exists before the first call even without a window: its notifications are what holds a
// transfer to https and to its limit.
class TAttachment {
public:
    explicit TAttachment(TTransfer& transfer) {
        CreateBindCallback();
        BindCallback->Attach(&transfer);
    }
    ~TAttachment() {
        if (BindCallback != nullptr) BindCallback->Attach(nullptr);
    }
    TAttachment(const TAttachment&) = delete;
    TAttachment& operator=(const TAttachment&) = delete;
};

} // namespace

namespace {

// The call itself; true when it succeeded and the user did not stop it. Whatever `accept`
// then refuses is removed.
template <typename TAccept>
bool Fetch(TPlatform& platform, TTransfer& transfer, const std::string& url,
           const std::string& file, uint32_t limit, TAccept accept) {
    bool ok = false;
    try {
        TOleScope ole; // URL monikers need an apartment on this thread
        TAttachment attached(transfer);
        transfer.Begin(url, limit);
        static auto* download =
            LateBound<decltype(URLDownloadToFileA)>("urlmon.dll", "URLDownloadToFileA");
        transfer.SetResult(download != nullptr
                               ? download(nullptr, url.c_str(), file.c_str(), 0, BindCallback)
                               : E_NOTIMPL);
        ok = transfer.Result() == S_OK && !transfer.Cancelled() && accept();
    } catch (...) {
        ok = false;
    }
    if (!ok && platform.FileExists(file)) platform.RemoveFile(file);
    return ok;
}

} // namespace

bool DownloadFile(TPlatform& platform, TTransfer& transfer, const std::string& url,
                  const std::string& file) {
    return Fetch(platform, transfer, url, file, TRANSFER_LIMIT, [&] {
        return VerifyStoredLibrary(platform, file, transfer.Counts()) == TImageVerdict::Library;
    });
}

bool DownloadSignatureFile(TPlatform& platform, TTransfer& transfer, const std::string& url,
                           const std::string& file) {
    return Fetch(platform, transfer, url, file, SIGNATURE_FILE_LIMIT, [&] {
        const auto head = platform.ReadFileHead(file, SIGNATURE_FILE_LIMIT);
        return head && head->Size <= SIGNATURE_FILE_LIMIT;
    });
}

TArrival TLibraryServer::FetchLibrary(TTransfer& transfer, const std::string& name,
                                      const std::string& file) {
    if (DownloadFile(FPlatform, transfer, FBaseUrl + name, file)) return TArrival::Stored;
    return transfer.ServerUnproven() ? TArrival::Unproven : TArrival::Failed;
}

TArrival TLibraryServer::FetchSignature(TTransfer& transfer, const std::string& name,
                                        const std::string& file) {
    if (DownloadSignatureFile(FPlatform, transfer, FBaseUrl + name + ".sig", file))
        return TArrival::Stored;
    return transfer.ServerUnproven() ? TArrival::Unproven : TArrival::Failed;
}

std::string TLibraryServer::FailureMessage(const std::string& name, TArrival arrival) const {
    if (arrival == TArrival::Unproven) return UnprovenServerMessage(FBaseUrl, name);
    return TLibrarySource::FailureMessage(name, arrival);
}
