// The main window's classes and its creation: the panel class, the window built from the
// layout table with its fonts at the window's DPI (and built again at a new one), and
// FormCreate, which names the window, creates the progress callback and runs the first
// scan before the window is shown.
#include "ui/RegLib.h"

#include "actions/BindStatusCallback.h"
#include "ui/ControlIds.h"
#include "ui/Credits.h"
#include "ui/Dpi.h"
#include "ui/Layout.h"
#include "ui/MessageBoxes.h"
#include "ui/MessageLoop.h"
#include "ui/ProgramVersion.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>
#include <vector>

TfGeneral* fGeneral = nullptr;

namespace {

// The window class registered for panels (a raised one-pixel bevel that passes its
// children's colour requests on to the window).
constexpr const char* PANEL_CLASS = "TPanel";

LRESULT CALLBACK PanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        TPaint paint(panel);
        RECT r;
        GetClientRect(panel, &r);
        DrawEdge(paint.get(), &r, BDR_RAISEDINNER, BF_RECT);
        return 0;
    }
    // The labels on the panel take their colours and commands from the window.
    case WM_CTLCOLORSTATIC:
    case WM_COMMAND:
        return SendMessageA(GetParent(panel), message, wParam, lParam);
    default:
        return DefWindowProcA(panel, message, wParam, lParam);
    }
}

bool RegisterClasses(HINSTANCE instance, WNDPROC mainProc) {
    WNDCLASSEXA panel = {};
    panel.cbSize = sizeof(panel);
    panel.lpfnWndProc = &PanelProc;
    panel.hInstance = instance;
    panel.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    panel.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    panel.lpszClassName = PANEL_CLASS;
    WNDCLASSEXA main = {};
    main.cbSize = sizeof(main);
    main.lpfnWndProc = mainProc;
    main.hInstance = instance;
    main.hIcon =
        static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    main.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXSMICON),
                                                 GetSystemMetrics(SM_CYSMICON), 0));
    main.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    main.lpszClassName = MAIN_WINDOW_CLASS;
    return RegisterClassExA(&panel) != 0 && RegisterClassExA(&main) != 0;
}

const char* WindowClassOf(TControlKind kind) {
    switch (kind) {
    case TControlKind::Label:
    case TControlKind::Link:
        return "STATIC";
    case TControlKind::List:
        return "LISTBOX";
    case TControlKind::Panel:
        return PANEL_CLASS;
    case TControlKind::Button:
        return "BUTTON";
    case TControlKind::ReadOnlyEdit:
        return "EDIT";
    case TControlKind::ProgressBar:
        return PROGRESS_CLASSA;
    }
    return "STATIC";
}

DWORD StyleOf(const TControlRow& row) {
    DWORD style = WS_CHILD;
    if (row.Visible) style |= WS_VISIBLE;
    if (!row.Enabled) style |= WS_DISABLED;
    switch (row.Kind) {
    case TControlKind::Label:
        return style | SS_LEFT | SS_NOPREFIX;
    // Drawn by the window (lime on black, bold, centred both ways on one line), since the
    // static control's own centring is not reliable under Wine; SS_NOTIFY so that clicks
    // reach the window. Its text stays readable through WM_GETTEXT.
    case TControlKind::Link:
        return style | SS_OWNERDRAW | SS_NOTIFY;
    // Owner-drawn for the 2-pixel indent and the clipping, yet with its strings kept so
    // that LB_GETTEXT works for screen readers and the test driver.
    case TControlKind::List:
        return style | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
               LBS_NOINTEGRALHEIGHT;
    case TControlKind::Panel:
        return style;
    case TControlKind::Button:
        return style | WS_TABSTOP | BS_PUSHBUTTON;
    case TControlKind::ReadOnlyEdit:
        return style | WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL;
    case TControlKind::ProgressBar:
        return style;
    }
    return style;
}

// The size a label takes for `text` in `font`, measured on `dc`.
SIZE LabelSize(HDC dc, HFONT font, const std::string& text) {
    RECT r = {0, 0, 0, 0};
    TSelection selected(dc, font);
    DrawTextA(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_EXPANDTABS | DT_NOPREFIX);
    return {r.right - r.left, r.bottom - r.top};
}

DWORD ExStyleOf(TControlKind kind) {
    return kind == TControlKind::List || kind == TControlKind::ReadOnlyEdit ? WS_EX_CLIENTEDGE : 0;
}

} // namespace

TfGeneral::~TfGeneral() {
    if (fGeneral == this) fGeneral = nullptr;
}

bool TfGeneral::Create(HINSTANCE instance) {
    if (!RegisterClasses(instance, &WindowProc)) return false;
    // Sizeable, with the system menu and close button only. Its size and place wait for
    // its DPI, which it has once it exists (WM_CREATE reads it).
    FHandle =
        CreateWindowExA(WS_EX_CONTROLPARENT, MAIN_WINDOW_CLASS, APPLICATION_TITLE,
                        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN,
                        0, 0, FORM_WIDTH, FORM_HEIGHT, nullptr, nullptr, instance, this);
    if (!FHandle) return false;
    // Centred on the screen; a window larger than the screen keeps its caption on it.
    const int width = Scale(FORM_WIDTH), height = Scale(FORM_HEIGHT);
    SetWindowPos(FHandle, nullptr, std::max(0, (GetSystemMetrics(SM_CXSCREEN) - width) / 2),
                 std::max(0, (GetSystemMetrics(SM_CYSCREEN) - height) / 2), width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    fGeneral = this;
    SetMessageBoxOwner(FHandle);
    RunHandler([this] { FormCreate(); });
    return true;
}

void TfGeneral::Show() {
    ShowWindow(FHandle, SW_SHOWNORMAL);
    UpdateWindow(FHandle);
}

HWND TfGeneral::Control(int id) const {
    const TControlRow* row = FindControlRow(id);
    if (!row || !FHandle) return nullptr;
    HWND parent = row->Parent ? GetDlgItem(FHandle, row->Parent) : FHandle;
    return GetDlgItem(parent, id);
}

std::string TfGeneral::ControlText(int id) const {
    HWND control = Control(id);
    const int length = control ? GetWindowTextLengthA(control) : 0;
    if (length <= 0) return {};
    std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
    GetWindowTextA(control, text.data(), length + 1);
    return text.data();
}

int TfGeneral::Scale(int value) const {
    return Scaled(value, FDpi);
}

RECT TfGeneral::Placement(const TControlRow& row, HDC measure, HFONT font,
                          const std::string& text) const {
    const int left = Scale(row.Left), top = Scale(row.Top);
    SIZE size = {Scale(row.Width), Scale(row.Height)};
    if (row.Kind == TControlKind::Label) size = LabelSize(measure, font, text);
    return {left, top, left + size.cx, top + size.cy};
}

void TfGeneral::CreateControls() {
    FDpi = WindowDpi(FHandle);
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(FHandle, GWLP_HINSTANCE));
    SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(BASE_FONT_HEIGHT, false)),
                 FALSE);
    // Each label is created at the size of its text, measured on one device context of the
    // (still hidden) window, instead of being created, measured on a context of its own,
    // resized and repainted.
    const TWindowDC measure(FHandle);
    for (std::size_t i = 0; i < LayoutCount; ++i) {
        const TControlRow& row = Layout[i];
        HWND parent = row.Parent ? GetDlgItem(FHandle, row.Parent) : FHandle;
        std::string caption = row.Caption;
        if (row.Kind == TControlKind::Link)
            caption =
                std::string("Programado por ") + CREDITS_AUTHOR + " - WebSite: " + CREDITS_SITE;
        const HFONT font = FontFor(row.FontHeight, row.Bold);
        const RECT at = Placement(row, measure.get(), font, caption);
        HWND control = CreateWindowExA(
            ExStyleOf(row.Kind), WindowClassOf(row.Kind), caption.c_str(), StyleOf(row), at.left,
            at.top, at.right - at.left, at.bottom - at.top, parent,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.Id)), instance, nullptr);
        if (control) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    // The list's own keyboard search is replaced by ours.
    HWND list = Control(IDC_LLIBRERIAS);
    SetWindowLongPtrA(list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    FListDefault = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ListProc)));
    // Labels and access keys underlined from the start, not only after Alt is pressed.
    SendMessageA(FHandle, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL | UISF_HIDEFOCUS),
                 0);
    BuildPopupMenu();
    FBlackBrush.reset(CreateSolidBrush(RGB(0, 0, 0)));
}

void TfGeneral::ChangeDpi(int dpi, const RECT& suggested) {
    FDpi = dpi;
    // The controls keep drawing with the old fonts until they are handed the new ones;
    // the old ones are freed when this returns.
    const std::unique_ptr<TFontTable> old = std::exchange(FFonts, std::make_unique<TFontTable>());
    SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(BASE_FONT_HEIGHT, false)),
                 FALSE);
    const TWindowDC measure(FHandle);
    for (std::size_t i = 0; i < LayoutCount; ++i) {
        const TControlRow& row = Layout[i];
        HWND control = Control(row.Id);
        const HFONT font = FontFor(row.FontHeight, row.Bold);
        const RECT at = Placement(row, measure.get(), font, ControlText(row.Id));
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        SetWindowPos(control, nullptr, at.left, at.top, at.right - at.left, at.bottom - at.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SendMessageA(Control(IDC_LLIBRERIAS), LB_SETITEMHEIGHT, 0, Scale(LIST_LINE_HEIGHT));
    SetWindowPos(FHandle, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(FHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TfGeneral::SetLabelCaption(int id, const std::string& text) {
    HWND label = Control(id);
    if (!label) return;
    SetWindowTextA(label, text.c_str());
    const SIZE size =
        LabelSize(TWindowDC(label).get(),
                  reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)), text);
    // Grows to the right from its left edge; a label on the panel is clipped by it.
    SetWindowPos(label, nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(label, nullptr, TRUE);
}

void TfGeneral::FormCreate() {
    PumpMessages();
    SetWindowTextA(FHandle, (std::string(APPLICATION_TITLE) + GetProgramVersionSuffix()).c_str());
    CreateBindCallback();
    RefreshList();
}
