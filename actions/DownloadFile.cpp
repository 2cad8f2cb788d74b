// URLDownloadToFileA reports S_OK for an HTTP error page under some implementations and for
// a connection closed early, so its result alone never counts as success here.
#include "actions/DownloadFile.h"

#include "actions/BindStatusCallback.h"
#include "actions/DownloadAction.h"
#include "platform/LateBound.h"
#include "platform/WinPlatform.h"

namespace {
HRESULT LastResult = S_OK;
}

long LastDownloadResult() {
    return LastResult;
}

bool DownloadFile(const std::string& url, const std::string& file) {
    TPlatform& platform = WindowsPlatform();
    bool ok = false;
    try {
        BeginTransferCounts();
        if (BindCallback != nullptr) BindCallback->ResetCancel();
        static auto* transfer =
            LateBound<decltype(URLDownloadToFileA)>("urlmon.dll", "URLDownloadToFileA");
        LastResult = transfer != nullptr
                         ? transfer(nullptr, url.c_str(), file.c_str(), 0, BindCallback)
                         : E_NOTIMPL;
        ok = LastResult == S_OK && !DownloadCancelled &&
             VerifyStoredLibrary(platform, file, LastCounts) == TImageVerdict::Library;
    } catch (...) {
        ok = false;
    }
    if (!ok && platform.FileExists(file)) platform.RemoveFile(file);
    return ok;
}
