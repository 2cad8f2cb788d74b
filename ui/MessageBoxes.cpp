// The message boxes as dialogs built from an in-memory template: a Windows dialog (class
// "#32770"), laid out for its text and centred on the screen.
#include "ui/MessageBoxes.h"

#include "platform/Handles.h"
#include "ui/Dpi.h"

#include <algorithm>
#include <vector>

namespace {

HWND Owner = nullptr;

enum class TBox { Plain, Confirm, Error };

struct TBoxRequest {
    TBox Kind;
    const std::string* Text;
    TGdiObject Font;
};

// The box's figures at 96 DPI.
constexpr int MARGIN = 12;
constexpr int ICON_SIZE = 32;
constexpr int BUTTON_W = 75;
constexpr int BUTTON_H = 23;
constexpr int BUTTON_GAP = 6;

// A dialog template with no controls and no font: everything is placed in WM_INITDIALOG.
std::vector<WORD> EmptyTemplate(const char* title) {
    std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
    auto* header = reinterpret_cast<DLGTEMPLATE*>(words.data());
    header->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    header->cdit = 0;
    header->cx = 100;
    header->cy = 50;
    words.push_back(0); // no menu
    words.push_back(0); // the standard dialog class
    const int length = MultiByteToWideChar(CP_ACP, 0, title, -1, nullptr, 0);
    std::vector<wchar_t> wide(length > 0 ? length : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, title, -1, wide.data(), length);
    for (wchar_t c : wide)
        words.push_back(static_cast<WORD>(c));
    return words;
}

HWND AddChild(HWND dialog, const char* cls, const char* text, DWORD style, int id, RECT r,
              HFONT font) {
    HWND child = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                                 r.right - r.left, r.bottom - r.top, dialog,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleA(nullptr), nullptr);
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

void LayOut(HWND dialog, TBoxRequest& request) {
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    request.Font.reset(CreateFontIndirectA(&metrics.lfMessageFont));
    HFONT font = static_cast<HFONT>(request.Font.get());
    // The message font comes scaled; the box's own figures are scaled here.
    const int dpi = WindowDpi(dialog);
    const int margin = Scaled(MARGIN, dpi), iconSize = Scaled(ICON_SIZE, dpi);
    const int buttonW = Scaled(BUTTON_W, dpi), buttonH = Scaled(BUTTON_H, dpi);
    const int buttonGap = Scaled(BUTTON_GAP, dpi);

    // Measure the text as the static control will draw it, wrapped at 3/5 of the screen.
    RECT text = {0, 0, GetSystemMetrics(SM_CXSCREEN) * 3 / 5, 0};
    {
        TWindowDC dc(dialog);
        TSelection selected(dc.get(), font);
        const std::string& s = *request.Text;
        DrawTextA(dc.get(), s.empty() ? " " : s.c_str(), -1, &text,
                  DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    }
    const int textW = text.right - text.left, textH = text.bottom - text.top;
    const bool hasIcon = request.Kind != TBox::Plain;
    const int textLeft = margin + (hasIcon ? iconSize + margin : 0);
    const int bodyH = std::max(textH, hasIcon ? iconSize : 0);
    const int buttons = request.Kind == TBox::Confirm ? 2 : 1;
    const int buttonsW = buttons * buttonW + (buttons - 1) * buttonGap;
    const int clientW = std::max(textLeft + textW + margin, buttonsW + 2 * margin);
    const int buttonsTop = margin + bodyH + margin;
    const int clientH = buttonsTop + buttonH + margin;

    if (hasIcon) {
        HWND icon = AddChild(dialog, "STATIC", nullptr, SS_ICON, BOX_ICON_ID,
                             {margin, margin, margin + iconSize, margin + iconSize}, font);
        HICON image = LoadIconA(nullptr, request.Kind == TBox::Confirm ? IDI_WARNING : IDI_ERROR);
        SendMessageA(icon, STM_SETICON, reinterpret_cast<WPARAM>(image), 0);
    }
    const int textTop = margin + (bodyH - textH) / 2;
    AddChild(dialog, "STATIC", request.Text->c_str(), SS_LEFT | SS_NOPREFIX, BOX_TEXT_ID,
             {textLeft, textTop, textLeft + textW, textTop + textH}, font);

    int left = (clientW - buttonsW) / 2;
    HWND first = nullptr;
    auto addButton = [&](const char* caption, int id, bool isDefault) {
        HWND b = AddChild(dialog, "BUTTON", caption,
                          WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), id,
                          {left, buttonsTop, left + buttonW, buttonsTop + buttonH}, font);
        left += buttonW + buttonGap;
        if (!first) first = b;
    };
    if (request.Kind == TBox::Confirm) {
        addButton("&Yes", IDYES, true);
        addButton("&No", IDNO, false);
    } else {
        addButton("OK", IDOK, true);
    }
    SendMessageA(dialog, DM_SETDEFID, GetDlgCtrlID(first), 0);

    RECT outer = {0, 0, clientW, clientH};
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_EXSTYLE)));
    const int w = outer.right - outer.left, h = outer.bottom - outer.top;
    SetWindowPos(dialog, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, SWP_NOZORDER);
    SetFocus(first);
}

INT_PTR CALLBACK BoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        LayOut(dialog, *reinterpret_cast<TBoxRequest*>(lParam));
        return FALSE; // the focus is set
    case WM_COMMAND: {
        const auto* request = reinterpret_cast<TBoxRequest*>(GetWindowLongPtrA(dialog, DWLP_USER));
        const int id = LOWORD(wParam);
        // Escape and the close button arrive as IDCANCEL: OK for one-button boxes, No for
        // the confirmation.
        if (id == IDCANCEL) {
            EndDialog(dialog, request && request->Kind == TBox::Confirm ? IDNO : IDOK);
            return TRUE;
        }
        if (id == IDOK || id == IDYES || id == IDNO) {
            EndDialog(dialog, id);
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

INT_PTR RunBox(TBox kind, const char* title, const std::string& text) {
    std::vector<WORD> words = EmptyTemplate(title);
    TBoxRequest request{kind, &text, TGdiObject()};
    const HWND owner = Owner && IsWindow(Owner) ? Owner : nullptr;
    return DialogBoxIndirectParamA(GetModuleHandleA(nullptr),
                                   reinterpret_cast<LPCDLGTEMPLATEA>(words.data()), owner, &BoxProc,
                                   reinterpret_cast<LPARAM>(&request));
}

} // namespace

void SetMessageBoxOwner(HWND owner) {
    Owner = owner;
}

void ShowPlainMessage(const std::string& text) {
    RunBox(TBox::Plain, APPLICATION_TITLE, text);
}

bool AskConfirmation(const std::string& text) {
    return RunBox(TBox::Confirm, "Warning", text) == IDYES;
}

void ShowErrorMessage(const std::string& text) {
    RunBox(TBox::Error, APPLICATION_TITLE, text);
}
