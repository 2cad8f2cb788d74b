// The download action's decisions: where a library goes (system directory, or the current
// directory as fallback or on request), which questions and messages the user sees, and
// how a new copy takes the place of an old one without ever losing the copy that worked.
#pragma once

#include "actions/ActionUi.h"
#include "actions/LibraryImage.h"
#include "actions/LibrarySource.h"
#include "actions/Transfer.h"
#include "inventory/Catalogue.h"
#include "platform/Platform.h"

#include <string>

// What the download action asks of the main window besides the common services.
class TDownloadUi : public TActionUi {
public:
    // Disables lLibrerias, btnExtra, cmdReRegistrar, cmdRegistrar and cmdDescargar.
    virtual void DisableForAction() = 0;
    // pb1 at position 0 and visible, cmdDetener visible, lDownloading "Descargando..."
    // and visible; repaints the label and the window, then PumpMessages.
    virtual void ShowTransferDisplay() = 0;
    virtual void SetPathField(const std::string& text) = 0;
    // Hides lDownloading, pb1 and cmdDetener.
    virtual void HideTransferDisplay() = 0;
    // Enables btnExtra and lLibrerias again (the three command buttons stay disabled).
    virtual void EnableAfterAction() = 0;
    // True once the user closed the window during the action: no more boxes.
    virtual bool CloseRequested() = 0;
    // Asked before each transfer and before the rename, so a stop heard between two steps
    // changes nothing either.
    bool StopRequested() override { return CloseRequested(); }
    // The progress display the source's transfers report to (bar, byte label, the stop
    // button's request); none, a transfer that shows nothing.
    virtual TProgressView* ProgressView() { return nullptr; }
};

// The refusal, while elevated, of the current folder `dir` as the destination of `name`
// (the fallback, or the force-here option's) when others may change it.
std::string OthersFolderRefusal(const std::string& name, const std::string& dir);

// Whether a new file can be created in `dir`: creates and removes dir\temp.chk
// (create-new, so a leftover temp.chk makes the folder count as not writable).
bool IsFolderWritable(TPlatform& platform, const std::string& dir);

// The name a transfer stores under before the file is checked and put in place:
// beside the final file, so the replacement is one rename within one folder.
std::string TransferFileFor(const std::string& target);

// Whether the file a transfer stored under `file` is a complete 32-bit library image, and
// as long as the server announced (when it announced a length).
TImageVerdict VerifyStoredLibrary(TPlatform& platform, const std::string& file,
                                  const TTransferCounts& counts);

// The whole action for the selected `entry`, from disabling the controls to enabling them
// again, registering what arrived on the way. The library and its signature come from
// `source` into a file beside the destination. An existing copy stays in place, untouched,
// until a new copy has passed every check and replaces it: a server that proved who it is,
// a complete library image, the publisher's signature (when `publisherKey`, a CryptoAPI
// PUBLICKEYBLOB, is not empty), no older version, the signer rule, and no stop requested.
// The copy replaced is kept aside until the new one's registration succeeded; any other
// outcome puts it back and registers it again (RestoredMessage), unless the entry has
// nothing to register.
// A source that needs the publisher's key is refused at once without one (FOLDER_NEEDS_KEY).
// True when a new copy took its place. The controls come back and the display goes on
// every way out, also when the library faults in its registration entry (TLibraryFault
// then goes on to the caller).
bool RunDownload(TPlatform& platform, TDownloadUi& ui, TLibraryEntry& entry, bool forceHere,
                 TLibrarySource& source, const std::string& publisherKey = {});
