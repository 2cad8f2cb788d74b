// Which catalogue libraries are Windows' own: protected by Windows Resource Protection, or
// loaded by Windows from the system folder only (the KnownDLLs list). Only Windows Update
// mends those, so Kestrova neither downloads them nor takes a copy elsewhere for them.
#pragma once

#include "platform/Platform.h"

#include <string>
#include <vector>

// Whether `name` is the data of one of the KnownDLLs values, compared without case.
bool IsKnownDll(const std::vector<std::string>& knownDlls, const std::string& name);

// True when Windows protects the system folder's `name`, or `name` is on the KnownDLLs list.
bool IsWindowsOwn(TPlatform& platform, const std::string& name);

// What the user is told instead of a download of Windows' own `name`.
std::string WindowsOwnRefusal(const std::string& name);
