// Where the DLLs of a process that may run as administrator come from: Windows' own from the
// system folder only, never from the program's folder or the current one, where a standard
// user may have put a file of the same name.
#pragma once

#include <windows.h>

#include <string>

// The first thing the program does: from here on Windows looks for the DLLs that it, or we,
// load by name in the system folder only (SetDefaultDllDirectories, where Windows has it:
// Windows 8 on, and Vista and 7 with update KB2533623). Where it does not, the current
// folder at least leaves the search (SetDllDirectoryA with an empty text, Windows XP SP1 on).
void RestrictLibrarySearch();

// Windows' own library `name` ("urlmon.dll") from the system folder, and its dependencies
// from there too. nullptr when it cannot be loaded.
HMODULE LoadSystemLibrary(const char* name);

// The library at `path`, taken as a path from the current folder when it is not a full one
// (so the file loaded is the file found at that name, never one along the search path), its
// dependencies from its own folder and the system folder, as regsvr32 loads it. nullptr,
// with the reason in GetLastError, when it cannot be loaded.
HMODULE LoadLibraryAt(const std::string& path);
