// The transfer itself: one blocking URLDownloadToFileA with BindCallback's notifications.
#pragma once

#include <string>

// The library server's base address ("http://.../libs/"), fixed when the program is built.
inline constexpr const char* LIBRARY_BASE_URL = KESTROVA_LIBRARY_BASE_URL;

// Fetches `url` into `file`. True only when the call succeeded, the user did not stop it,
// and what was stored is a complete 32-bit library image of the announced length;
// otherwise whatever was stored under `file` is removed. No exception escapes.
bool DownloadFile(const std::string& url, const std::string& file);

// The result code of the last URLDownloadToFileA call (for tests and benchmarks).
long LastDownloadResult();
