// The folder source, and the box every source shows for a library that did not arrive.
#include "actions/LibrarySource.h"

#include "actions/DownloadAction.h"
#include "actions/OriginChecks.h"

#include <limits>

namespace {

// Counts past 4 GiB read as the largest count, which is past every transfer's limit.
uint32_t Narrow(uint64_t count) {
    return count > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                        : static_cast<uint32_t>(count);
}

} // namespace

std::string TLibrarySource::FailureMessage(const std::string& name, TArrival) const {
    return "Ha ocurrido un error en la descarga de " + name + ".";
}

TArrival TLibraryFolder::Copy(TTransfer& transfer, const std::string& from, const std::string& file,
                              uint32_t limit) {
    const std::string source = FFolder + "\\" + from;
    if (!FPlatform.FileExists(source)) return TArrival::Missing;
    transfer.Begin({}, limit);
    // A leftover under the copy's name is removed, not written through: it may be a link.
    if (FPlatform.FileExists(file)) FPlatform.RemoveFile(file);
    using TOutcome = TPlatform::TCopyOutcome;
    const TOutcome copied =
        FPlatform.CopyFileReporting(source, file, [&](uint64_t done, uint64_t size) {
            return transfer.Report(Narrow(done), Narrow(size));
        });
    if (copied == TOutcome::Copied && !transfer.Cancelled()) return TArrival::Stored;
    if (FPlatform.FileExists(file)) FPlatform.RemoveFile(file);
    return copied == TOutcome::Linked ? TArrival::Linked : TArrival::Failed;
}

TArrival TLibraryFolder::FetchLibrary(TTransfer& transfer, const std::string& name,
                                      const std::string& file) {
    const TArrival arrival = Copy(transfer, name, file, TRANSFER_LIMIT);
    if (arrival != TArrival::Stored) return arrival;
    // The size the file had when the copy began is its announced length: a file that grew or
    // shrank meanwhile is not the one that was there.
    if (VerifyStoredLibrary(FPlatform, file, transfer.Counts()) == TImageVerdict::Library)
        return TArrival::Stored;
    FPlatform.RemoveFile(file);
    return TArrival::Failed;
}

TArrival TLibraryFolder::FetchSignature(TTransfer& transfer, const std::string& name,
                                        const std::string& file) {
    return Copy(transfer, name + ".sig", file, SIGNATURE_FILE_LIMIT);
}

std::string TLibraryFolder::FailureMessage(const std::string& name, TArrival arrival) const {
    if (arrival == TArrival::Missing)
        return "La librería " + name + " no está en la carpeta " + FFolder + ".";
    if (arrival == TArrival::Linked)
        return "La librería " + name + " de la carpeta " + FFolder +
               " es un enlace; no se ha copiado.";
    return TLibrarySource::FailureMessage(name, arrival);
}
