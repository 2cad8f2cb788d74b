// The fixed catalogue of the 29 libraries the client application needs, and the one
// table that the scan, the selection and the actions share for the whole run.
#pragma once

#include "inventory/FixedString.h"

#include <cstddef>

struct TLibraryEntry {
    TFixedString<36> Name;              // upper-case file name with extension
    TFixedString<36> ClsId;             // class identifier without braces, or empty
    TFixedString<128> TypeLib;          // path below "TypeLib\" with trailing backslash, or empty
    TFixedString<255> Path;             // where the file was found; empty when not found
    TFixedString<36> InstalledVersion;  // version text of the file at Path
    TFixedString<36> RequiredVersion;   // version text the file should have
    bool Registered = false;            // registry points at an existing file, or no key needed
    bool Present = false;               // found, and (after the status pass) up to date

    bool NeedsRegistration() const { return !ClsId.empty() || !TypeLib.empty(); }
};

constexpr std::size_t LIBRARY_COUNT = 29;

extern TLibraryEntry Libraries[LIBRARY_COUNT];

// The file name of catalogue entry `index`, whatever the table holds now.
const char* CatalogueName(std::size_t index);

// Empties all eight fields of every entry, then writes the catalogue columns again.
void ResetLibraries();
// The same for entry `index` alone.
void ResetLibrary(std::size_t index);
