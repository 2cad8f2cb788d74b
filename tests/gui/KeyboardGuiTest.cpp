// The window driven from the keyboard alone: type-ahead search in the list, Enter pressing
// the first usable command (or opening the menu), and Tab skipping disabled controls.
#include "GuiScenario.h"
#include "Input.h"
#include "WindowQuery.h"

#include <gtest/gtest.h>

using namespace gui;

namespace {

// Longer than the 500 ms after which the list starts a new search text.
constexpr DWORD PAUSE_MS = 700;
// Long enough for the program to have handled a key that must change nothing.
constexpr DWORD SETTLE_MS = 300;

} // namespace

TEST(Keyboard, TypeAheadSearchesLinesByTheirBeginningWithinHalfASecond) {
    TScenario machine;
    machine.PlaceHere("good", "ZLIB.DLL");
    auto app = machine.Start();
    ASSERT_TRUE(app->Activate());
    const int none = LB_ERR;
    const struct {
        bool Pause;       // more than half a second since the previous key
        const char* Keys; // typed as one burst; "\b" is Backspace
        int Expected;
        const char* Why;
    } steps[] = {
        {true, "x", none, "no line begins with X: nothing changes"},
        {true, "zl", IndexOf("ZLIB.DLL"), "a search text, without regard to case"},
        {true, "comd", IndexOf("COMDLG32.OCX"), "the pause started a new search"},
        {false, "\b", IndexOf("COMCTL32.OCX"), "Backspace: the first line beginning with COM"},
        {true, "y", IndexOf("COMCTL32.OCX"), "no match after a pause: the selection stays"},
        {true, "w", IndexOf("WINMM.DLL"), "a new search"},
        {false, "s", IndexOf("WS2_32.DLL"), "appended within half a second: WS"},
        {false, "\b\b", 0, "Backspace emptied the search text: line 0"},
    };
    for (const auto& step : steps) {
        if (step.Pause) Sleep(PAUSE_MS);
        for (const char* key = step.Keys; *key; ++key)
            if (*key == '\b')
                PressKey(VK_BACK);
            else
                TypeText(std::string(1, *key));
        // A step that must change nothing gets time to be handled first: otherwise the
        // check could pass before the program saw the key at all.
        const int before = app->Selection();
        if (step.Expected == before) Sleep(SETTLE_MS);
        EXPECT_TRUE(WaitUntil([&] { return app->Selection() == step.Expected; }))
            << step.Why << ": selection " << app->Selection();
    }
    // The selection made by typing runs the same logic as a click.
    EXPECT_EQ(app->Text(IDC_TVERSION), " -> " + Entry("MSVBVM60.DLL").RequiredVersion.str());
}

TEST(Keyboard, EnterOnTheListWithEveryCommandDisabledOpensTheMenu) {
    TScenario machine;
    auto app = machine.Start();
    ASSERT_TRUE(app->Activate());
    ASSERT_EQ(app->Focused(), app->Control(IDC_LLIBRERIAS));
    PressKey(VK_RETURN);
    HWND popup = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (popup = FindTopLevel(app->Process().Id(), "#32768")); }));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(popup) || !IsWindowVisible(popup); }));
    EXPECT_TRUE(app->NoMessageBoxWithin(300));
}

TEST(Keyboard, EnterOnTheListPressesTheFirstEnabledCommand) {
    TScenario machine;
    const std::string path = machine.PlaceHere("fails", "MSWINSCK.OCX");
    machine.Unregistered("MSWINSCK.OCX");
    auto app = machine.Start();
    ASSERT_TRUE(app->SelectLine(IndexOf("MSWINSCK.OCX")));
    ASSERT_TRUE(app->Activate());
    PressKey(VK_RETURN); // Registrar comes before Forzar registro
    const auto box = app->WaitForMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->Text, "No es posible registrar la librería " + path + ".");
    EXPECT_TRUE(PressButton(*box, "OK"));
}

TEST(Keyboard, TabVisitsOnlyEnabledVisibleControlsInOrder) {
    TScenario machine;
    machine.PlaceHere("good", "MSWINSCK.OCX");
    machine.Unregistered("MSWINSCK.OCX");
    auto app = machine.Start();
    ASSERT_TRUE(app->Activate());
    auto walk = [&](std::vector<int> expected) {
        expected.push_back(IDC_LLIBRERIAS); // and round again
        for (int id : expected) {
            PressKey(VK_TAB);
            EXPECT_TRUE(WaitUntil([&] { return app->Focused() == app->Control(id); }))
                << "expected control " << id << ", focus on id " << GetDlgCtrlID(app->Focused());
        }
    };
    // At start the three commands are disabled and the stop button hidden.
    walk({IDC_BTNEXTRA, IDC_TPATH, IDC_TVERSION});
    ASSERT_TRUE(app->SelectLine(IndexOf("MSWINSCK.OCX"))); // a line to register
    ASSERT_TRUE(WaitUntil([&] { return app->Focused() == app->Control(IDC_LLIBRERIAS); }));
    walk({IDC_CMDREGISTRAR, IDC_CMDREREGISTRAR, IDC_BTNEXTRA, IDC_TPATH, IDC_TVERSION});
    // Shift+Tab goes the other way.
    PressKey(VK_TAB, WITH_SHIFT);
    EXPECT_TRUE(WaitUntil([&] { return app->Focused() == app->Control(IDC_TVERSION); }));
}
