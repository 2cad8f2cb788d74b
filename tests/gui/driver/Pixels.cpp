// Screen reads through the desktop DC, which under Wine on Xvfb returns what the X server
// shows; callers wait on the expected colour, since painting is asynchronous.
#include "Pixels.h"

#include <vector>

namespace gui {

namespace {

// A copy of a screen rectangle, one COLORREF-comparable value per pixel.
class TScreenGrab {
public:
    explicit TScreenGrab(const RECT& area)
        : FWidth(area.right - area.left), FHeight(area.bottom - area.top) {
        if (FWidth <= 0 || FHeight <= 0) return;
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = FWidth;
        info.bmiHeader.biHeight = -FHeight; // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bitmap != nullptr) {
            HGDIOBJ old = SelectObject(memory, bitmap);
            BitBlt(memory, 0, 0, FWidth, FHeight, screen, area.left, area.top, SRCCOPY);
            GdiFlush();
            const auto* raw = static_cast<const DWORD*>(bits);
            FPixels.resize(static_cast<size_t>(FWidth) * FHeight);
            for (size_t i = 0; i < FPixels.size(); ++i) // BGRA in memory -> COLORREF 0x00BBGGRR
                FPixels[i] = RGB(raw[i] >> 16 & 0xFF, raw[i] >> 8 & 0xFF, raw[i] & 0xFF);
            SelectObject(memory, old);
            DeleteObject(bitmap);
        }
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
    }

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    bool Valid() const { return !FPixels.empty(); }
    COLORREF At(int x, int y) const { return FPixels[static_cast<size_t>(y) * FWidth + x]; }

private:
    int FWidth;
    int FHeight;
    std::vector<COLORREF> FPixels;
};

// Row bands [first, last] in which `marked(x, y)` holds for some x in [left, right).
template <typename TMarked>
std::vector<std::pair<int, int>> Bands(const TScreenGrab& grab, int left, int right,
                                       TMarked marked) {
    std::vector<std::pair<int, int>> bands;
    bool inBand = false;
    for (int y = 0; y < grab.Height(); ++y) {
        bool hit = false;
        for (int x = left; x < right && !hit; ++x)
            hit = marked(x, y);
        // A gap of a row or two is still the same band: an access key's underline sits
        // just below the glyphs of its item.
        if (hit && !inBand && !(bands.size() && y - bands.back().second <= 3))
            bands.emplace_back(y, y);
        if (hit) bands.back().second = y;
        inBand = hit;
    }
    return bands;
}

} // namespace

COLORREF ScreenPixel(POINT screen) {
    TScreenGrab grab(RECT{screen.x, screen.y, screen.x + 1, screen.y + 1});
    return grab.Valid() ? grab.At(0, 0) : CLR_INVALID;
}

COLORREF EditBackground(HWND edit) {
    RECT client{};
    GetClientRect(edit, &client);
    POINT point{client.right - 3, client.bottom / 2};
    ClientToScreen(edit, &point);
    return ScreenPixel(point);
}

int CheckedMenuItem(HWND popup) {
    RECT area{};
    GetWindowRect(popup, &area);
    const TScreenGrab grab(area);
    if (!grab.Valid()) return -1;
    const COLORREF ink = GetSysColor(COLOR_MENUTEXT);
    // The check mark sits in a column as wide as the system's check bitmap, after the
    // frame; item texts start to the right of it.
    const int frame = GetSystemMetrics(SM_CXEDGE) + 1;
    const int checkRight = frame + GetSystemMetrics(SM_CXMENUCHECK) + 2;
    auto inked = [&](int x, int y) { return grab.At(x, y) == ink; };
    const auto texts = Bands(grab, checkRight + 2, grab.Width() - frame, inked);
    if (texts.empty()) return MENU_NOT_DRAWN;
    const auto marks = Bands(grab, frame, checkRight, inked);
    if (marks.empty()) return -1;
    const int markMiddle = (marks.front().first + marks.front().second) / 2;
    for (size_t i = 0; i < texts.size(); ++i)
        if (texts[i].first - 2 <= markMiddle && markMiddle <= texts[i].second + 2)
            return static_cast<int>(i);
    return -1;
}

} // namespace gui
