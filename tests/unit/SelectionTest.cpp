// The selection rules as a table: what each kind of list line shows and enables, with and
// without the force-here option.
#include "ui/Selection.h"

#include <gtest/gtest.h>

namespace {

TLibraryEntry Entry(const char* clsId, const char* path, const char* installed, bool registered,
                    bool present) {
    TLibraryEntry e;
    e.Name = "X.OCX";
    e.ClsId = clsId;
    e.Path = path;
    e.InstalledVersion = installed;
    e.RequiredVersion = "6.1.98.16";
    e.Registered = registered;
    e.Present = present;
    return e;
}

} // namespace

TEST(Selection, ButtonsPerLineStatus) {
    const char* cls = "48E59293-9880-11CF-9754-00AA00C00908";
    const char* path = "C:\\WINDOWS\\system32\\X.OCX";
    struct TCase {
        const char* what;
        TLibraryEntry entry;
        bool descargar, registrar, reRegistrar;
    };
    // Present as the status pass leaves it: cleared for an outdated copy.
    const TCase cases[] = {
        {"download: no file", Entry(cls, "", "", false, false), true, false, false},
        {"update, registered", Entry(cls, path, "6.1.98.15", true, false), true, false, false},
        {"update, located not registered", Entry(cls, path, "6.1.98.15", false, false), true, true,
         false},
        {"register", Entry(cls, path, "6.1.98.16", false, true), false, true, true},
        {"ok with class", Entry(cls, path, "6.1.98.16", true, true), false, false, true},
        {"ok without registration", Entry("", path, "6.1.98.16", true, true), false, false, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        const TSelectionView off = DecideSelection(c.entry, false);
        EXPECT_EQ(off.Descargar, c.descargar);
        EXPECT_EQ(off.Registrar, c.registrar);
        EXPECT_EQ(off.ReRegistrar, c.reRegistrar);
        // The force-here option enables downloading on every line and changes nothing else.
        const TSelectionView on = DecideSelection(c.entry, true);
        EXPECT_TRUE(on.Descargar);
        EXPECT_EQ(on.Registrar, c.registrar);
        EXPECT_EQ(on.ReRegistrar, c.reRegistrar);
    }
}

TEST(Selection, TypeLibraryCountsAsRegistration) {
    TLibraryEntry e = Entry("", "C:\\W\\MSVBVM60.DLL", "6.1.98.16", true, true);
    e.TypeLib = "{000204EF-0000-0000-C000-000000000046}\\6.0\\9\\win32\\";
    EXPECT_TRUE(DecideSelection(e, false).ReRegistrar);
}

TEST(Selection, VersionFieldTextAndColour) {
    struct TCase {
        const char* installed;
        const char* text;
        uint32_t colour;
    };
    const TCase cases[] = {
        {"6.1.98.16", "6.1.98.16", VERSION_MATCH_COLOUR},
        {"6.1.98.15", "6.1.98.15 -> 6.1.98.16", VERSION_MISMATCH_COLOUR},
        {"6.1.98.17", "6.1.98.17", VERSION_MATCH_COLOUR}, // a newer copy is current
        {"", " -> 6.1.98.16", VERSION_MISMATCH_COLOUR},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.installed);
        const TSelectionView v = DecideSelection(Entry("", "p", c.installed, true, true), false);
        EXPECT_EQ(v.VersionText, c.text);
        EXPECT_EQ(v.VersionColour, c.colour);
    }
    EXPECT_EQ(VERSION_MATCH_COLOUR, 0x0000FF00u);    // lime, as a COLORREF
    EXPECT_EQ(VERSION_MISMATCH_COLOUR, 0x000000FFu); // red, as a COLORREF
}

TEST(Selection, RegisteringNeedsAPathEvenWhenUnregistered) {
    // A registered file that vanished with no copy anywhere: nothing to load.
    const TSelectionView v = DecideSelection(Entry("X", "", "", false, false), false);
    EXPECT_FALSE(v.Registrar);
    EXPECT_EQ(v.PathText, "");
}
