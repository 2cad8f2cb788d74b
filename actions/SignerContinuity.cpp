// The signer rule and the texts of its two refusals.
#include "actions/SignerContinuity.h"

#include "actions/LibraryImage.h"

TSignature ClassifySignature(const std::string& head, const TPlatform::TSignerCheck& check) {
    TSignature signature;
    if (check.Status == 0) {
        signature.State = TSignatureState::Valid;
        signature.Organization = check.Organization;
        signature.CommonName = check.CommonName;
    } else if (HasSignatureDirectory(head)) {
        signature.State = TSignatureState::Invalid;
    }
    return signature;
}

TSignature ReadSignature(TPlatform::THeldFile& file) {
    const auto head = file.Read(LIBRARY_IMAGE_HEAD);
    return ClassifySignature(head ? head->Bytes : std::string(), file.VerifySignature());
}

std::optional<TExistingCopy> ReadExistingCopy(TPlatform& platform, const std::string& path) {
    if (path.empty() || !platform.FileExists(path)) return std::nullopt;
    // Whoever may change it chooses what it says: its signer, its version, whether it reads.
    if (platform.Elevated() && platform.OthersCanWrite(path)) return std::nullopt;
    TExistingCopy copy;
    const std::unique_ptr<TPlatform::THeldFile> held = platform.HoldFile(path);
    // Held open by someone who shares no reading, or unreadable: what it is cannot be told.
    if (!held || !held->Read(LIBRARY_IMAGE_HEAD)) return copy;
    copy.Readable = true;
    copy.Signature = ReadSignature(*held);
    copy.Version = held->Version().value_or(TVersionParts{});
    return copy;
}

std::string UnreadableCopyMessage(const std::string& name) {
    return "No se puede leer la copia actual de " + name + "; no se ha reemplazado.";
}

std::optional<std::string> RefuseReplacement(const std::string& name,
                                             const std::optional<TSignature>& located,
                                             const std::optional<TSignature>& replaced,
                                             const TSignature& arrived) {
    if (arrived.State == TSignatureState::Invalid)
        return "La firma de la librería " + name + " descargada no es válida. No se ha instalado.";
    // The copy about to be replaced is asked first: it is the one the new file overwrites.
    for (const std::optional<TSignature>& trusted : {replaced, located}) {
        if (!trusted || trusted->State != TSignatureState::Valid) continue;
        if (arrived.State != TSignatureState::Valid || !arrived.SameSigner(*trusted))
            return "La librería " + name + " descargada no está firmada por " +
                   trusted->DisplayName() + " como la que ya tiene el equipo. No se ha instalado.";
    }
    return std::nullopt;
}
