// What selecting a list line shows and allows, decided from the catalogue entry alone so
// that the rules can be checked without a window.
#pragma once

#include "inventory/Catalogue.h"

#include <cstdint>
#include <string>

// Background colours of the version field, as 0x00BBGGRR (a Windows COLORREF): lime for a
// copy at or above the required version, red for one below it or none.
inline constexpr uint32_t VERSION_MATCH_COLOUR = 0x0000FF00;    // lime: red 0, green 255, blue 0
inline constexpr uint32_t VERSION_MISMATCH_COLOUR = 0x000000FF; // red: red 255

struct TSelectionView {
    std::string PathText;
    std::string VersionText;
    uint32_t VersionColour = VERSION_MATCH_COLOUR;
    bool Registrar = false;
    bool Descargar = false;
    bool ReRegistrar = false;
};

// The fields and buttons for `entry` after the scan's status pass; `forceHere` is the
// check mark of the "download into the current directory" menu item.
TSelectionView DecideSelection(const TLibraryEntry& entry, bool forceHere);
