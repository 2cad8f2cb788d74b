// The window at the scale of its monitor: every control where the layout table puts it,
// scaled from 96 DPI (at 96 DPI exactly the table), its texts in fonts of the same scale and
// none of them cut, the buttons Common Controls 6 buttons, and the whole window laid out
// again when it is dragged to a monitor of another scale. Wine gives the programs it starts
// the DPI of LogPixels; it has one scale for every monitor and sends no WM_DPICHANGED, so
// the test sends it as Windows would.
#include "GuiScenario.h"
#include "Input.h"
#include "RemoteMemory.h"

#include "ui/Layout.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace gui;
using namespace kestrova_test;

namespace {

constexpr UINT DPI_CHANGED = 0x02E0; // WM_DPICHANGED

// The size of `text` on one line in Tahoma of `height` pixels at 96 DPI, at `dpi`.
SIZE TextSize(const std::string& text, int height, bool bold, int dpi) {
    HFONT font = CreateFontA(-ScaledFont(height, dpi), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE,
                             FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Tahoma");
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, font);
    RECT r{};
    DrawTextA(screen, text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    DeleteObject(font);
    return {r.right - r.left, r.bottom - r.top};
}

// `control`'s rectangle in its parent's client area.
RECT Placed(HWND control) {
    RECT r = ScreenRect(control);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The window as the layout table gives it at `dpi`. The longest list lines are cut by the
// scroll bar at 96 DPI already: `wholeAt96` holds the lines shown whole then (filled at 96
// DPI, which comes first), and at another scale they must be whole too.
void ExpectLaidOutAt(TKestrova& app, int dpi, std::set<std::string>& wholeAt96) {
    const int slack = dpi == 96 ? 0 : 1; // MulDiv of a position and of a size rounds apart
    const RECT outer = ScreenRect(app.Main());
    EXPECT_NEAR(outer.right - outer.left, Scaled(FORM_WIDTH, dpi), slack);
    EXPECT_NEAR(outer.bottom - outer.top, Scaled(FORM_HEIGHT, dpi), slack);
    for (std::size_t i = 0; i < LayoutCount; ++i) {
        const TControlRow& row = Layout[i];
        SCOPED_TRACE(row.Name);
        HWND control = app.Control(row.Id);
        const RECT at = Placed(control);
        const int width = at.right - at.left, height = at.bottom - at.top;
        EXPECT_NEAR(at.left, Scaled(row.Left, dpi), slack);
        EXPECT_NEAR(at.top, Scaled(row.Top, dpi), slack);
        const std::string text = app.Text(row.Id);
        const SIZE needed =
            TextSize(text, row.FontHeight ? row.FontHeight : BASE_FONT_HEIGHT, row.Bold, dpi);
        if (row.Kind == TControlKind::Label) {
            // As large as its text in its own font, whatever that text is now.
            EXPECT_GE(width, needed.cx) << text;
            EXPECT_GE(height, needed.cy) << text;
            continue;
        }
        EXPECT_NEAR(width, Scaled(row.Width, dpi), slack);
        EXPECT_NEAR(height, Scaled(row.Height, dpi), slack);
        if (row.Kind == TControlKind::Link) {
            EXPECT_LE(needed.cx, width) << text;
        }
        if (row.Kind == TControlKind::Button) {
            // Only a Common Controls 6 button answers; its ideal size holds its caption.
            SIZE ideal{};
            EXPECT_TRUE(SendPointingAt(control, BCM_GETIDEALSIZE, 0, ideal))
                << "not a Common Controls 6 button";
            EXPECT_LE(ideal.cx, width) << text;
            EXPECT_LE(ideal.cy, height) << text;
        }
    }
    // Lines of the scaled height, none cut by the scroll bar (which grows with the DPI).
    HWND list = app.Control(IDC_LLIBRERIAS);
    EXPECT_EQ(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0), Scaled(LIST_LINE_HEIGHT, dpi));
    RECT client{};
    GetClientRect(list, &client);
    for (const std::string& line : app.Lines()) {
        const bool whole = Scaled(2, dpi) + TextSize(line, 16, false, dpi).cx <= client.right;
        if (dpi == 96 && whole) wholeAt96.insert(line);
        if (wholeAt96.count(line)) {
            EXPECT_TRUE(whole) << line;
        }
    }
    EXPECT_FALSE(wholeAt96.empty());
    // The Windows Wine names fits its panel.
    RECT panel{};
    GetClientRect(app.Control(IDC_PNL1), &panel);
    EXPECT_LE(Placed(app.Control(IDC_LBLSO)).right, panel.right) << app.Text(IDC_LBLSO);
    // The popup menu opens 15 scaled pixels into "[...]".
    const TControlRow* extra = FindControlRow(IDC_BTNEXTRA);
    HWND menu = app.OpenMenu();
    ASSERT_NE(menu, nullptr);
    const POINT origin = ClientOrigin(app.Main());
    const RECT opened = ScreenRect(menu);
    EXPECT_EQ(opened.left - origin.x, Scaled(extra->Left, dpi) + Scaled(15, dpi));
    EXPECT_EQ(opened.top - origin.y, Scaled(extra->Top, dpi) + Scaled(15, dpi));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(menu) || !IsWindowVisible(menu); }));
}

} // namespace

TEST(Scale, LaysTheWindowOutAtTheDpiItStartsAt) {
    std::set<std::string> wholeAt96;
    for (int dpi : {96, 144}) {
        SCOPED_TRACE(std::to_string(dpi) + " DPI");
        const TScopedDpi scale(dpi);
        TScenario machine;
        auto app = machine.Start();
        ExpectLaidOutAt(*app, dpi, wholeAt96);
    }
}

TEST(Scale, LaysTheWindowOutAgainOnAMonitorOfAnotherScale) {
    const TScopedDpi scale(96);
    TScenario machine;
    auto app = machine.Start();
    std::set<std::string> wholeAt96;
    ExpectLaidOutAt(*app, 96, wholeAt96);
    const RECT before = ScreenRect(app->Main());
    RECT suggested = {before.left + 10, before.top, before.left + 10 + Scaled(FORM_WIDTH, 144),
                      before.top + Scaled(FORM_HEIGHT, 144)};
    SendPointingAt(app->Main(), DPI_CHANGED, MAKEWPARAM(144, 144), suggested);
    const RECT after = ScreenRect(app->Main());
    EXPECT_EQ(after.left, suggested.left);
    EXPECT_EQ(after.top, suggested.top);
    ExpectLaidOutAt(*app, 144, wholeAt96);
}
