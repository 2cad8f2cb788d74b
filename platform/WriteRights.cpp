// The rights that matter at each part of the path, and the entries that grant them.
#include "platform/WriteRights.h"

namespace {

constexpr uint32_t WRITE_DATA = 0x0002;   // a file's bytes; a folder: add a file
constexpr uint32_t APPEND_DATA = 0x0004;  // a file's bytes
constexpr uint32_t DELETE_CHILD = 0x0040; // a folder: delete or rename what it holds
constexpr uint32_t DELETE_RIGHT = 0x00010000;
constexpr uint32_t WRITE_DAC_RIGHT = 0x00040000;
constexpr uint32_t WRITE_OWNER_RIGHT = 0x00080000;
constexpr uint32_t GENERIC_ALL_RIGHT = 0x10000000;
constexpr uint32_t GENERIC_WRITE_RIGHT = 0x40000000;

// Rewriting the access list or taking the object gives every other right.
constexpr uint32_t ANY_PART =
    DELETE_RIGHT | WRITE_DAC_RIGHT | WRITE_OWNER_RIGHT | GENERIC_ALL_RIGHT;

uint32_t RightsThatMatter(TPathPart part) {
    switch (part) {
    case TPathPart::File:
        return ANY_PART | WRITE_DATA | APPEND_DATA | GENERIC_WRITE_RIGHT;
    case TPathPart::Folder:
        return ANY_PART | WRITE_DATA | DELETE_CHILD | GENERIC_WRITE_RIGHT;
    case TPathPart::Above:
        return ANY_PART | DELETE_CHILD;
    }
    return ~0u;
}

bool IsOther(TTrustee trustee) {
    return trustee == TTrustee::Other;
}

} // namespace

bool OthersMayChange(const TObjectSecurity& object, TPathPart part) {
    if (!object.Readable || object.NullAcl || IsOther(object.Owner)) return true;
    const uint32_t matter = RightsThatMatter(part);
    for (const TAccessEntry& entry : object.Entries)
        if (entry.Allow && !entry.InheritOnly && IsOther(entry.Trustee) &&
            (entry.Mask & matter) != 0)
            return true;
    return false;
}
