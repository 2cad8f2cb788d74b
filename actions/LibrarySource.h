// Where a library and its detached signature come from: the library server, or a folder (a
// local path or a share) that a technician or an administrator filled. A source only brings
// the bytes to the name it is given, beside the destination, showing its progress and
// hearing the stop; every check after that is the download action's, the same for every
// source.
#pragma once

#include "actions/Transfer.h"
#include "platform/Platform.h"

#include <string>

// What came of bringing one file.
enum class TArrival {
    Stored,   // the whole file is under the name given
    Failed,   // nothing stayed: the transfer failed, was refused or was stopped
    Unproven, // nothing stayed: the server could not prove who it is
    Missing,  // nothing stayed: the source has no file of that name
    Linked,   // nothing read: the source's file is a link (a reparse point or a hard link)
};

class TLibrarySource {
public:
    virtual ~TLibrarySource() = default;
    // Library `name` into `file` as `transfer` (its progress display and stop): Stored only
    // for a complete library image of the running machine type, as long as announced.
    virtual TArrival FetchLibrary(TTransfer& transfer, const std::string& name,
                                  const std::string& file) = 0;
    // The library's detached signature, NAME.sig, into `file`: Stored only for at most
    // SIGNATURE_FILE_LIMIT bytes.
    virtual TArrival FetchSignature(TTransfer& transfer, const std::string& name,
                                    const std::string& file) = 0;
    // The box after FetchLibrary of `name` came to `arrival` (anything but Stored).
    virtual std::string FailureMessage(const std::string& name, TArrival arrival) const;
    // Whether a library from here may only be placed with the publisher's signature.
    virtual bool NeedsPublisherKey() const { return false; }
};

// The refusal of a folder by a build without the publisher's key.
inline constexpr const char* FOLDER_NEEDS_KEY =
    "Esta copia de Kestrova no lleva la clave del editor y no puede comprobar librerías de "
    "una carpeta.";

// A folder: each library is copied from FOLDER\NAME, its signature from FOLDER\NAME.sig.
// Nothing vouches for a folder's files but the publisher's signature (no TLS, and whoever
// can write to the share can put anything there), so the download action places nothing
// from one without the publisher's key. A name there that is a link is not read: whoever
// made it could point it at a file only an administrator may read.
class TLibraryFolder final : public TLibrarySource {
public:
    TLibraryFolder(TPlatform& platform, std::string folder)
        : FPlatform(platform), FFolder(std::move(folder)) {}

    TArrival FetchLibrary(TTransfer& transfer, const std::string& name,
                          const std::string& file) override;
    TArrival FetchSignature(TTransfer& transfer, const std::string& name,
                            const std::string& file) override;
    // Missing: "La librería NAME no está en la carpeta FOLDER."; Linked: "La librería NAME de
    // la carpeta FOLDER es un enlace; no se ha copiado."
    std::string FailureMessage(const std::string& name, TArrival arrival) const override;
    bool NeedsPublisherKey() const override { return true; }

private:
    // Copies FOLDER\`from` into `file`, at most `limit` bytes, through `transfer`.
    TArrival Copy(TTransfer& transfer, const std::string& from, const std::string& file,
                  uint32_t limit);

    TPlatform& FPlatform;
    std::string FFolder;
};
