// Version resources and the location order, read through Wine's real file and version
// functions with the stand-in libraries.
#include "inventory/Scan.h"
#include "platform/WinPlatform.h"
#include "tests/support/WineSupport.h"

#include <gtest/gtest.h>

using namespace kestrova_test;

namespace {

std::string NewerOf(const std::string& required) {
    TVersionParts newer = ParseVersion(required).value();
    ++newer.Build;
    return FormatVersion(newer);
}

} // namespace

TEST(WineVersion, EveryStandInCarriesItsVersion) {
    ResetLibraries();
    for (const TLibraryEntry& e : Libraries) {
        const std::string required = e.RequiredVersion.str();
        const std::string name = e.Name.str();
        if (WineProvides(name)) continue; // Wine answers with its own module's version
        EXPECT_EQ(GetFileVersionString(WindowsPlatform(), StandInPath("good", name)), required)
            << name;
        EXPECT_EQ(GetFileVersionString(WindowsPlatform(), StandInPath("newer", name)),
                  NewerOf(required))
            << name;
        // Below the required version, where anything is (nothing is below 0.0.0.0).
        const TVersionParts outdated =
            GetFileVersionParts(WindowsPlatform(), StandInPath("outdated", name)).value();
        EXPECT_EQ(VersionAtLeast(outdated, ParseVersion(required).value()), required == "0.0.0.0")
            << name << " " << FormatVersion(outdated);
        for (const char* variant : {"noversion", "text"})
            EXPECT_EQ(GetFileVersionString(WindowsPlatform(), StandInPath(variant, name)),
                      "0.0.0.0")
                << variant << " " << name;
    }
}

// Wine substitutes its own module for a file named like some of its libraries, wherever
// the file lies: reading a stand-in of that name gives Wine's version (Wine 8.0 does so
// for these seven catalogue names, not for DX8VB.DLL, which it also ships). A scan under
// Wine therefore reports Wine's versions for them, as a user of Wine would see.
TEST(WineVersion, WineAnswersForSomeOfItsOwnNames) {
    ResetLibraries();
    std::vector<std::string> substituted;
    for (const TLibraryEntry& e : Libraries) {
        const std::string name = e.Name.str();
        if (!WineProvides(name)) continue;
        const std::string wines =
            GetFileVersionString(WindowsPlatform(), SystemDirectory() + "\\" + name);
        const std::string read = GetFileVersionString(WindowsPlatform(), StandInPath("good", name));
        if (read == e.RequiredVersion.str()) continue;
        EXPECT_EQ(read, wines) << name;
        substituted.push_back(name);
    }
    const std::vector<std::string> expected = {"QUARTZ.DLL",   "SHDOCVW.DLL",  "GDI32.DLL",
                                               "OLEAUT32.DLL", "OLEPRO32.DLL", "WINMM.DLL",
                                               "WS2_32.DLL"};
    EXPECT_EQ(substituted, expected);
}

TEST(WineVersion, PartsComeFromTheFixedBlock) {
    const auto parts = GetFileVersionParts(WindowsPlatform(), StandInPath("good", "CSWSK32.OCX"));
    ASSERT_TRUE(parts.has_value());
    EXPECT_EQ(parts->Major, 3);
    EXPECT_EQ(parts->Minor, 60);
    EXPECT_EQ(parts->Release, 0);
    EXPECT_EQ(parts->Build, 3650);
    struct TCase {
        const char* what;
        std::string file;
    };
    TScopedFolder folder;
    const TCase failing[] = {
        {"no version resource", StandInPath("noversion", "CSWSK32.OCX")},
        {"text file", StandInPath("text", "CSWSK32.OCX")},
        {"missing file", folder / "CSWSK32.OCX"},
        {"a folder", folder.Path()},
    };
    for (const TCase& c : failing)
        EXPECT_FALSE(GetFileVersionParts(WindowsPlatform(), c.file).has_value()) << c.what;
}

// Current directory, then the system directory; a folder named like the library is no
// file, and the current directory is read at the moment of the call.
TEST(WineLocate, CurrentDirectoryThenSystemDirectory) {
    TScopedFolder here, elsewhere;
    const std::string sys = SystemDirectory();
    struct TCase {
        const char* what;
        bool inHere;
        bool folderInHere;
        bool inSystem;
        std::string expected;
    };
    const std::string name = "IJL11.DLL"; // Wine has no copy of its own
    const TCase cases[] = {
        {"nowhere", false, false, false, ""},
        {"only in the system directory", false, false, true, sys + "\\" + name},
        {"only here", true, false, false, here / name},
        {"both: here wins", true, false, true, here / name},
        {"a folder here named like it", false, true, false, ""},
        {"a folder here, the file in the system directory", false, true, true, sys + "\\" + name},
    };
    for (const TCase& c : cases) {
        std::unique_ptr<TScopedFileCopy> local, system;
        if (c.inHere) local = PlaceStandIn("good", name, here.Path());
        if (c.folderInHere) {
            ASSERT_TRUE(CreateDirectoryA((here / name).c_str(), nullptr));
        }
        if (c.inSystem) system = PlaceStandIn("good", name, sys);
        {
            TScopedCurrentDirectory cwd(here.Path());
            EXPECT_EQ(LocateLibraryFile(WindowsPlatform(), name), c.expected) << c.what;
        }
        {
            // The same machine seen from another current directory.
            TScopedCurrentDirectory cwd(elsewhere.Path());
            EXPECT_EQ(LocateLibraryFile(WindowsPlatform(), name),
                      c.inSystem ? sys + "\\" + name : "")
                << c.what;
        }
        if (c.folderInHere) RemoveDirectoryA((here / name).c_str());
    }
}

TEST(WineLocate, FileNamesMatchWithoutRegardToCase) {
    TScopedFolder here;
    TScopedFileCopy lower(StandInPath("good", "ZLIB.DLL"), here / "zlib.dll");
    TScopedCurrentDirectory cwd(here.Path());
    // The path keeps the catalogue's spelling: it is built from the name, not read back.
    EXPECT_EQ(LocateLibraryFile(WindowsPlatform(), "ZLIB.DLL"), here / "ZLIB.DLL");
    EXPECT_EQ(GetFileVersionString(WindowsPlatform(), here / "ZLIB.DLL"), "1.2.3.0");
}

TEST(WineLocate, RegisteredPathBeatsBothDirectories) {
    TScopedFolder registered, here;
    const std::string name = "MSINET.OCX";
    auto atRegistered = PlaceStandIn("outdated", name, registered.Path());
    auto atHere = PlaceStandIn("good", name, here.Path());
    auto atSystem = PlaceStandIn("good", name, SystemDirectory());
    TScopedClassesRootKey key("CLSID\\{48E59293-9880-11CF-9754-00AA00C00908}\\InprocServer32");
    key.SetDefault(registered / name);
    TScopedCurrentDirectory cwd(here.Path());
    std::vector<std::string> lines;
    ScanLibraries(WindowsPlatform(), lines);
    const TLibraryEntry& e = Libraries[1];
    ASSERT_EQ(e.Name.str(), name);
    EXPECT_EQ(e.Path.str(), registered / name);
    EXPECT_EQ(e.InstalledVersion.str(), "6.1.98.15");
    EXPECT_TRUE(e.Registered);
    EXPECT_FALSE(e.Present) << "outdated";
    EXPECT_EQ(lines.at(1), "MSINET.OCX - \xA1"
                           "ACTUALIZAR!");
}
