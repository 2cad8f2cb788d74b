// Whether others may change what a path leads to: a link on the way × a network location × the
// running user's profile × the access lists, and the path texts the Windows side compares.
#include "platform/PathTrust.h"

#include <gtest/gtest.h>

namespace {

using enum TTrustee;

constexpr uint32_t MODIFY = 0x001301BF, FULL = 0x001F01FF, APPEND_DATA = 0x4;

TObjectSecurity AdministratorsOnly() {
    return {true, false, TrustedInstaller, {{true, false, FULL, Administrators}}};
}
TObjectSecurity OthersGranted(uint32_t mask) {
    return {true, false, Administrators, {{true, false, mask, Other}}};
}
TObjectSecurity UsersOwn() {
    return {true, false, RunningUser, {{true, false, FULL, RunningUser}}};
}

constexpr int NONE = -1;

} // namespace

TEST(PathTrust, OthersMayChangeWhatTheWholePathLeadsTo) {
    // Three objects: the library (or the folder checked), its folder, the volume's root.
    struct TCase {
        const char* what;
        bool opened, samePath, network, inProfile, folder;
        int reparseAt;                 // which object is a link
        int grantedAt;                 // which object's list lets others change it
        uint32_t granted;              // what that list grants them
        TObjectSecurity (*security)(); // every other object's list
        bool others;
    };
    const TCase cases[] = {
        {"a library in the system folder", true, true, false, false, false, NONE, NONE, 0,
         AdministratorsOnly, false},
        {"the library itself a symbolic link", true, true, false, false, false, 0, NONE, 0,
         AdministratorsOnly, true},
        {"its folder a junction to the system folder", true, true, false, false, false, 1, NONE, 0,
         AdministratorsOnly, true},
        {"a junction higher up", true, true, false, false, false, 2, NONE, 0, AdministratorsOnly,
         true},
        {"the name led elsewhere (a junction swapped in)", true, false, false, false, false, NONE,
         NONE, 0, AdministratorsOnly, true},
        {"a share, however its lists read", true, true, true, false, false, NONE, NONE, 0,
         AdministratorsOnly, true},
        {"the profile, however its lists read", true, true, false, true, false, NONE, NONE, 0,
         AdministratorsOnly, true},
        {"the user's own folder outside the profile", true, true, false, false, false, NONE, NONE,
         0, UsersOwn, false},
        {"the user's own folder in the profile", true, true, false, true, false, NONE, NONE, 0,
         UsersOwn, true},
        {"a folder made under the root: others modify it", true, true, false, false, false, NONE, 1,
         MODIFY, AdministratorsOnly, true},
        {"a folder above that others may rename children of", true, true, false, false, false, NONE,
         2, 0x40, AdministratorsOnly, true},
        {"a folder on the way that could not be read", false, true, false, false, false, NONE, NONE,
         0, AdministratorsOnly, true},
        {"a destination folder others may only make folders in", true, true, false, false, true,
         NONE, 0, APPEND_DATA, AdministratorsOnly, false},
        {"a destination folder others may add files to", true, true, false, false, true, NONE, 0,
         MODIFY, AdministratorsOnly, true},
        {"a library others may append to", true, true, false, false, false, NONE, 0, APPEND_DATA,
         AdministratorsOnly, true},
    };
    for (const TCase& c : cases) {
        TPathFacts facts{c.opened, c.folder, c.samePath, c.network, c.inProfile, {}};
        for (int i = 0; i < 3; ++i)
            facts.Objects.push_back(
                {i == c.reparseAt, i == c.grantedAt ? OthersGranted(c.granted) : c.security()});
        EXPECT_EQ(OthersMayChangePath(facts), c.others) << c.what;
    }
    EXPECT_TRUE(OthersMayChangePath({true, false, true, false, false, {}})) << "no object read";
}

TEST(PathTrust, PathTextsAsWindowsComparesThem) {
    EXPECT_EQ(WithoutLongPrefix("\\\\?\\C:\\Windows\\x.ocx"), "C:\\Windows\\x.ocx");
    EXPECT_EQ(WithoutLongPrefix("\\\\?\\UNC\\srv\\share\\x.ocx"), "\\\\srv\\share\\x.ocx");
    EXPECT_EQ(WithoutLongPrefix("C:\\x.ocx"), "C:\\x.ocx");

    const struct {
        const char *path, *other;
        bool same, under, unc;
    } cases[] = {
        {"C:\\Users\\Ana\\Downloads\\X.OCX", "C:\\Users\\Ana", false, true, false},
        {"c:\\users\\ana\\x.ocx", "C:\\USERS\\ANA", false, true, false},
        {"C:\\Users\\Anabel\\X.OCX", "C:\\Users\\Ana", false, false, false},
        {"C:\\Users\\Ana\\", "c:\\users\\ana", true, true, false},
        {"C:\\Libs\\X.OCX", "C:\\Libs\\X.OCX2", false, false, false},
        {"C:\\X.OCX", "C:\\", false, true, false},
        {"\\\\srv\\share\\X.OCX", "\\\\srv\\share", false, true, true},
        {"\\\\?\\UNC\\srv\\share\\X.OCX", "\\\\srv", false, false, true},
        {"\\\\?\\C:\\X.OCX", "C:\\", false, false, false},
        {"\\\\.\\pipe\\x", "C:\\", false, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SamePathText(c.path, c.other), c.same) << c.path << " " << c.other;
        EXPECT_EQ(IsUnderFolder(c.path, c.other), c.under) << c.path << " " << c.other;
        EXPECT_EQ(IsUncPath(c.path), c.unc) << c.path;
    }

    // A 32-bit process under WOW64 reaches the system folder's files in the 32-bit one.
    const std::string system = "C:\\Windows\\system32", wow64 = "C:\\Windows\\SysWOW64";
    EXPECT_EQ(Wow64Redirected("C:\\WINDOWS\\SYSTEM32\\MSINET.OCX", system, wow64),
              "C:\\Windows\\SysWOW64\\MSINET.OCX");
    EXPECT_EQ(Wow64Redirected("C:\\Windows\\system32x\\MSINET.OCX", system, wow64),
              "C:\\Windows\\system32x\\MSINET.OCX");
    EXPECT_EQ(Wow64Redirected("C:\\Windows\\system32\\MSINET.OCX", system, ""),
              "C:\\Windows\\system32\\MSINET.OCX");
}
