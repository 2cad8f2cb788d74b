// Selecting a line shows the library's path and version and enables exactly the commands
// that apply; the force-here option and a refresh change that only as the user expects.
#include "GuiScenario.h"
#include "Pixels.h"

#include <gtest/gtest.h>

using namespace gui;

namespace {

struct TShownState {
    std::string Path;
    std::string Version;
    COLORREF Colour;
    bool Download;
    bool Register;
    bool ForceRegister;

    bool operator==(const TShownState&) const = default;
};

std::ostream& operator<<(std::ostream& out, const TShownState& s) {
    return out << "path \"" << s.Path << "\" version \"" << s.Version << "\" colour " << std::hex
               << s.Colour << std::dec << " download " << s.Download << " register " << s.Register
               << " force " << s.ForceRegister;
}

TShownState ShownNow(TKestrova& app) {
    return {app.Text(IDC_TPATH),
            app.Text(IDC_TVERSION),
            app.VersionBackground(),
            app.IsEnabled(IDC_CMDDESCARGAR),
            app.IsEnabled(IDC_CMDREGISTRAR),
            app.IsEnabled(IDC_CMDREREGISTRAR)};
}

// Selects `name`'s line and waits until the window shows `expected` (painting the
// colour may trail the selection).
void ExpectShownAfterSelecting(TKestrova& app, const std::string& name,
                               const TShownState& expected) {
    ASSERT_TRUE(app.SelectLine(IndexOf(name))) << name;
    WaitUntil([&] { return ShownNow(app) == expected; });
    EXPECT_EQ(ShownNow(app), expected) << name;
}

} // namespace

// One line of each status kind, and what its selection shows.
TEST(Selection, ShowsPathVersionAndTheCommandsThatApplyForEachKindOfLine) {
    TScenario machine;
    const std::string outdatedRegistered = machine.PlaceHere("outdated", "RICHTX32.OCX");
    machine.Register("RICHTX32.OCX", outdatedRegistered);
    const std::string outdatedLoose = machine.PlaceHere("outdated", "CSWSK32.OCX");
    machine.Unregistered("CSWSK32.OCX");
    const std::string newerLoose = machine.PlaceHere("newer", "COMDLG32.OCX");
    machine.Unregistered("COMDLG32.OCX");
    const std::string loose = machine.PlaceHere("good", "MSWINSCK.OCX");
    machine.Unregistered("MSWINSCK.OCX");
    const std::string registered = machine.PlaceHere("good", "MSCOMCTL.OCX");
    machine.Register("MSCOMCTL.OCX", registered);
    const std::string plain = machine.PlaceHere("good", "ZLIB.DLL");
    machine.Unregistered("MSINET.OCX");
    auto app = machine.Start();

    const struct {
        const char* Name;
        TShownState Expected;
    } rows[] = {
        {"MSINET.OCX", {"", " -> 6.1.98.16", RED, true, false, false}},
        {"RICHTX32.OCX", {outdatedRegistered, "6.1.98.15 -> 6.1.98.16", RED, true, false, false}},
        {"CSWSK32.OCX", {outdatedLoose, "3.60.0.3649 -> 3.60.0.3650", RED, true, true, false}},
        // Above the required version: current, so registered rather than downloaded.
        {"COMDLG32.OCX", {newerLoose, "6.1.98.17", LIME, false, true, true}},
        {"MSWINSCK.OCX", {loose, "6.1.98.17", LIME, false, true, true}},
        {"MSCOMCTL.OCX", {registered, "6.1.98.34", LIME, false, false, true}},
        {"ZLIB.DLL", {plain, "1.2.3.0", LIME, false, false, false}},
    };
    for (const auto& row : rows)
        ExpectShownAfterSelecting(*app, row.Name, row.Expected);
}

TEST(Selection, ForceHereTakesEffectAtTheNextSelectionAndTogglesBack) {
    TScenario machine;
    const std::string plain = machine.PlaceHere("good", "ZLIB.DLL");
    auto app = machine.Start();
    ASSERT_TRUE(app->SelectLine(IndexOf("ZLIB.DLL")));
    ASSERT_FALSE(app->IsEnabled(IDC_CMDDESCARGAR));
    EXPECT_EQ(app->ForceHereChecked(), false);

    ASSERT_NE(app->OpenMenu(), nullptr);
    ASSERT_TRUE(app->PickMenuItem(TMenuItem::ForceHere));
    EXPECT_EQ(app->ForceHereChecked(), true);
    EXPECT_FALSE(app->IsEnabled(IDC_CMDDESCARGAR)) << "the option waits for the next selection";

    ASSERT_TRUE(app->SelectLine(IndexOf("MSVBVM60.DLL")));
    ASSERT_TRUE(app->SelectLine(IndexOf("ZLIB.DLL")));
    EXPECT_TRUE(WaitUntil([&] { return app->IsEnabled(IDC_CMDDESCARGAR); }))
        << "with the option checked every line can be downloaded";

    ASSERT_NE(app->OpenMenu(), nullptr);
    ASSERT_TRUE(app->PickMenuItem(TMenuItem::ForceHere));
    EXPECT_EQ(app->ForceHereChecked(), false);
    EXPECT_TRUE(app->IsEnabled(IDC_CMDDESCARGAR));
    ASSERT_TRUE(app->SelectLine(IndexOf("MSVBVM60.DLL")));
    ASSERT_TRUE(app->SelectLine(IndexOf("ZLIB.DLL")));
    EXPECT_TRUE(WaitUntil([&] { return !app->IsEnabled(IDC_CMDDESCARGAR); }));
}

TEST(Selection, RefreshClearsTheSelectionButKeepsFieldsColoursAndButtons) {
    TScenario machine;
    machine.PlaceHere("good", "MSWINSCK.OCX");
    machine.Unregistered("MSWINSCK.OCX");
    auto app = machine.Start();
    ASSERT_TRUE(app->SelectLine(IndexOf("MSWINSCK.OCX")));
    WaitUntil([&] { return app->VersionBackground() == LIME; });
    const TShownState before = ShownNow(*app);
    ASSERT_EQ(before.Colour, LIME);

    // Something changes on the machine; the refresh shows it in the list only.
    machine.PlaceHere("good", "ZLIB.DLL");
    ASSERT_NE(app->OpenMenu(), nullptr);
    ASSERT_TRUE(app->PickMenuItem(TMenuItem::Refresh));
    ASSERT_TRUE(WaitUntil(
        [&] { return app->Lines()[IndexOf("ZLIB.DLL")] == Line("ZLIB.DLL", STATUS_OK); }));
    EXPECT_EQ(app->Selection(), LB_ERR);
    EXPECT_EQ(ShownNow(*app), before);
}
