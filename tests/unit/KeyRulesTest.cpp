// Enter, access keys and Tab over the main window's controls.
#include "ui/KeyRules.h"

#include "ui/ControlIds.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TUsable Only(std::set<int> ids) {
    return [ids](int id) { return ids.count(id) != 0; };
}

} // namespace

TEST(KeyRules, Enter) {
    struct TCase {
        const char* what;
        int focused;
        std::set<int> usable;
        std::optional<int> expected;
    };
    const std::set<int> all = {IDC_CMDREGISTRAR, IDC_CMDDESCARGAR, IDC_CMDREREGISTRAR, IDC_BTNEXTRA,
                               IDC_LLIBRERIAS,   IDC_TPATH,        IDC_TVERSION};
    const TCase cases[] = {
        {"start: list focused, commands disabled, opens the menu",
         IDC_LLIBRERIAS,
         {IDC_BTNEXTRA, IDC_LLIBRERIAS},
         IDC_BTNEXTRA},
        {"Registrar first", IDC_LLIBRERIAS, all, IDC_CMDREGISTRAR},
        {"then Descargar",
         IDC_TPATH,
         {IDC_CMDDESCARGAR, IDC_CMDREREGISTRAR, IDC_BTNEXTRA},
         IDC_CMDDESCARGAR},
        {"then Forzar registro",
         IDC_TVERSION,
         {IDC_CMDREREGISTRAR, IDC_BTNEXTRA},
         IDC_CMDREREGISTRAR},
        {"nothing usable during a download", IDC_TPATH, {IDC_CMDDETENER}, std::nullopt},
        {"a focused button presses itself", IDC_CMDREREGISTRAR, all, IDC_CMDREREGISTRAR},
        {"the stop button too", IDC_CMDDETENER, all, IDC_CMDDETENER},
        {"not from the panel", IDC_PNL1, all, std::nullopt},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(EnterTarget(c.focused, Only(c.usable)), c.expected);
    }
}

TEST(KeyRules, AccessKeys) {
    EXPECT_EQ(AccessKeyOf("&Forzar registro"), 'F');
    EXPECT_EQ(AccessKeyOf("Fish && &chips"), 'C');
    EXPECT_EQ(AccessKeyOf("[...]"), 0);
    EXPECT_EQ(AccessKeyOf("trailing&"), 0);

    // D belongs to whichever of Descargar and Detener is usable.
    EXPECT_EQ(AccessKeyTarget('d', Only({IDC_CMDDESCARGAR})), IDC_CMDDESCARGAR);
    EXPECT_EQ(AccessKeyTarget('D', Only({IDC_CMDDETENER})), IDC_CMDDETENER);
    EXPECT_EQ(AccessKeyTarget('d', Only({})), std::nullopt);
    EXPECT_EQ(AccessKeyTarget('r', Only({IDC_CMDREGISTRAR})), IDC_CMDREGISTRAR);
    EXPECT_EQ(AccessKeyTarget('f', Only({IDC_CMDREGISTRAR})), std::nullopt);
}

TEST(KeyRules, TabOrderSkipsUnusableControls) {
    const auto usable =
        Only({IDC_LLIBRERIAS, IDC_CMDREREGISTRAR, IDC_BTNEXTRA, IDC_TPATH, IDC_TVERSION});
    struct TCase {
        int from;
        bool reverse;
        int expected;
    };
    const TCase cases[] = {
        {IDC_LLIBRERIAS, false, IDC_CMDREREGISTRAR},
        {IDC_CMDREREGISTRAR, false, IDC_BTNEXTRA},
        {IDC_BTNEXTRA, false, IDC_TPATH},
        {IDC_TVERSION, false, IDC_LLIBRERIAS},
        {IDC_LLIBRERIAS, true, IDC_TVERSION},
        {IDC_CMDREREGISTRAR, true, IDC_LLIBRERIAS},
        {0, false, IDC_LLIBRERIAS},
        {0, true, IDC_TVERSION},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << (c.reverse ? " back" : " forward"));
        EXPECT_EQ(NextTabStop(c.from, c.reverse, usable), c.expected);
    }
    EXPECT_EQ(NextTabStop(IDC_LLIBRERIAS, false, Only({})), std::nullopt);
}
