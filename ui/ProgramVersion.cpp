// The caption's version suffix, read from this executable's own version resource the same
// way the scan reads a library's.
#include "ui/ProgramVersion.h"

#include "inventory/Scan.h"
#include "platform/WinPlatform.h"

#include <windows.h>

std::string GetProgramVersionSuffix() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    const std::optional<TVersionParts> parts = GetFileVersionParts(WindowsPlatform(), path);
    return parts ? " v" + FormatVersion(*parts) : std::string();
}
