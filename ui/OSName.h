// The short description of the running Windows version shown under "Sistema Operativo:".
#pragma once

#include "platform/Platform.h"

#include <optional>
#include <string>

// The description for a version query's answer (nullopt: the query failed), with
// " (64 bits)" appended when the process runs under 32-bit emulation.
std::string DescribeOs(const std::optional<TOsVersion>& version, bool wow64);

// True only when IsWow64Process exists in kernel32, succeeds and sets its flag.
bool IsWow64(TPlatform& platform);

// The description of the Windows this process runs on.
std::string GetOSName(TPlatform& platform);
