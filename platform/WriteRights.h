// Who besides administrators may change a file Kestrova is about to load with its rights: the
// rule over one object's owner and access list, apart from Windows so it is tested natively.
#pragma once

#include <cstdint>
#include <vector>

// The trustee of an access entry, or an owner, as far as the rule tells them apart.
enum class TTrustee {
    Administrators,   // BUILTIN\Administrators
    System,           // LOCAL SYSTEM
    TrustedInstaller, // NT SERVICE\TrustedInstaller
    RunningUser,      // the account Kestrova runs as: its own files are its own
    Other,            // anyone else: a group every standard user is in, another user, CREATOR OWNER
};

// Where on the path to the library an object lies.
enum class TPathPart {
    File,   // the library itself: changing its bytes, or it, changes what runs
    Folder, // its folder: a file put there or swapped in is loaded too (the library's own
            // dependencies are looked for there first)
    Above,  // a folder above it, up to the volume: renaming a child away swaps the whole branch
};

struct TAccessEntry {
    bool Allow = true;        // false: a deny entry, which the rule does not rely on
    bool InheritOnly = false; // for what is created below only, not for this object
    uint32_t Mask = 0;        // the access rights (file rights and generic ones)
    TTrustee Trustee = TTrustee::Other;
};

// One object's security as read; Readable false when it could not be read at all.
struct TObjectSecurity {
    bool Readable = false;
    bool NullAcl = false; // no access list: everyone may do everything
    TTrustee Owner = TTrustee::Other;
    std::vector<TAccessEntry> Entries;
};

// Whether someone other than administrators, SYSTEM, TrustedInstaller and the running user
// may change `object` as `part` of the path in a way that changes what is loaded. Unreadable
// security, a missing access list and an owner who is someone else count as yes (an owner
// may always rewrite the list); deny entries are not relied on (they may be ordered after a
// grant, or name only some of the others), so the answer errs towards yes.
bool OthersMayChange(const TObjectSecurity& object, TPathPart part);
