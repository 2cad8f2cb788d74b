// Who besides administrators may change what Kestrova loads: the rule over owners and access
// lists, on the lists Windows gives its own folders and on the ones a standard user gets.
#include "platform/WriteRights.h"

#include <gtest/gtest.h>

namespace {

using enum TTrustee;
using enum TPathPart;

constexpr uint32_t READ_EXECUTE = 0x001200A9, MODIFY = 0x001301BF, FULL = 0x001F01FF;
constexpr uint32_t APPEND_DATA = 0x4, WRITE_DATA = 0x2, DELETE_CHILD = 0x40;
constexpr uint32_t GENERIC_ALL = 0x10000000, GENERIC_WRITE = 0x40000000, WRITE_DAC = 0x40000;
constexpr uint32_t DELETE = 0x10000, WRITE_OWNER = 0x80000;

TAccessEntry Allow(TTrustee who, uint32_t mask, bool inheritOnly = false) {
    return {true, inheritOnly, mask, who};
}
TAccessEntry Deny(TTrustee who, uint32_t mask) {
    return {false, false, mask, who};
}
TObjectSecurity Owned(TTrustee owner, std::vector<TAccessEntry> entries) {
    return {true, false, owner, std::move(entries)};
}

// The system folder: TrustedInstaller owns it; the others read, CREATOR OWNER only inherits.
const TObjectSecurity SystemFolder =
    Owned(TrustedInstaller,
          {Allow(TrustedInstaller, FULL), Allow(Administrators, MODIFY), Allow(System, MODIFY),
           Allow(Other, READ_EXECUTE), Allow(Other, GENERIC_ALL, true)});
// The volume's root: Authenticated Users may make folders in it, and modify what is made.
const TObjectSecurity VolumeRoot =
    Owned(System, {Allow(Administrators, FULL), Allow(System, FULL), Allow(Other, APPEND_DATA),
                   Allow(Other, MODIFY, true), Allow(Other, READ_EXECUTE)});

} // namespace

TEST(WriteRights, OthersMayChangeOnlyWhatTheyCanReachOnThePath) {
    const struct {
        const char* what;
        TObjectSecurity object;
        TPathPart part;
        bool others;
    } cases[] = {
        {"the system folder as the library's folder", SystemFolder, Folder, false},
        {"a library in it", SystemFolder, File, false},
        {"the volume's root above it", VolumeRoot, Above, false},
        {"a folder made in the root: Modify inherited by Authenticated Users",
         Owned(Administrators, {Allow(Administrators, FULL), Allow(Other, MODIFY)}), Folder, true},
        {"the running user's own folder",
         Owned(RunningUser, {Allow(RunningUser, FULL), Allow(System, FULL)}), Folder, false},
        {"owned by another user, who may rewrite the list",
         Owned(Other, {Allow(Administrators, FULL)}), File, true},
        {"no access list: everyone may do everything",
         {true, true, Administrators, {}},
         File,
         true},
        {"security that cannot be read", {}, Above, true},
        {"a deny entry is not relied on",
         Owned(Administrators, {Deny(Other, WRITE_DATA), Allow(Other, WRITE_DATA)}), File, true},
        {"only denied", Owned(Administrators, {Deny(Other, FULL)}), File, false},
        {"generic write on the file", Owned(Administrators, {Allow(Other, GENERIC_WRITE)}), File,
         true},
        {"generic write on the library's folder",
         Owned(Administrators, {Allow(Other, GENERIC_WRITE)}), Folder, true},
        {"appending to the file", Owned(Administrators, {Allow(Other, APPEND_DATA)}), File, true},
        {"deleting the file", Owned(Administrators, {Allow(Other, DELETE)}), File, true},
        {"taking the file's ownership", Owned(Administrators, {Allow(Other, WRITE_OWNER)}), File,
         true},
        {"rewriting the list of a folder above", Owned(Administrators, {Allow(Other, WRITE_DAC)}),
         Above, true},
        {"adding a folder to the library's folder",
         Owned(Administrators, {Allow(Other, APPEND_DATA)}), Folder, false},
        {"adding a file to the library's folder: its dependencies",
         Owned(Administrators, {Allow(Other, WRITE_DATA)}), Folder, true},
        {"adding a file above it", Owned(Administrators, {Allow(Other, WRITE_DATA)}), Above, false},
        {"renaming away what a folder above holds",
         Owned(Administrators, {Allow(Other, DELETE_CHILD)}), Above, true},
        {"CREATOR OWNER on the object itself, taken as anyone",
         Owned(Administrators, {Allow(Other, GENERIC_ALL)}), File, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OthersMayChange(c.object, c.part), c.others) << c.what;
}
