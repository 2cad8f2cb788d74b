// The Authenticode check of a file already open: WinVerifyTrust with the generic policy, no
// user interface and no revocation check (an unreachable network must not block a good
// library), and the signer read from the verified state rather than from the file again.
// wintrust and crypt32 are reached on first use, so start-up does not load them.
#pragma once

#include "platform/Platform.h"

#include <windows.h>

// `file` is an open handle to `path`; the check reads through the handle.
TPlatform::TSignerCheck VerifyFileSignature(HANDLE file, const std::string& path);
