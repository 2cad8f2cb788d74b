// What a start does with a copy a replacement kept aside when a power cut ended the run: the
// placed copy decides, and a kept file Kestrova cannot vouch for is left alone.
#include "actions/KeptCopy.h"

#include "FakePlatform.h"
#include "MinimalImage.h"

#include <gtest/gtest.h>

namespace {

const std::string Sys = "C:\\WINDOWS\\system32";
const std::string Cur = "C:\\Program Files\\Client";
const std::string Kept = "the copy that worked";

enum class TPlaced { Whole, Zeros, Cut, Missing };

} // namespace

TEST(RecoverKeptCopies, PutsBackOnlyOverAnIncompleteCopy) {
    struct TCase {
        const char* what;
        std::string folder;
        TPlaced placed;
        bool elevated, linked, othersMayChange;
        const char* left; // what stays under the library's name: "kept", "placed" or nothing
        bool keptStays;
    };
    const TCase cases[] = {
        {"whole: the replacement stands", Sys, TPlaced::Whole, false, false, false, "placed",
         false},
        {"zeros a power cut left", Sys, TPlaced::Zeros, false, false, false, "kept", false},
        {"a copy cut short", Sys, TPlaced::Cut, false, false, false, "kept", false},
        {"no placed copy at all", Sys, TPlaced::Missing, false, false, false, "kept", false},
        {"the current folder as well", Cur, TPlaced::Zeros, false, false, false, "kept", false},
        {"a link under the kept name", Sys, TPlaced::Missing, false, true, false, "", true},
        {"elevated, others may change it: maybe planted", Cur, TPlaced::Missing, true, false, true,
         "", true},
        {"elevated, others may change it: not removed either", Cur, TPlaced::Whole, true, false,
         true, "placed", true},
        {"elevated, only administrators may change it", Sys, TPlaced::Zeros, true, false, false,
         "kept", false},
        {"a standard user's own folder", Cur, TPlaced::Missing, false, false, true, "kept", false},
    };
    for (const TCase& c : cases) {
        TFakePlatform p;
        p.ElevatedRun = c.elevated;
        const std::string target = c.folder + "\\MSCOMCTL.OCX", kept = KeptNameFor(target);
        p.AddFile(kept, std::nullopt);
        p.Contents[TFakePlatform::Upper(kept)] = Kept;
        if (c.linked) p.Linked.insert(TFakePlatform::Upper(kept));
        if (c.othersMayChange) p.WritableByOthers.insert(TFakePlatform::Upper(kept));
        const std::string whole = GoodImage();
        const std::string placed = c.placed == TPlaced::Whole   ? whole
                                   : c.placed == TPlaced::Zeros ? std::string(whole.size(), '\0')
                                                                : whole.substr(0, whole.size() / 2);
        if (c.placed != TPlaced::Missing) {
            p.AddFile(target, std::nullopt);
            p.Contents[TFakePlatform::Upper(target)] = placed;
        }

        RecoverKeptCopies(p);

        const std::string left = !p.HasFile(target)                                 ? ""
                                 : p.Contents[TFakePlatform::Upper(target)] == Kept ? "kept"
                                                                                    : "placed";
        EXPECT_EQ(left, c.left) << c.what;
        EXPECT_EQ(p.HasFile(kept), c.keptStays) << c.what;
        EXPECT_TRUE(p.EntryCalls.empty()) << c.what << ": nothing is loaded at start";
        EXPECT_EQ(p.Held, 0) << c.what;
    }
}
