// The rules behind a list selection: path and version text, the version colour and which
// of the three command buttons apply.
#include "ui/Selection.h"

#include "inventory/Scan.h"

TSelectionView DecideSelection(const TLibraryEntry& entry, bool forceHere) {
    TSelectionView view;
    view.PathText = entry.Path.str();
    // The status pass's rule: a copy at or above the required version is current.
    if (HasRequiredVersion(entry)) {
        view.VersionText = entry.InstalledVersion.str();
        view.VersionColour = VERSION_MATCH_COLOUR;
    } else {
        view.VersionText = entry.InstalledVersion.str() + " -> " + entry.RequiredVersion.str();
        view.VersionColour = VERSION_MISMATCH_COLOUR;
    }
    // Registering needs a file to load, which is whatever the path field shows.
    view.Registrar = !entry.Registered && !view.PathText.empty();
    // Present is already cleared for an outdated copy, so an update can be downloaded.
    view.Descargar = !entry.Present || forceHere;
    view.ReRegistrar = entry.NeedsRegistration() && entry.Present;
    return view;
}
