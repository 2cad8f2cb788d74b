// The library server as a source: one blocking URLDownloadToFileA per file, with
// BindCallback's notifications reporting to the transfer that runs it.
#pragma once

#include "PublisherKey.h"
#include "actions/LibrarySource.h"
#include "actions/OriginChecks.h"
#include "actions/Transfer.h"

#include <string>

// The library server's base address ("https://.../libs/", or "http://" in a build that allows it),
// fixed when the program is built.
inline constexpr const char* LIBRARY_BASE_URL = KESTROVA_LIBRARY_BASE_URL;

// The publisher's public key built in (PUBLISHER_KEY), as the CryptoAPI imports it; empty in
// a build without one.
inline std::string PublisherKey() {
    return std::string(PUBLISHER_KEY_BLOB, sizeof PUBLISHER_KEY_BLOB - 1);
}

// Fetches `url` into `file` as `transfer` (its stop request cleared first, its counts and
// the call's result recorded in it). True only when the call succeeded, the user did not
// stop it, and what was stored is a complete 32-bit library image of the announced length;
// otherwise whatever was stored under `file` is removed. No exception escapes.
bool DownloadFile(TPlatform& platform, TTransfer& transfer, const std::string& url,
                  const std::string& file);

// Fetches a library's detached signature `url` into `file` as `transfer`, under the same
// rules: true only when the call succeeded, was not stopped, and stored at most
// SIGNATURE_FILE_LIMIT bytes; otherwise nothing stays under `file`.
bool DownloadSignatureFile(TPlatform& platform, TTransfer& transfer, const std::string& url,
                           const std::string& file);

// The library server at `baseUrl`: NAME and NAME.sig fetched from it. Unproven when it could
// not prove who it is (a certificate Windows does not trust, or a redirect that left https).
class TLibraryServer final : public TLibrarySource {
public:
    TLibraryServer(TPlatform& platform, std::string baseUrl)
        : FPlatform(platform), FBaseUrl(std::move(baseUrl)) {}

    TArrival FetchLibrary(TTransfer& transfer, const std::string& name,
                          const std::string& file) override;
    TArrival FetchSignature(TTransfer& transfer, const std::string& name,
                            const std::string& file) override;
    // Unproven: "No se pudo comprobar la identidad del servidor de librerías HOST. ..."
    std::string FailureMessage(const std::string& name, TArrival arrival) const override;

private:
    TPlatform& FPlatform;
    std::string FBaseUrl;
};
