// The Authenticode check of a file already open: WinVerifyTrust with the generic policy, no
// user interface and no revocation check (an unreachable network must not block a good
// library), and the signer read from the verified state rather than from the file again.
// wintrust and crypt32 are reached on first use, so start-up does not load them.
#pragma once

#include "platform/Platform.h"

#include <windows.h>

#include <wintrust.h>

// `file` is an open handle to `path`; the check reads through the handle.
TPlatform::TSignerCheck VerifyFileSignature(HANDLE file, const std::string& path);

// Who signed, once WinVerifyTrust said 0: the organization and common name of the first
// certificate of `signer`'s chain, or TRUST_E_NO_SIGNER_CERT when there is none to name
// (a verified signature without a signer is no publisher one can be continuous with).
TPlatform::TSignerCheck SignerOf(const CRYPT_PROVIDER_SGNR* signer);
