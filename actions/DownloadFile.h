// The transfer itself: one blocking URLDownloadToFileA with BindCallback's notifications
// reporting to the transfer that runs it.
#pragma once

#include "actions/Transfer.h"

#include <string>

// The library server's base address ("http://.../libs/"), fixed when the program is built.
inline constexpr const char* LIBRARY_BASE_URL = KESTROVA_LIBRARY_BASE_URL;

// Fetches `url` into `file` as `transfer` (its stop request cleared first, its counts and
// the call's result recorded in it). True only when the call succeeded, the user did not
// stop it, and what was stored is a complete 32-bit library image of the announced length;
// otherwise whatever was stored under `file` is removed. No exception escapes.
bool DownloadFile(TTransfer& transfer, const std::string& url, const std::string& file);
