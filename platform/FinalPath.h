// Where an open handle really lies, against the path its name was given as: a folder on the
// way that is a junction (or, under Wine, a Unix symbolic link) leads the name elsewhere, and
// only the handle can tell. Paths are ANSI text, as the program keeps them everywhere: a name
// the code page cannot spell is no name Kestrova could have been given, and never matches.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// `path` made full, with long names for the parts that exist (a short 8.3 name is the same
// folder), as a process of this kind reaches it (under WOW64, the 32-bit system folder for the
// system folder), without a closing separator but for a root; empty when it cannot be made
// full.
std::string CheckedPathOf(const std::string& path);

// Where `file` lies, without the long-form prefix: GetFinalPathNameByHandleA (Vista on); on
// Windows XP the name within its volume (FileNameInformation), taken on the drive of `checked`
// when the handle's volume is that drive's. nullopt when it cannot be told.
std::optional<std::string> FinalPathOf(HANDLE file, const std::string& checked);

// Whether the open `file` lies at `checked` (a CheckedPathOf text), letters compared as the
// file system compares them.
bool LiesAt(HANDLE file, const std::string& checked);

// The running user's profile folder (GetUserProfileDirectoryA of the process's token) and
// temporary folder, with long names; read once. Those that cannot be read are left out.
const std::vector<std::string>& ProfileFolders();

// Whether `path` (a CheckedPathOf text) lies in the running user's profile or temporary folder.
bool InProfile(const std::string& path);
