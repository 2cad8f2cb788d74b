// The list's lines as the user reads them: every glyph of a catalogue name and of its status
// word inside the line's 16 pixels (scaled, at another DPI). What goes first when the text
// sits too low in its line is what hangs below the baseline: the underscore of "WS2_32.DLL"
// (which then reads "WS2 32.DLL") and the stem of the "¡" that opens every status word.
#include "GuiScenario.h"
#include "Input.h"
#include "Pixels.h"

#include <gtest/gtest.h>

using namespace gui;

namespace {

constexpr int LINE_HEIGHT = 16;
constexpr int TEXT_INDENT = 2; // the text's distance from the line's left edge

// The list's font as the program makes it: Tahoma at a character height of 16 pixels, scaled.
class TListFont {
public:
    explicit TListFont(int dpi)
        : FFont(CreateFontA(-ScaledFont(16, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                            DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                            DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Tahoma")) {}
    ~TListFont() { DeleteObject(FFont); }
    TListFont(const TListFont&) = delete;
    TListFont& operator=(const TListFont&) = delete;

    HFONT Get() const { return FFont; }
    int Width(const std::string& text) const {
        HDC screen = GetDC(nullptr);
        HGDIOBJ old = SelectObject(screen, FFont);
        SIZE size{};
        GetTextExtentPoint32A(screen, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(screen, old);
        ReleaseDC(nullptr, screen);
        return size.cx;
    }

private:
    HFONT FFont;
};

// The glyphs that hang lowest, on the line of WS2_32.DLL in a window started at `dpi`.
void ExpectWholeGlyphsOnTheLineOfWs2(int dpi) {
    const int lineHeight = Scaled(LINE_HEIGHT, dpi), indent = Scaled(TEXT_INDENT, dpi);
    TScenario machine;
    auto app = machine.Start();
    const int index = IndexOf("WS2_32.DLL");
    const std::string text = app->Lines()[index];
    // A selected line is drawn in the highlight colours; nothing is selected at start.
    ASSERT_EQ(app->Selection(), LB_ERR);
    HWND list = app->Control(IDC_LLIBRERIAS);
    const int top =
        (index - static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0))) * lineHeight;
    RECT client{};
    GetClientRect(list, &client);
    ASSERT_TRUE(0 <= top && top + lineHeight <= client.bottom) << "the line is out of view";
    MoveMouseTo(POINT{0, 0}); // the pointer away from the list

    const POINT origin = ClientOrigin(list);
    const RECT line{origin.x, origin.y + top, origin.x + client.right, origin.y + top + lineHeight};
    const COLORREF paper = GetSysColor(COLOR_WINDOW);
    const TListFont font(dpi);
    // Painting is asynchronous: wait until the name is on the line and two readings agree.
    TPixels shown = TPixels::OfScreen(line);
    ASSERT_TRUE(WaitUntil([&] {
        const TPixels first = TPixels::OfScreen(line);
        if (first.InkedRows(indent, indent + font.Width("WS2"), paper) == 0) return false;
        Sleep(100);
        shown = TPixels::OfScreen(line);
        return shown == first;
    })) << "the line of WS2_32.DLL is not drawn";

    // Each glyph must show as many inked rows as it has when drawn unclipped.
    const TPixels whole = TPixels::OfText(font.Get(), text, GetSysColor(COLOR_WINDOWTEXT), paper);
    const struct {
        const char* What;
        std::string Before;
        const char* Glyph;
    } glyphs[] = {
        {"the underscore of WS2_32.DLL", "WS2", "_"},
        {"the inverted exclamation mark of the status word", text.substr(0, text.find('\xA1')),
         "\xA1"},
    };
    for (const auto& glyph : glyphs) {
        SCOPED_TRACE(glyph.What);
        const int left = font.Width(glyph.Before);
        const int right = font.Width(glyph.Before + glyph.Glyph);
        const int rows =
            whole.InkedRows(TPixels::TEXT_MARGIN + left, TPixels::TEXT_MARGIN + right, paper);
        ASSERT_GT(rows, 0);
        EXPECT_EQ(shown.InkedRows(indent + left, indent + right, paper), rows)
            << "columns " << left << " to " << right << " of \"" << text << "\"";
    }
}

} // namespace

TEST(ListLine, ShowsTheUnderscoreOfTheNameAndTheWholeStatusWordAtEveryScale) {
    for (int dpi : {96, 144}) {
        SCOPED_TRACE(std::to_string(dpi) + " DPI");
        const TScopedDpi scale(dpi);
        ExpectWholeGlyphsOnTheLineOfWs2(dpi);
    }
}
