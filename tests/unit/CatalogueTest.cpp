// The catalogue record: truncation on assignment, the reset, and the table's shape.
#include "inventory/Catalogue.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

TEST(FixedString, TruncatesToCapacityOnAssignment) {
    struct TCase {
        std::size_t length;
        std::size_t kept;
    };
    for (const TCase c : {TCase{0, 0}, TCase{254, 254}, TCase{255, 255}, TCase{256, 255},
                          TCase{300, 255}}) {
        TLibraryEntry entry;
        const std::string value(c.length, 'x');
        entry.Path = value;
        EXPECT_EQ(entry.Path.size(), c.kept) << c.length;
        EXPECT_EQ(entry.Path.str(), value.substr(0, c.kept));
    }
    TLibraryEntry entry;
    entry.InstalledVersion = std::string(40, '9');
    EXPECT_EQ(entry.InstalledVersion.size(), 36u);
}

TEST(Catalogue, ResetClearsWhatAScanOrDownloadWrote) {
    ResetLibraries();
    for (TLibraryEntry& e : Libraries) {
        e.Path = "C:\\x\\" + e.Name.str();
        e.InstalledVersion = "1.2.3.4";
        e.Registered = e.Present = true;
        e.Name = "CHANGED";
    }
    ResetLibraries();
    for (const TLibraryEntry& e : Libraries) {
        EXPECT_TRUE(e.Path.empty());
        EXPECT_TRUE(e.InstalledVersion.empty());
        EXPECT_FALSE(e.Registered);
        EXPECT_FALSE(e.Present);
        EXPECT_NE(e.Name.str(), "CHANGED");
    }
}

TEST(Catalogue, TableShape) {
    ResetLibraries();
    std::set<std::string> names;
    for (const TLibraryEntry& e : Libraries) {
        names.insert(e.Name.str());
        EXPECT_FALSE(!e.ClsId.empty() && !e.TypeLib.empty()) << e.Name.str();
        if (!e.ClsId.empty()) {
            EXPECT_EQ(e.ClsId.size(), 36u) << e.Name.str();
        }
        if (!e.TypeLib.empty()) {
            EXPECT_EQ(e.TypeLib.view().back(), '\\') << e.Name.str();
        }
        const std::string n = e.Name.str();
        EXPECT_TRUE(n.ends_with(".DLL") || n.ends_with(".OCX")) << n;
    }
    EXPECT_EQ(names.size(), LIBRARY_COUNT);
    EXPECT_EQ(Libraries[0].Name.str(), "MSVBVM60.DLL");
    EXPECT_EQ(Libraries[28].Name.str(), "VBALPROGBAR6.OCX");
    EXPECT_EQ(Libraries[28].RequiredVersion.str(), "1.0.0.6");
    // Two runtimes share one type library and differ only in its version segment.
    EXPECT_EQ(Libraries[0].TypeLib.str(), "{000204EF-0000-0000-C000-000000000046}\\6.0\\9\\win32\\");
    EXPECT_EQ(Libraries[26].TypeLib.str(), "{000204EF-0000-0000-C000-000000000046}\\5.0\\9\\win32\\");
}
