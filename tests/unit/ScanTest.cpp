// The scan's decisions on an in-memory machine: where a library is taken from, its status
// line, the version rule the status line and the version field share, and how many Windows
// queries one scan may make.
#include "inventory/Scan.h"
#include "ui/Selection.h"

#include "FakePlatform.h"

#include <gtest/gtest.h>

namespace {

constexpr TVersionParts V(uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
    return {a, b, c, d};
}

std::size_t IndexOf(const char* name) {
    ResetLibraries();
    for (std::size_t i = 0; i < LIBRARY_COUNT; ++i)
        if (Libraries[i].Name == name) return i;
    ADD_FAILURE() << name;
    return 0;
}

const std::string Sys = "C:\\WINDOWS\\system32";
const std::string Cur = "C:\\Program Files\\Client";
const std::string MscomctlKey = "CLSID\\{2C247F23-8591-11D1-B16A-00C0F0283628}\\InprocServer32";

} // namespace

TEST(Scan, ClassifiesOneEntry) {
    struct TCase {
        const char* what;
        const char* name;
        void (*arrange)(TFakePlatform&);
        const char* path;      // expected Path ("" = empty)
        const char* installed; // expected InstalledVersion
        bool registered;
        const char* status;
    };
    const TCase cases[] = {
        {"registered at its path", "MSCOMCTL.OCX",
         [](TFakePlatform& p) {
             p.Registry[MscomctlKey] = std::string("C:\\Lib\\MSCOMCTL.OCX\0", 21);
             p.AddFile("C:\\Lib\\MSCOMCTL.OCX", V(6, 1, 98, 34));
             p.AddFile(Cur + "\\MSCOMCTL.OCX", V(6, 1, 98, 34)); // ignored: registration wins
         },
         "C:\\Lib\\MSCOMCTL.OCX", "6.1.98.34", true, STATUS_OK},
        {"registered file gone, copy here", "MSCOMCTL.OCX",
         [](TFakePlatform& p) {
             p.Registry[MscomctlKey] = "C:\\Gone\\MSCOMCTL.OCX";
             p.AddFile(Cur + "\\MSCOMCTL.OCX", V(6, 1, 98, 34));
         },
         "C:\\Program Files\\Client\\MSCOMCTL.OCX", "6.1.98.34", false, STATUS_REGISTER},
        {"registered file gone, no copy", "MSCOMCTL.OCX",
         [](TFakePlatform& p) { p.Registry[MscomctlKey] = "C:\\Gone\\MSCOMCTL.OCX"; }, "", "",
         false, STATUS_DOWNLOAD},
        {"empty default value", "MSCOMCTL.OCX",
         [](TFakePlatform& p) {
             p.Registry[MscomctlKey] = std::string("\0", 1);
             p.AddFile(Sys + "\\MSCOMCTL.OCX", V(6, 1, 98, 34));
         },
         "C:\\WINDOWS\\system32\\MSCOMCTL.OCX", "6.1.98.34", false, STATUS_REGISTER},
        {"unexpanded variable used literally", "MSCOMCTL.OCX",
         [](TFakePlatform& p) {
             p.Registry[MscomctlKey] = "%SystemRoot%\\system32\\MSCOMCTL.OCX";
             p.AddFile(Sys + "\\MSCOMCTL.OCX", V(6, 1, 98, 34));
         },
         "C:\\WINDOWS\\system32\\MSCOMCTL.OCX", "6.1.98.34", false, STATUS_REGISTER},
        {"registered but outdated", "MSCOMCTL.OCX",
         [](TFakePlatform& p) {
             p.Registry[MscomctlKey] = "C:\\Lib\\MSCOMCTL.OCX";
             p.AddFile("C:\\Lib\\MSCOMCTL.OCX", V(6, 1, 97, 82));
         },
         "C:\\Lib\\MSCOMCTL.OCX", "6.1.97.82", true, STATUS_UPDATE},
        {"no key, found in system dir", "ZLIB.DLL",
         [](TFakePlatform& p) { p.AddFile(Sys + "\\ZLIB.DLL", V(1, 2, 3, 0)); },
         "C:\\WINDOWS\\system32\\ZLIB.DLL", "1.2.3.0", true, STATUS_OK},
        {"no key, current dir wins", "ZLIB.DLL",
         [](TFakePlatform& p) {
             p.AddFile(Sys + "\\ZLIB.DLL", V(1, 2, 3, 0));
             p.AddFile(Cur + "\\ZLIB.DLL", V(1, 1, 4, 0));
         },
         "C:\\Program Files\\Client\\ZLIB.DLL", "1.1.4.0", true, STATUS_UPDATE},
        {"no key, missing", "ZLIB.DLL", [](TFakePlatform&) {}, "", "", true, STATUS_DOWNLOAD},
        {"no version resource, version required", "MSVBVM60.DLL",
         [](TFakePlatform& p) { p.AddFile(Sys + "\\MSVBVM60.DLL", std::nullopt); },
         "C:\\WINDOWS\\system32\\MSVBVM60.DLL", "0.0.0.0", false, STATUS_UPDATE},
        {"no version resource, none required", "PELMIX.DLL",
         [](TFakePlatform& p) { p.AddFile(Cur + "\\PELMIX.DLL", std::nullopt); },
         "C:\\Program Files\\Client\\PELMIX.DLL", "0.0.0.0", true, STATUS_OK},
        {"type library registered", "MSVBVM50.DLL",
         [](TFakePlatform& p) {
             p.Registry["TypeLib\\{000204EF-0000-0000-C000-000000000046}\\5.0\\9\\win32\\"] =
                 "C:\\WINDOWS\\system32\\MSVBVM50.DLL";
             p.AddFile(Sys + "\\MSVBVM50.DLL", V(5, 1, 43, 19));
         },
         "C:\\WINDOWS\\system32\\MSVBVM50.DLL", "5.1.43.19", true, STATUS_OK},
        {"other version's type library does not count", "MSVBVM60.DLL",
         [](TFakePlatform& p) {
             p.Registry["TypeLib\\{000204EF-0000-0000-C000-000000000046}\\5.0\\9\\win32\\"] =
                 "C:\\WINDOWS\\system32\\MSVBVM50.DLL";
             p.AddFile(Sys + "\\MSVBVM50.DLL", V(5, 1, 43, 19));
             p.AddFile(Sys + "\\MSVBVM60.DLL", V(6, 0, 98, 21));
         },
         "C:\\WINDOWS\\system32\\MSVBVM60.DLL", "6.0.98.21", false, STATUS_REGISTER},
    };
    for (const TCase& c : cases) {
        TFakePlatform platform;
        platform.SystemDir = Sys;
        platform.CurrentDir = Cur;
        c.arrange(platform);
        std::vector<std::string> lines;
        ScanLibraries(platform, lines);
        const std::size_t i = IndexOf(c.name);
        ScanLibraries(platform, lines = {});
        const TLibraryEntry& e = Libraries[i];
        EXPECT_EQ(e.Path.str(), c.path) << c.what;
        EXPECT_EQ(e.InstalledVersion.str(), c.installed) << c.what;
        EXPECT_EQ(e.Registered, c.registered) << c.what;
        EXPECT_EQ(lines.at(i), std::string(c.name) + c.status) << c.what;
        EXPECT_EQ(e.Present,
                  std::string(c.status) == STATUS_OK || std::string(c.status) == STATUS_REGISTER)
            << c.what;
    }
}

TEST(Scan, ACopyAtOrAboveTheRequiredVersionIsCurrent) {
    // MSINET.OCX requires 6.1.98.16, PELMIX.DLL "0.0.0.0"; the copy lies in the system folder.
    const std::optional<std::optional<TVersionParts>> NoFile;
    const std::optional<TVersionParts> NoVersion;
    struct TCase {
        const char* what;
        const char* name;
        std::optional<std::optional<TVersionParts>> copy; // NoFile, NoVersion or a version
        bool registered;
        const char* status;
        const char* field; // the version field; lime unless it shows "->"
    };
    const TCase cases[] = {
        {"equal", "MSINET.OCX", V(6, 1, 98, 16), true, STATUS_OK, "6.1.98.16"},
        {"equal, not registered", "MSINET.OCX", V(6, 1, 98, 16), false, STATUS_REGISTER,
         "6.1.98.16"},
        {"higher major", "MSINET.OCX", V(7, 0, 0, 0), true, STATUS_OK, "7.0.0.0"},
        {"higher minor", "MSINET.OCX", V(6, 2, 0, 0), true, STATUS_OK, "6.2.0.0"},
        {"higher release", "MSINET.OCX", V(6, 1, 99, 0), true, STATUS_OK, "6.1.99.0"},
        {"higher build, not registered", "MSINET.OCX", V(6, 1, 98, 17), false, STATUS_REGISTER,
         "6.1.98.17"},
        {"higher, though lower as text", "MSINET.OCX", V(6, 1, 98, 100), true, STATUS_OK,
         "6.1.98.100"},
        {"lower build", "MSINET.OCX", V(6, 1, 98, 15), true, STATUS_UPDATE,
         "6.1.98.15 -> 6.1.98.16"},
        {"lower, though higher as text", "MSINET.OCX", V(6, 1, 98, 9), true, STATUS_UPDATE,
         "6.1.98.9 -> 6.1.98.16"},
        {"lower minor, higher after it", "MSINET.OCX", V(6, 0, 99, 99), false, STATUS_UPDATE,
         "6.0.99.99 -> 6.1.98.16"},
        {"no version block against a version", "MSINET.OCX", NoVersion, true, STATUS_UPDATE,
         "0.0.0.0 -> 6.1.98.16"},
        {"no file", "MSINET.OCX", NoFile, false, STATUS_DOWNLOAD, " -> 6.1.98.16"},
        {"0.0.0.0 required, no version block", "PELMIX.DLL", NoVersion, true, STATUS_OK, "0.0.0.0"},
        {"0.0.0.0 required, any version", "PELMIX.DLL", V(0, 0, 0, 1), true, STATUS_OK, "0.0.0.1"},
        {"0.0.0.0 required, no file", "PELMIX.DLL", NoFile, true, STATUS_DOWNLOAD, " -> 0.0.0.0"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        TFakePlatform platform;
        const std::string path = platform.SystemDir + "\\" + c.name;
        if (c.copy) platform.AddFile(path, *c.copy);
        const std::size_t i = IndexOf(c.name);
        if (c.registered && Libraries[i].NeedsRegistration())
            platform.Registry[RegistryKeyOf(Libraries[i])] = path;
        std::vector<std::string> lines;
        ScanLibraries(platform, lines);
        EXPECT_EQ(lines.at(i), c.name + std::string(c.status));
        // Present stays for a current copy only: it may then be force-registered, and it is
        // not offered for download.
        const bool current =
            std::string(c.status) == STATUS_OK || std::string(c.status) == STATUS_REGISTER;
        EXPECT_EQ(Libraries[i].Present, current);
        const TSelectionView view = DecideSelection(Libraries[i], false);
        EXPECT_EQ(view.VersionText, c.field);
        EXPECT_EQ(view.VersionColour, current ? VERSION_MATCH_COLOUR : VERSION_MISMATCH_COLOUR);
        EXPECT_EQ(view.Descargar, !current);
    }
}

TEST(Scan, VersionTextsReadAsFourNumbers) {
    EXPECT_EQ(ParseVersion("6.1.98.16").value().Release, 98);
    EXPECT_EQ(ParseVersion("65535.65535.65535.65535").value_or(TVersionParts{}).Build, 65535);
    for (const char* bad : {"", "6.1.98", "6.1.98.16.1", "6.1.98.x", "6..98.16", "65536.0.0.0",
                            "4294967296.0.0.0", "6,1,98,16"})
        EXPECT_FALSE(ParseVersion(bad)) << bad;
}

TEST(Scan, RegistryTextEndsAtFirstNulWithinBytesRead) {
    struct TCase {
        std::optional<std::string> stored;
        const char* text;
    };
    const TCase cases[] = {
        {std::nullopt, ""},
        {std::string(), ""},
        {std::string("C:\\a.dll\0junk", 13), "C:\\a.dll"},
        {std::string("no terminator"), "no terminator"},
        {std::string("\x01\x00\x00\x00", 4), "\x01"},
    };
    for (const TCase& c : cases) {
        TFakePlatform platform;
        if (c.stored) platform.Registry["Key"] = *c.stored;
        EXPECT_EQ(ReadClassesRootValue(platform, "Key"), c.text);
    }
}

TEST(Scan, AppendsOneLinePerEntryInCatalogueOrder) {
    TFakePlatform platform;
    std::vector<std::string> lines = {"kept"};
    ScanLibraries(platform, lines);
    ASSERT_EQ(lines.size(), LIBRARY_COUNT + 1);
    EXPECT_EQ(lines[0], "kept");
    for (std::size_t i = 0; i < LIBRARY_COUNT; ++i)
        EXPECT_EQ(lines[i + 1], Libraries[i].Name.str() + STATUS_DOWNLOAD);
    EXPECT_EQ(lines[1], "MSVBVM60.DLL - \xA1"
                        "DESCARGAR!");
}

TEST(Scan, StaysWithinItsQueryBudget) {
    // Worst case for every entry: a registered path that is gone, then both directories.
    TFakePlatform platform;
    ResetLibraries();
    for (const TLibraryEntry& e : Libraries)
        if (e.NeedsRegistration())
            platform.Registry[RegistryKeyOf(e)] = "C:\\Gone\\" + e.Name.str();
    for (const TLibraryEntry& e : Libraries)
        platform.AddFile(platform.SystemDir + "\\" + e.Name.str(), V(1, 0, 0, 0));
    std::vector<std::string> lines;
    ScanLibraries(platform, lines);
    EXPECT_LE(platform.RegistryReads, static_cast<int>(LIBRARY_COUNT));
    EXPECT_LE(platform.ExistenceChecks, 3 * static_cast<int>(LIBRARY_COUNT));
    EXPECT_LE(platform.VersionReads, static_cast<int>(LIBRARY_COUNT));
    EXPECT_EQ(platform.VersionReads, static_cast<int>(LIBRARY_COUNT));
}
