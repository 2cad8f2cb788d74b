// Whether others may change what lies at a path, as a decision over the facts Windows gave for
// each object on it (read through handles that did not follow a link): a link on the way, a
// network location, the running user's profile, and each object's owner and access list. Apart
// from Windows, so every combination is tested natively.
#pragma once

#include "platform/WriteRights.h"

#include <string>
#include <vector>

// One object on the path, opened without following a link.
struct TPathObject {
    bool ReparsePoint = false; // a junction, a symbolic link, a mount point
    TObjectSecurity Security;
};

// What was read about a path (a file, or a folder a file would be put in).
struct TPathFacts {
    bool Opened = false;    // the path and every folder above it, up to the volume's root, were
                            // opened and read
    bool Folder = false;    // the path is a folder: judged as a library's folder, not a file
    bool SamePath = false;  // the object opened lies at the path checked (its final path)
    bool Network = false;   // a share, a network drive, or a volume that keeps no access lists
    bool InProfile = false; // in the running user's profile or temporary folder
    std::vector<TPathObject> Objects; // the path's own object first, then each folder above it
};

// Whether someone other than administrators, SYSTEM, TrustedInstaller and the running user
// may change what `facts` describe, or what the path leads to: yes for anything not read, a
// path that led elsewhere, a link anywhere on it, a network location (its server's
// administrators, and whoever can answer in its place, decide the bytes), the running user's
// profile (the user's unelevated programs write there, whatever its lists say), and any object
// whose owner or access list lets others change it (OthersMayChange).
bool OthersMayChangePath(const TPathFacts& facts);

// The path texts the facts are read from. `path` without the prefix of Windows' long form:
// "\\?\C:\x" is "C:\x", "\\?\UNC\server\share\x" is "\\server\share\x".
std::string WithoutLongPrefix(const std::string& path);
// Whether two full paths name one place: letters compared without regard to case (only a to z
// here: callers upper-case other letters as the file system does), a trailing separator
// ignored.
bool SamePathText(const std::string& a, const std::string& b);
// Whether `path` is `folder` or lies below it, compared as SamePathText compares.
bool IsUnderFolder(const std::string& path, const std::string& folder);
// "\\server\share\..." (and "\\?\UNC\..."), but not a device path ("\\.\").
bool IsUncPath(const std::string& path);
// Where a 32-bit process under WOW64 reaches `path`: a path in the system folder (`system`)
// lies in the 32-bit system folder (`wow64`) instead. `path` itself where `wow64` is empty.
std::string Wow64Redirected(const std::string& path, const std::string& system,
                            const std::string& wow64);
