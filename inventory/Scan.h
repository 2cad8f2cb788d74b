// The installation scan: where each catalogue library is, which version it has, whether
// its COM registration points at an existing file, and the status line that says so.
#pragma once

#include "inventory/Catalogue.h"
#include "inventory/Version.h"
#include "platform/Platform.h"

#include <optional>
#include <string>
#include <vector>

// The status words that end each list line (Windows-1252).
inline constexpr const char* STATUS_DOWNLOAD = " - ¡DESCARGAR!";
inline constexpr const char* STATUS_UPDATE = " - ¡ACTUALIZAR!";
inline constexpr const char* STATUS_OK = " - ¡OK!";
inline constexpr const char* STATUS_REGISTER = " - ¡REGISTRAR!";

// Text of value `valueName` ("" = default value) of `key` under HKEY_CLASSES_ROOT, up to
// the first NUL within the bytes read; empty when the key or value cannot be read. The
// registry type is not examined and nothing is expanded.
std::string ReadClassesRootValue(TPlatform& platform, const std::string& key,
                                 const std::string& valueName = {});

// The file's four version numbers; nullopt when it has no readable version block.
std::optional<TVersionParts> GetFileVersionParts(TPlatform& platform, const std::string& file);

// The file's version text, or "0.0.0.0" when it has none.
std::string GetFileVersionString(TPlatform& platform, const std::string& file);

// The Windows system directory, without a trailing backslash.
std::string GetSystemDir(TPlatform& platform);

// Current directory + "\" + name when that file exists, else system directory + "\" +
// name when that exists, else "". The current directory is read at the moment of the call.
// With `systemOnly` (a name on the KnownDLLs list, which the loader takes from the system
// folder only) the current directory is not looked at.
std::string LocateLibraryFile(TPlatform& platform, const std::string& name,
                              bool systemOnly = false);

// The key under HKEY_CLASSES_ROOT whose default value names the entry's registered file:
// "CLSID\{" + ClsId + "}\InprocServer32", else "TypeLib\" + TypeLib (with the catalogue's
// trailing backslash, as the scan opens it), else "" for a library that needs no
// registration.
std::string RegistryKeyOf(const TLibraryEntry& entry);

// First pass for one entry: Path, InstalledVersion, Registered and Present. For a name on
// the KnownDLLs list (`systemOnly`) only the system folder's copy can be the located one:
// a registration or a copy elsewhere is never what the loader uses.
void DetectLibrary(TPlatform& platform, TLibraryEntry& entry, bool systemOnly = false);

// Whether the entry's located copy is current: its version as the scan read it
// (InstalledVersion, "0.0.0.0" for a file without a version block) is the required one or
// higher. False when no copy was found. An entry that requires "0.0.0.0" takes any copy.
bool HasRequiredVersion(const TLibraryEntry& entry);

// Second pass for one entry: its list line. Clears Present for a copy below the required
// version.
std::string StatusPass(TLibraryEntry& entry);

// The file the actions may load for a detected `entry`: its Path, except while elevated
// for a registration the user's own classes changed (HKEY_CLASSES_ROOT names another file
// than HKEY_LOCAL_MACHINE\SOFTWARE\Classes): then the file the machine's registration
// names, or where it names none that exists, the file the location search finds.
std::string LoadablePath(TPlatform& platform, const TLibraryEntry& entry, bool systemOnly = false);

// Entry `index` alone scanned again, as ScanLibraries scans it (reset from the catalogue,
// detected, its status pass, its LoadablePath): its line. The other entries are left as they are: a
// step on one library changes no other library's files or registration.
std::string ScanLibrary(TPlatform& platform, std::size_t index);

// Resets Libraries, reads the KnownDLLs list once, detects every entry, then appends
// exactly LIBRARY_COUNT lines to `list`, line i describing entry i, and sets each Path to
// its LoadablePath. The caller empties the list first.
void ScanLibraries(TPlatform& platform, std::vector<std::string>& list);
