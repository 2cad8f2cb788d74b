// How the main window paints what the standard controls do not: its Tahoma fonts, the
// owner-drawn list lines, and the colours of the labels and the version field.
#include "ui/RegLib.h"

#include "ui/ControlIds.h"
#include "ui/Dpi.h"
#include "ui/Layout.h"
#include "ui/ListText.h"

HFONT TfGeneral::FontFor(int height, bool bold) {
    if (height <= 0) height = BASE_FONT_HEIGHT;
    if (height >= 40) height = 39;
    TGdiObject& font = (*FFonts)[bold ? 1 : 0][static_cast<std::size_t>(height)];
    if (!font)
        // A negative height asks for that character height in pixels.
        font.reset(CreateFontA(-ScaledFont(height, FDpi), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL,
                               FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                               "Tahoma"));
    return static_cast<HFONT>(font.get());
}

void TfGeneral::DrawListLine(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT line = item.rcItem;
    if (item.itemID != static_cast<UINT>(-1)) {
        const bool selected = (item.itemState & ODS_SELECTED) != 0;
        FillRect(dc, &line, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        SetBkMode(dc, TRANSPARENT);
        TSelection font(dc,
                        reinterpret_cast<HGDIOBJ>(SendMessageA(item.hwndItem, WM_GETFONT, 0, 0)));
        const std::string text = ListLineText(item.hwndItem, item.itemID);
        // One line, 2 pixels (scaled) from the left, clipped to its own line. The font's cell is
        // taller than the line (Tahoma at 16 pixels: 19), so centring the cell would put
        // the underscore of WS2_32.DLL below the line; what is centred instead is the part
        // below the internal leading, where every catalogue name and status word lies.
        TEXTMETRICA metrics = {};
        GetTextMetricsA(dc, &metrics);
        const int glyphs = metrics.tmHeight - metrics.tmInternalLeading;
        const int top =
            line.top + (line.bottom - line.top - glyphs) / 2 - metrics.tmInternalLeading;
        ExtTextOutA(dc, line.left + Scale(2), top, ETO_CLIPPED, &line, text.data(),
                    static_cast<UINT>(text.size()), nullptr);
    }
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &line);
}

LRESULT TfGeneral::ColourStatic(HDC dc, HWND control) {
    const int id = GetDlgCtrlID(control);
    if (id == IDC_LABEL3) {
        SetTextColor(dc, RGB(0, 255, 0));
        SetBkColor(dc, RGB(0, 0, 0));
        return reinterpret_cast<LRESULT>(FBlackBrush.get());
    }
    if (id == IDC_LDOWNLOADING) SetTextColor(dc, RGB(255, 0, 0));
    // Read-only edit fields keep the window colour, as editable ones have.
    if (id == IDC_TVERSION && FVersionColoured) {
        SetBkColor(dc, FVersionColour);
        return reinterpret_cast<LRESULT>(FVersionBrush.get());
    }
    if (id == IDC_TPATH || id == IDC_TVERSION) {
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void TfGeneral::SetVersionColour(uint32_t colour) {
    if (!FVersionColoured || FVersionColour != colour) {
        FVersionColour = colour;
        FVersionBrush.reset(CreateSolidBrush(FVersionColour));
        FVersionColoured = true;
    }
    InvalidateRect(Control(IDC_TVERSION), nullptr, TRUE);
}
