// Screen reads through the desktop DC, which under Wine on Xvfb returns what the X server
// shows (callers wait on the expected pixels, since painting is asynchronous), and the
// reference drawings of text that a reading is compared with.
#include "Pixels.h"

#include <algorithm>
#include <vector>

namespace gui {

namespace {

// A top-down 32-bit bitmap selected into a memory DC for the scope of one reading.
class TDibCanvas {
public:
    TDibCanvas(int width, int height) {
        FScreen = GetDC(nullptr);
        FMemory = CreateCompatibleDC(FScreen);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height; // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        FBitmap = CreateDIBSection(FMemory, &info, DIB_RGB_COLORS, &FBits, nullptr, 0);
        if (FBitmap != nullptr) FOld = SelectObject(FMemory, FBitmap);
    }
    ~TDibCanvas() {
        if (FBitmap != nullptr) {
            SelectObject(FMemory, FOld);
            DeleteObject(FBitmap);
        }
        DeleteDC(FMemory);
        ReleaseDC(nullptr, FScreen);
    }
    TDibCanvas(const TDibCanvas&) = delete;
    TDibCanvas& operator=(const TDibCanvas&) = delete;

    bool Valid() const { return FBitmap != nullptr; }
    HDC Screen() const { return FScreen; }
    HDC Dc() const { return FMemory; }
    // BGRA in memory -> COLORREF 0x00BBGGRR.
    void CopyTo(std::vector<COLORREF>& pixels, size_t count) const {
        GdiFlush();
        const auto* raw = static_cast<const DWORD*>(FBits);
        pixels.resize(count);
        for (size_t i = 0; i < count; ++i)
            pixels[i] = RGB(raw[i] >> 16 & 0xFF, raw[i] >> 8 & 0xFF, raw[i] & 0xFF);
    }

private:
    HDC FScreen = nullptr;
    HDC FMemory = nullptr;
    HBITMAP FBitmap = nullptr;
    HGDIOBJ FOld = nullptr;
    void* FBits = nullptr;
};

// Row bands [first, last] in which `marked(x, y)` holds for some x in [left, right).
template <typename TMarked>
std::vector<std::pair<int, int>> Bands(const TPixels& grab, int left, int right, TMarked marked) {
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

TPixels TPixels::OfScreen(const RECT& area) {
    TPixels grab(area.right - area.left, area.bottom - area.top);
    if (grab.FWidth <= 0 || grab.FHeight <= 0) return grab;
    TDibCanvas canvas(grab.FWidth, grab.FHeight);
    if (!canvas.Valid()) return grab;
    BitBlt(canvas.Dc(), 0, 0, grab.FWidth, grab.FHeight, canvas.Screen(), area.left, area.top,
           SRCCOPY);
    canvas.CopyTo(grab.FPixels, static_cast<size_t>(grab.FWidth) * grab.FHeight);
    return grab;
}

TPixels TPixels::OfText(HFONT font, const std::string& text, COLORREF ink, COLORREF paper) {
    SIZE size{};
    {
        HDC screen = GetDC(nullptr);
        HGDIOBJ old = SelectObject(screen, font);
        GetTextExtentPoint32A(screen, text.c_str(), static_cast<int>(text.size()), &size);
        TEXTMETRICA metrics{};
        GetTextMetricsA(screen, &metrics);
        size.cy = metrics.tmHeight;
        SelectObject(screen, old);
        ReleaseDC(nullptr, screen);
    }
    TPixels image(size.cx + 2 * TEXT_MARGIN, size.cy + 2 * TEXT_MARGIN);
    TDibCanvas canvas(image.FWidth, image.FHeight);
    if (!canvas.Valid()) return image;
    HBRUSH brush = CreateSolidBrush(paper);
    const RECT all{0, 0, image.FWidth, image.FHeight};
    FillRect(canvas.Dc(), &all, brush);
    DeleteObject(brush);
    HGDIOBJ old = SelectObject(canvas.Dc(), font);
    SetTextColor(canvas.Dc(), ink);
    SetBkMode(canvas.Dc(), TRANSPARENT);
    TextOutA(canvas.Dc(), TEXT_MARGIN, TEXT_MARGIN, text.c_str(), static_cast<int>(text.size()));
    SelectObject(canvas.Dc(), old);
    canvas.CopyTo(image.FPixels, static_cast<size_t>(image.FWidth) * image.FHeight);
    return image;
}

int TPixels::InkedRows(int left, int right, COLORREF paper) const {
    int rows = 0;
    for (int y = 0; y < FHeight; ++y) {
        bool inked = false;
        for (int x = std::max(left, 0); x < std::min(right, FWidth) && !inked; ++x)
            inked = At(x, y) != paper;
        rows += inked ? 1 : 0;
    }
    return rows;
}

COLORREF ScreenPixel(POINT screen) {
    const TPixels grab = TPixels::OfScreen(RECT{screen.x, screen.y, screen.x + 1, screen.y + 1});
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
    const TPixels grab = TPixels::OfScreen(area);
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
