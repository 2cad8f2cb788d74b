// The copy that keeps a line from its repair: one newer than required where a download would
// replace it, and, elevated, never one that others may change (a stub of version 99 in a
// folder anyone writes would keep a needed update away).
#include "actions/Repair.h"

#include "FakePlatform.h"

#include <gtest/gtest.h>

TEST(Repair, ANewerCopyKeepsTheLineOnlyWhenOthersMayNotChangeIt) {
    const std::string here = "C:\\Program Files\\Client\\IJL11.DLL";
    const struct {
        bool elevated, othersMayChange, keeps;
    } cases[] = {
        {false, false, true}, {false, true, true}, {true, false, true}, {true, true, false}};
    for (const auto& c : cases) {
        TFakePlatform p;
        p.ElevatedRun = c.elevated;
        p.AddFile(here, TVersionParts{99, 0, 0, 0});
        if (c.othersMayChange) p.WritableByOthers.insert(TFakePlatform::Upper(here));
        ResetLibraries();
        const TLibraryEntry* entry = nullptr;
        for (const TLibraryEntry& e : Libraries)
            if (e.Name == "IJL11.DLL") entry = &e;
        EXPECT_EQ(NewerCopyOf(p, *entry),
                  c.keeps ? std::optional(here + " 99.0.0.0") : std::nullopt)
            << "elevated " << c.elevated << ", others may change it " << c.othersMayChange;
    }
}
