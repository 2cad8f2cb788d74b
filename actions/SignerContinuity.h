// Who may replace whom: a library a publisher signed is replaced only by one the same
// publisher signed, and a signature that is there but does not verify is never accepted.
// The catalogue pins no digests, so this is what stops a file substituted on the way from
// the library server from taking a signed copy's place and running in our process.
#pragma once

#include "platform/Platform.h"

#include <optional>
#include <string>

enum class TSignatureState {
    Unsigned, // no certificate table in the image
    Valid,    // there, and it verifies
    Invalid,  // there, and it does not verify (bytes changed after signing, broken...)
};

struct TSignature {
    TSignatureState State = TSignatureState::Unsigned;
    std::string Organization; // of the leaf certificate, when Valid
    std::string CommonName;

    // The same publisher: organization and common name alike.
    bool SameSigner(const TSignature& other) const {
        return Organization == other.Organization && CommonName == other.CommonName;
    }
    // The name a user knows the publisher by: the common name, else the organization.
    std::string DisplayName() const { return CommonName.empty() ? Organization : CommonName; }
};

// The signature of a file whose first bytes are `head`, from what WinVerifyTrust said of
// it. A verdict of "no signature" for an image that has a certificate table is Invalid:
// a malformed signature is still a signature that does not verify.
TSignature ClassifySignature(const std::string& head, const TPlatform::TSignerCheck& check);

// The signature of the held `file`.
TSignature ReadSignature(TPlatform::THeldFile& file);

// What the checks read of a copy already on the machine, all through one handle.
struct TExistingCopy {
    bool Readable = false; // false: it is there, but cannot be opened or read
    TSignature Signature;
    TVersionParts Version; // 0.0.0.0 for a copy without a version block, as the scan reads it
};
// The copy at `path`; nullopt when there is no file there, and, while elevated, when others
// may change it (TPlatform::OthersCanWrite): such a copy decides nothing, neither the signer a
// replacement must have, nor the version it must reach, nor a refusal for being unreadable.
std::optional<TExistingCopy> ReadExistingCopy(TPlatform& platform, const std::string& path);

// The refusal of a replacement whose current copy cannot be read: what it is cannot be
// told, so it is neither taken for unsigned nor for 0.0.0.0.
std::string UnreadableCopyMessage(const std::string& name);

// Whether `arrived` may take the place of `replaced` (the copy at the destination, if any),
// given `located` (the copy the scan located for the library, if any): an invalid
// signature never; otherwise, when either copy has a valid signature, only a valid one from
// the same signer. The message the user is shown when it may not; nullopt when it may.
std::optional<std::string> RefuseReplacement(const std::string& name,
                                             const std::optional<TSignature>& located,
                                             const std::optional<TSignature>& replaced,
                                             const TSignature& arrived);
