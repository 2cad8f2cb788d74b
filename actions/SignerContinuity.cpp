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

TSignature ReadSignature(TPlatform& platform, const std::string& path) {
    const std::unique_ptr<TPlatform::THeldFile> held = platform.HoldFile(path);
    if (!held) return {};
    const auto head = platform.ReadFileHead(path, LIBRARY_IMAGE_HEAD);
    return ClassifySignature(head ? head->Bytes : std::string(), held->VerifySignature());
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
