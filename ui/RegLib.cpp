// TfGeneral: the window procedure and its boundary (no exception crosses it), the
// controls built from the layout table, drawing and colours, the keyboard rules, the
// popup menu and the handlers of selection and registration.
#include "ui/RegLib.h"

#include "actions/ServerEntry.h"
#include "inventory/Scan.h"
#include "platform/WinPlatform.h"
#include "ui/ControlIds.h"
#include "ui/Credits.h"
#include "ui/ErrorText.h"
#include "ui/KeyRules.h"
#include "ui/Layout.h"
#include "ui/MessageBoxes.h"
#include "ui/OSName.h"
#include "ui/Selection.h"
#include "ui/ShellCalls.h"

#include <commctrl.h>

#include <exception>
#include <vector>

TfGeneral* fGeneral = nullptr;

namespace {

// Shows what escaped a handler and lets the message loop go on with the next message.
void ReportHandlerFailure(const char* what) {
    ShowErrorMessage(ErrorBoxText(what));
}

LRESULT CALLBACK PanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(panel, &paint);
        RECT r;
        GetClientRect(panel, &r);
        DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
        EndPaint(panel, &paint);
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

std::string ListLine(HWND list, LRESULT index) {
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) return {};
    std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

bool NoModifiers() {
    return GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0;
}

} // namespace

TfGeneral::~TfGeneral() {
    if (fGeneral == this) fGeneral = nullptr;
}

bool TfGeneral::Create(HINSTANCE instance) {
    if (!RegisterClasses(instance, &WindowProc)) return false;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - FORM_WIDTH) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - FORM_HEIGHT) / 2;
    // Sizeable, with the system menu and close button only.
    FHandle =
        CreateWindowExA(WS_EX_CONTROLPARENT, MAIN_WINDOW_CLASS, APPLICATION_TITLE,
                        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN,
                        left, top, FORM_WIDTH, FORM_HEIGHT, nullptr, nullptr, instance, this);
    if (!FHandle) return false;
    fGeneral = this;
    SetMessageBoxOwner(FHandle);
    try {
        FormCreate();
    } catch (const std::exception& e) {
        ReportHandlerFailure(e.what());
    } catch (...) {
        ReportHandlerFailure("Error inesperado");
    }
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

HFONT TfGeneral::FontFor(int height, bool bold) {
    if (height <= 0) height = BASE_FONT_HEIGHT;
    if (height >= 40) height = 39;
    TGdiObject& font = FFonts[bold ? 1 : 0][height];
    if (!font)
        // A negative height asks for that character height in pixels, not scaled by DPI.
        font.reset(CreateFontA(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                               DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Tahoma"));
    return static_cast<HFONT>(font.get());
}

void TfGeneral::CreateControls() {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(FHandle, GWLP_HINSTANCE));
    SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(BASE_FONT_HEIGHT, false)),
                 FALSE);
    for (std::size_t i = 0; i < LayoutCount; ++i) {
        const TControlRow& row = Layout[i];
        HWND parent = row.Parent ? GetDlgItem(FHandle, row.Parent) : FHandle;
        std::string caption = row.Caption;
        if (row.Kind == TControlKind::Link)
            caption =
                std::string("Programado por ") + CREDITS_AUTHOR + " - WebSite: " + CREDITS_SITE;
        HWND control = CreateWindowExA(
            ExStyleOf(row.Kind), WindowClassOf(row.Kind), caption.c_str(), StyleOf(row),
            row.Left, row.Top, row.Width, row.Height, parent,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.Id)), instance, nullptr);
        if (!control) continue;
        SendMessageA(control, WM_SETFONT,
                     reinterpret_cast<WPARAM>(FontFor(row.FontHeight, row.Bold)), FALSE);
        if (row.Kind == TControlKind::Label) SetLabelCaption(row.Id, caption);
    }
    // The list's own keyboard search is replaced by ours.
    HWND list = Control(IDC_LLIBRERIAS);
    SetWindowLongPtrA(list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    FListDefault = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ListProc)));
    // Labels and access keys underlined from the start, not only after Alt is pressed.
    SendMessageA(FHandle, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL | UISF_HIDEFOCUS),
                 0);

    FPopup.reset(CreatePopupMenu());
    AppendMenuA(FPopup.get(), MF_STRING, IDM_MNUREFRESH, "Actualizar listado...");
    AppendMenuA(FPopup.get(), MF_STRING, IDM_REGISTRARTODAS, "Registrar todas las librerías...");
    AppendMenuA(FPopup.get(), MF_STRING, IDM_DESCARGARAQUI,
                "Forzar &descargar las librerías en el directorio actual.");
    AppendMenuA(FPopup.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuA(FPopup.get(), MF_STRING, IDM_EXPLORARYREGISTRAR,
                "&Examinar y registrar otra librería...");
    FBlackBrush.reset(CreateSolidBrush(RGB(0, 0, 0)));
}

void TfGeneral::SetLabelCaption(int id, const std::string& text) {
    HWND label = Control(id);
    if (!label) return;
    SetWindowTextA(label, text.c_str());
    RECT r = {0, 0, 0, 0};
    HDC dc = GetDC(label);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
    DrawTextA(dc, text.empty() ? "" : text.c_str(), -1, &r,
              DT_CALCRECT | DT_EXPANDTABS | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    // Grows to the right from its left edge; a label on the panel is clipped by it.
    SetWindowPos(label, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(label, nullptr, TRUE);
}

LRESULT CALLBACK TfGeneral::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* self = static_cast<TfGeneral*>(create->lpCreateParams);
        self->FHandle = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TfGeneral*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    // The boundary: an error inside a handler ends that handler only.
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (const std::exception& e) {
        ReportHandlerFailure(e.what());
    } catch (...) {
        ReportHandlerFailure("Error inesperado");
    }
    return 0;
}

LRESULT CALLBACK TfGeneral::ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TfGeneral*>(GetWindowLongPtrA(list, GWLP_USERDATA));
    try {
        if (message == WM_CHAR) {
            self->ListChar(static_cast<char>(wParam));
            return 0;
        }
    } catch (const std::exception& e) {
        ReportHandlerFailure(e.what());
        return 0;
    } catch (...) {
        ReportHandlerFailure("Error inesperado");
        return 0;
    }
    return CallWindowProcA(self->FListDefault, list, message, wParam, lParam);
}

void TfGeneral::ListChar(char typed) {
    HWND list = Control(IDC_LLIBRERIAS);
    std::vector<std::string> lines;
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
        lines.push_back(ListLine(list, i));
    const std::optional<std::size_t> line = FTypeAhead.Key(typed, GetTickCount(), lines);
    if (!line) return;
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(*line), 0);
    lLibreriasClick();
}

LRESULT TfGeneral::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        CreateControls();
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlID != IDC_LLIBRERIAS) break;
        measure->itemHeight = LIST_LINE_HEIGHT;
        return TRUE;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID == IDC_LLIBRERIAS) {
            DrawListLine(*item);
            return TRUE;
        }
        if (item->CtlID == IDC_LABEL3) {
            DrawCredits(*item);
            return TRUE;
        }
        break;
    }
    case WM_CTLCOLORSTATIC:
        return ColourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == Control(IDC_LABEL3)) {
            SetCursor(LoadCursorA(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    case WM_ACTIVATE:
        // Like a dialog: remember the focused control when deactivated, give it back when
        // activated again; the first activation focuses the list.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(FHandle, focus)) FLastFocus = focus;
        } else {
            HWND target = FLastFocus && IsWindow(FLastFocus) ? FLastFocus : Control(IDC_LLIBRERIAS);
            SetFocus(target);
        }
        return 0;
    case WM_CLOSE:
        if (FormCloseQuery()) DestroyWindow(FHandle);
        return 0;
    case WM_DESTROY:
        SetMessageBoxOwner(nullptr);
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(FHandle, message, wParam, lParam);
}

void TfGeneral::OnCommand(int id, int code) {
    switch (id) {
    case IDC_LLIBRERIAS:
        if (code == LBN_SELCHANGE) lLibreriasClick();
        return;
    case IDC_LABEL3:
        if (code == STN_CLICKED) Label3Click();
        return;
    case IDC_BTNEXTRA:
        btnExtraClick();
        return;
    case IDC_CMDDESCARGAR:
        cmdDescargarClick();
        return;
    case IDC_CMDDETENER:
        cmdDetenerClick();
        return;
    case IDC_CMDREGISTRAR:
        cmdRegistrarClick();
        return;
    case IDC_CMDREREGISTRAR:
        cmdReRegistrarClick();
        return;
    case IDM_MNUREFRESH:
        mnuRefreshClick();
        return;
    case IDM_REGISTRARTODAS:
        Registrartodaslaslibreras1Click();
        return;
    case IDM_DESCARGARAQUI:
        Descargarlibreraeneldirectorioactual1Click();
        return;
    case IDM_EXPLORARYREGISTRAR:
        Exploraryregistrarotralibrera1Click();
        return;
    default:
        return;
    }
}

void TfGeneral::DrawListLine(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT line = item.rcItem;
    if (item.itemID != static_cast<UINT>(-1)) {
        const bool selected = (item.itemState & ODS_SELECTED) != 0;
        FillRect(dc, &line, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        SetBkMode(dc, TRANSPARENT);
        HGDIOBJ old = SelectObject(
            dc, reinterpret_cast<HGDIOBJ>(SendMessageA(item.hwndItem, WM_GETFONT, 0, 0)));
        const std::string text = ListLine(item.hwndItem, static_cast<LRESULT>(item.itemID));
        RECT textRect = line;
        textRect.left += 2;
        // One line, vertically centred, clipped to its own line.
        DrawTextA(dc, text.c_str(), -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        SelectObject(dc, old);
    }
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &line);
}

void TfGeneral::DrawCredits(const DRAWITEMSTRUCT& item) {
    RECT r = item.rcItem;
    FillRect(item.hDC, &r, static_cast<HBRUSH>(FBlackBrush.get()));
    SetTextColor(item.hDC, RGB(0, 255, 0));
    SetBkMode(item.hDC, TRANSPARENT);
    const TControlRow* row = FindControlRow(IDC_LABEL3);
    HGDIOBJ old = SelectObject(item.hDC, FontFor(row->FontHeight, row->Bold));
    const std::string text = ControlText(IDC_LABEL3);
    DrawTextA(item.hDC, text.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(item.hDC, old);
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

bool TfGeneral::Usable(int id) const {
    HWND control = Control(id);
    return control && IsWindowEnabled(control) && IsWindowVisible(control);
}

std::string TfGeneral::ControlText(int id) const {
    HWND control = Control(id);
    const int length = control ? GetWindowTextLengthA(control) : 0;
    if (length <= 0) return {};
    std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
    GetWindowTextA(control, text.data(), length + 1);
    return text.data();
}

bool TfGeneral::PreTranslate(const MSG& message) {
    if (!FHandle || (message.hwnd != FHandle && !IsChild(FHandle, message.hwnd))) return false;
    const TUsable usable = [this](int id) { return Usable(id); };
    HWND focus = GetFocus();
    const int focusedId = focus && IsChild(FHandle, focus) ? GetDlgCtrlID(focus) : 0;
    auto press = [this](int id) {
        SendMessageA(FHandle, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(Control(id)));
    };
    if (message.message == WM_KEYDOWN) {
        switch (message.wParam) {
        case VK_RETURN: {
            if (!NoModifiers()) return false;
            const std::optional<int> target = EnterTarget(focusedId, usable);
            if (target) press(*target);
            return target.has_value() || focusedId != 0;
        }
        case VK_ESCAPE:
            return true; // Escape does nothing in this window
        case VK_TAB: {
            if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
            const std::optional<int> next =
                NextTabStop(focusedId, GetKeyState(VK_SHIFT) < 0, usable);
            if (next) {
                HWND control = Control(*next);
                SetFocus(control);
                if (*next == IDC_TPATH || *next == IDC_TVERSION)
                    SendMessageA(control, EM_SETSEL, 0, -1);
            }
            return true;
        }
        default:
            return false;
        }
    }
    if (message.message == WM_SYSCHAR) {
        const std::optional<int> target =
            AccessKeyTarget(static_cast<char>(message.wParam), usable);
        if (!target) return false;
        press(*target);
        return true;
    }
    return false;
}

void TfGeneral::RefreshList() {
    HWND list = Control(IDC_LLIBRERIAS);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    std::vector<std::string> lines;
    ScanLibraries(WindowsPlatform(), lines);
    for (const std::string& line : lines)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    SetLabelCaption(IDC_LBLSO, GetOSName(WindowsPlatform()));
}

bool TfGeneral::ForceHere() const {
    return (GetMenuState(FPopup.get(), IDM_DESCARGARAQUI, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void TfGeneral::FormCreate() {
    PumpMessages();
    SetWindowTextA(FHandle, (std::string(APPLICATION_TITLE) + GetProgramVersionSuffix()).c_str());
    CreateBindCallback();
    RefreshList();
}

void TfGeneral::lLibreriasClick() {
    const std::optional<std::size_t> line = SelectedLine();
    if (!line) return;
    const TSelectionView view = DecideSelection(Libraries[*line], ForceHere());
    SetWindowTextA(Control(IDC_TPATH), view.PathText.c_str());
    SetWindowTextA(Control(IDC_TVERSION), view.VersionText.c_str());
    if (!FVersionColoured || FVersionColour != view.VersionColour) {
        FVersionColour = view.VersionColour;
        FVersionBrush.reset(CreateSolidBrush(FVersionColour));
        FVersionColoured = true;
    }
    InvalidateRect(Control(IDC_TVERSION), nullptr, TRUE);
    EnableWindow(Control(IDC_CMDREGISTRAR), view.Registrar);
    EnableWindow(Control(IDC_CMDDESCARGAR), view.Descargar);
    EnableWindow(Control(IDC_CMDREREGISTRAR), view.ReRegistrar);
}

void TfGeneral::btnExtraClick() {
    const TControlRow* button = FindControlRow(IDC_BTNEXTRA);
    POINT at = {button->Left + 15, button->Top + 15};
    ClientToScreen(FHandle, &at);
    TrackPopupMenu(FPopup.get(), TPM_LEFTALIGN | TPM_LEFTBUTTON, at.x, at.y, 0, FHandle, nullptr);
}

void TfGeneral::mnuRefreshClick() {
    RefreshList();
    PumpMessages();
}

void TfGeneral::Descargarlibreraeneldirectorioactual1Click() {
    CheckMenuItem(FPopup.get(), IDM_DESCARGARAQUI,
                  MF_BYCOMMAND | (ForceHere() ? MF_UNCHECKED : MF_CHECKED));
}

void TfGeneral::Label3Click() {
    ShellOpen(FHandle, CREDITS_SITE);
}

void TfGeneral::cmdRegistrarClick() {
    RegisterPathFieldLibrary(*this);
}
void TfGeneral::cmdReRegistrarClick() {
    ReRegisterSelected(*this, Libraries);
}
void TfGeneral::Registrartodaslaslibreras1Click() {
    RegisterAllLibraries(*this, Libraries);
}
void TfGeneral::Exploraryregistrarotralibrera1Click() {
    BrowseAndRegister(*this);
}

bool TfGeneral::CallServerEntry(const std::string& path, int index) {
    return ::CallServerEntry(path, index);
}

bool TfGeneral::FileExists(const std::string& path) {
    return WindowsPlatform().FileExists(path);
}

void TfGeneral::PumpMessages() {
    ::PumpMessages();
}

void TfGeneral::ShowMessage(const std::string& text) {
    ShowPlainMessage(text);
}

std::string TfGeneral::PathFieldText() {
    return ControlText(IDC_TPATH);
}

std::optional<std::size_t> TfGeneral::SelectedLine() {
    const LRESULT line = SendMessageA(Control(IDC_LLIBRERIAS), LB_GETCURSEL, 0, 0);
    if (line == LB_ERR || line < 0 || static_cast<std::size_t>(line) >= LIBRARY_COUNT)
        return std::nullopt;
    return static_cast<std::size_t>(line);
}

std::optional<std::string> TfGeneral::BrowseForLibrary() {
    const std::string filter = DialogFilter(LIBRARY_FILTER);
    const std::string initial = WindowsPlatform().CurrentDirectory();
    std::vector<char> file(32768, '\0');
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = FHandle;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = initial.c_str();
    // Only "must exist": the working directory the dialog leaves behind is kept on purpose.
    dialog.Flags = OFN_FILEMUSTEXIST;
    if (!ShowOpenFileDialog(&dialog)) return std::nullopt;
    return std::string(file.data());
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Leave the quit request for the message loop that owns it.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (fGeneral && fGeneral->PreTranslate(message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

int RunMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (fGeneral && fGeneral->PreTranslate(message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

std::string GetProgramVersionSuffix() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    const std::optional<TVersionParts> parts = GetFileVersionParts(WindowsPlatform(), path);
    return parts ? " v" + FormatVersion(*parts) : std::string();
}
