// The download action's steps. Agreeing to replace a copy does not delete it: the action
// only checks that it could be removed, and a new copy takes its place in one rename after
// it has arrived complete and passed every check of its origin and version, so a failed,
// stopped or refused transfer changes nothing.
#include "actions/DownloadAction.h"

#include "actions/OriginChecks.h"
#include "actions/SelfRegistration.h"
#include "actions/SignerContinuity.h"
#include "inventory/Scan.h"
#include "inventory/WindowsOwn.h"

namespace {

std::string Join(const std::string& dir, const std::string& name) {
    return dir + "\\" + name;
}

std::string ReplaceQuestion(const std::string& file) {
    return "La librería " + file + " ya existe." + MESSAGE_BREAK +
           "¿Está seguro que desea reemplazarla?";
}

const char* const FALLBACK_LINE = "Se intentará descargar en la carpeta del programa.";

// The signature of an existing copy at `path`; nullopt when there is none.
std::optional<TSignature> SignatureOfCopy(TPlatform& platform, const std::string& path) {
    if (path.empty() || !platform.FileExists(path)) return std::nullopt;
    return ReadSignature(platform, path);
}

} // namespace

bool IsFolderWritable(TPlatform& platform, const std::string& dir) {
    std::string probe = dir;
    if (probe.empty() || probe.back() != '\\') probe += '\\';
    return platform.ProbeCreateFile(probe + "temp.chk");
}

std::string TransferFileFor(const std::string& target) {
    return target + ".part";
}

TImageVerdict VerifyStoredLibrary(TPlatform& platform, const std::string& file,
                                  const TTransferCounts& counts) {
    const auto head = platform.ReadFileHead(file, LIBRARY_IMAGE_HEAD);
    if (!head) return TImageVerdict::NoMzHeader;
    // A connection closed early can still end "successfully" at the HTTP layer.
    if (counts.Maximum != 0 && head->Size != counts.Maximum) return TImageVerdict::Truncated;
    return CheckLibraryImage(head->Bytes, head->Size);
}

void RunDownload(TPlatform& platform, TDownloadUi& ui, TLibraryEntry& entry, bool forceHere,
                 const std::string& baseUrl, const std::string& publisherKey) {
    const std::string name = entry.Name.str();
    // Windows refuses a new copy in the system folder, and one anywhere else is never
    // loaded: a download could only claim a repair that did not happen.
    if (IsWindowsOwn(platform, name)) {
        ui.ShowMessage(WindowsOwnRefusal(name));
        return;
    }
    ui.DisableForAction();
    bool blocked = false;
    std::string dir;
    // The copy the user agreed to replace: asked about once, even when the system
    // directory is the current directory and both steps look at the same file.
    std::string agreed;

    if (!forceHere) {
        dir = GetSystemDir(platform);
        const std::string existing = Join(dir, name);
        if (platform.FileExists(existing)) {
            if (ui.Confirm(ReplaceQuestion(existing))) {
                if (platform.CanRemoveFile(existing)) {
                    agreed = existing;
                } else {
                    ui.ShowMessage("La libreria " + existing + " no pudo ser eliminada!" +
                                   MESSAGE_BREAK + FALLBACK_LINE);
                    dir = platform.CurrentDirectory();
                    blocked = true;
                }
            } else {
                dir = platform.CurrentDirectory();
                blocked = true;
            }
        }
        if (!blocked && !IsFolderWritable(platform, dir)) {
            ui.ShowMessage("No es posible escribir en la carpeta " + dir + MESSAGE_BREAK +
                           FALLBACK_LINE);
            dir = platform.CurrentDirectory();
        }
    }

    if (forceHere || dir == platform.CurrentDirectory()) {
        dir = platform.CurrentDirectory();
        blocked = false;
        const std::string existing = Join(dir, name);
        if (platform.FileExists(existing) && existing != agreed) {
            blocked = true;
            if (ui.Confirm(ReplaceQuestion(existing))) {
                if (platform.CanRemoveFile(existing))
                    blocked = false;
                else
                    ui.ShowMessage("La libreria " + existing + " no pudo ser eliminada.");
            }
        }
        if (!blocked && !IsFolderWritable(platform, dir)) {
            ui.ShowMessage("No es posible escribir en la carpeta " + dir);
            blocked = true;
        }
    }

    if (blocked) {
        ui.ShowMessage("No es posible descargar la librería!");
        ui.EnableAfterAction();
        return;
    }

    // The copy the scan located, read before anything changes.
    const std::optional<TSignature> located = SignatureOfCopy(platform, entry.Path.str());

    ui.ShowTransferDisplay();
    const std::string target = Join(dir, name);
    const std::string partial = TransferFileFor(target);
    const bool arrived = ui.Transfer(baseUrl + name, partial);
    ui.PumpMessages();
    bool unproven = !arrived && ui.ServerUnproven();
    const bool stored = arrived && platform.FileExists(partial);
    // The signature comes after the library, from the same server under the same rules.
    std::string publisherSignature;
    if (stored && !publisherKey.empty() && !ui.CloseRequested()) {
        const std::string signatureFile = TransferFileFor(target + ".sig");
        if (ui.TransferSignature(baseUrl + name + ".sig", signatureFile)) {
            const auto head = platform.ReadFileHead(signatureFile, SIGNATURE_FILE_LIMIT);
            if (head && head->Size <= SIGNATURE_FILE_LIMIT) publisherSignature = head->Bytes;
        } else {
            unproven = ui.ServerUnproven();
        }
        if (platform.FileExists(signatureFile)) platform.RemoveFile(signatureFile);
    }
    // Only a copy that passed every check replaces the old one, in one rename; until then
    // the old copy is untouched, and whatever did not take its place is removed.
    bool placed = false;
    std::optional<std::string> refusal;
    if (stored && !unproven) {
        // Held from the first check until it is in place: the bytes checked are the
        // bytes placed.
        const std::unique_ptr<TPlatform::THeldFile> held = platform.HoldFile(partial);
        if (held) {
            if (!publisherKey.empty() &&
                !HasPublisherSignature(platform, publisherKey, name, partial, publisherSignature))
                refusal = UnsignedByPublisherMessage(name);
            if (!refusal) {
                // Read as the scan reads versions: none is 0.0.0.0.
                std::optional<TVersionParts> replaced;
                if (platform.FileExists(target))
                    replaced = GetFileVersionParts(platform, target).value_or(TVersionParts{});
                refusal = RefuseRollback(
                    name, GetFileVersionParts(platform, partial).value_or(TVersionParts{}),
                    entry.RequiredVersion.str(), replaced);
            }
            if (!refusal) {
                const auto head = platform.ReadFileHead(partial, LIBRARY_IMAGE_HEAD);
                const TSignature signature =
                    ClassifySignature(head ? head->Bytes : std::string(), held->VerifySignature());
                refusal =
                    RefuseReplacement(name, located, SignatureOfCopy(platform, target), signature);
            }
            placed = !refusal && platform.MoveFileOver(partial, target);
        }
    }
    if (platform.FileExists(partial)) platform.RemoveFile(partial);

    if (ui.CloseRequested()) {
        // The window is closing: the transfer was stopped and cleaned up; no more boxes.
        ui.HideTransferDisplay();
        ui.EnableAfterAction();
        return;
    }
    if (placed) {
        entry.Path = target;
        ui.SetPathField(target);
        ui.ShowMessage("Descargado con exito en " + target + ".");
        RegisterLibrary(platform, ui, target);
    } else if (refusal) {
        ui.ShowMessage(*refusal);
    } else if (unproven) {
        ui.ShowMessage(UnprovenServerMessage(baseUrl, name));
    } else if (!arrived || stored) {
        // Failed, stopped, or arrived but could not take the old copy's place. A call
        // that reported success without storing anything stays silent.
        ui.ShowMessage("Ha ocurrido un error en la descarga de " + name + ".");
    }
    ui.PumpMessages();
    ui.HideTransferDisplay();
    ui.RefreshList();
    ui.EnableAfterAction();
}
