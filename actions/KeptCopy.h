// The copy a replacement takes the place of is not deleted by the rename: it is set aside
// beside the new one, held, under a name of Kestrova's own, until the new one's registration
// has succeeded. A failed registration then puts it back with one rename, and a run cut short
// (a power cut) leaves it where the next start finds it.
#pragma once

#include "platform/Platform.h"

#include <memory>
#include <string>

// The name the copy at `target` is kept under while its replacement is registered.
std::string KeptNameFor(const std::string& target);

// What the user is told when the downloaded `name` could not be registered and the copy of
// `version` it replaced is back.
std::string RestoredMessage(const std::string& name, const std::string& version);

// One replacement's kept copy.
class TKeptCopy {
public:
    // Sets aside the copy at `target`, held, under KeptNameFor(target). True when none is
    // there (nothing is kept) or it was set aside; false, with nothing changed, when it cannot
    // be held or renamed.
    bool SetAside(TPlatform& platform, const std::string& target);
    // Whether a copy is kept.
    bool Kept() const { return FHeld != nullptr; }
    // The kept copy's version, as the scan shows versions (none reads 0.0.0.0).
    const std::string& Version() const { return FVersion; }
    // The kept copy back in its place: the new copy `placed` (held, at the target) is renamed
    // to `discard` and removed when its hold ends. False, with the new copy in its place again,
    // when the kept one cannot go back.
    bool PutBack(TPlatform::THeldFile& placed, const std::string& discard);
    // The kept copy back in its place over whatever is there now, when the new copy is no
    // longer held.
    bool PutBackOver();
    // The kept copy, held; nullptr when none is kept.
    TPlatform::THeldFile* Held() const { return FHeld.get(); }
    // The kept copy removed when its hold ends: the new copy stays.
    void Discard();

private:
    std::unique_ptr<TPlatform::THeldFile> FHeld;
    std::string FTarget;
    std::string FVersion;
};

// What the next start does with a kept copy left behind.
enum class TRecovery {
    Nothing,    // no kept copy
    LeaveAlone, // not one Kestrova can vouch for as its own
    Remove,     // the placed copy is whole: the replacement stands
    PutBack,    // the placed copy is missing or not a whole library: the kept one goes back
};

// What is known of one kept copy and the copy placed over it.
struct TKeptFacts {
    bool KeptThere = false;       // a file under the kept name
    bool KeptHeld = false;        // held for keeping: a plain file, not a link
    bool OthersMayChange = false; // the kept file's access and path, judged by its handle
    bool PlacedWhole = false;     // the placed copy is a complete library image
};
TRecovery DecideRecovery(bool elevated, const TKeptFacts& facts);

// At start, for each catalogue library in the two folders a replacement can place it in (the
// system folder and the current one): a kept copy left behind is removed or put back as
// DecideRecovery says. Nothing is loaded or registered.
void RecoverKeptCopies(TPlatform& platform);
