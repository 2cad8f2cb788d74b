// The control table of the main window and the window styles of each kind of control.
#include "ui/Layout.h"

#include "ui/ControlIds.h"

#include <commctrl.h>

namespace {
using K = TControlKind;
constexpr bool Shown = true, Hidden = false, On = true, Off = false;
} // namespace

// clang-format off
const TControlRow Layout[] = {
//   name             id                  kind            parent    left top  w    h    caption                 font bold  visible enabled
    {"Label1",         IDC_LABEL1,         K::Label,       0,        8,   8,   120, 39,  "Librerías",            32,  false, Shown,  On},
    {"lLibrerias",     IDC_LLIBRERIAS,     K::List,        0,        8,   48,  273, 353, "",                     16,  false, Shown,  On},
    {"pnl1",           IDC_PNL1,           K::Panel,       0,        288, 56,  161, 49,  "",                     0,   false, Shown,  On},
    {"lbl1",           IDC_LBL1,           K::Label,       IDC_PNL1, 13,  8,   92,  13,  "Sistema Operativo:",   11,  false, Shown,  On},
    {"lblSO",          IDC_LBLSO,          K::Label,       IDC_PNL1, 13,  24,  12,  14,  "...",                  12,  true,  Shown,  On},
    {"btnExtra",       IDC_BTNEXTRA,       K::Button,      0,        416, 112, 33,  33,  "[...]",                11,  false, Shown,  On},
    {"lDownloading",   IDC_LDOWNLOADING,   K::Label,       0,        287, 213, 83,  13,  "Descargando...",       11,  true,  Hidden, On},
    {"pb1",            IDC_PB1,            K::ProgressBar, 0,        288, 232, 161, 25,  "",                     0,   false, Hidden, On},
    {"cmdDetener",     IDC_CMDDETENER,     K::Button,      0,        288, 264, 161, 41,  "&Detener",             19,  false, Hidden, On},
    {"cmdDescargar",   IDC_CMDDESCARGAR,   K::Button,      0,        288, 264, 161, 41,  "&Descargar",           19,  false, Shown,  Off},
    {"cmdRegistrar",   IDC_CMDREGISTRAR,   K::Button,      0,        288, 312, 161, 41,  "&Registrar",           19,  false, Shown,  Off},
    {"cmdReRegistrar", IDC_CMDREREGISTRAR, K::Button,      0,        287, 360, 162, 41,  "&Forzar registro",     19,  false, Shown,  Off},
    {"Label2",         IDC_LABEL2,         K::Label,       0,        8,   410, 30,  16,  "Path:",                13,  false, Shown,  On},
    {"tPath",          IDC_TPATH,          K::ReadOnlyEdit, 0,       64,  408, 385, 24,  "",                     13,  false, Shown,  On},
    {"Label4",         IDC_LABEL4,         K::Label,       0,        8,   435, 48,  16,  "Versión:",             13,  false, Shown,  On},
    {"tVersion",       IDC_TVERSION,       K::ReadOnlyEdit, 0,       63,  432, 386, 24,  "",                     13,  false, Shown,  On},
    {"Label3",         IDC_LABEL3,         K::Link,        0,        8,   456, 441, 25,  "",                     13,  true,  Shown,  On},
};
// clang-format on
const std::size_t LayoutCount = sizeof(Layout) / sizeof(Layout[0]);

const TControlRow* FindControlRow(int id) {
    for (std::size_t i = 0; i < LayoutCount; ++i)
        if (Layout[i].Id == id) return &Layout[i];
    return nullptr;
}

const char* WindowClassOf(TControlKind kind) {
    switch (kind) {
    case K::Label:
    case K::Link:
        return "STATIC";
    case K::List:
        return "LISTBOX";
    case K::Panel:
        return PANEL_CLASS;
    case K::Button:
        return "BUTTON";
    case K::ReadOnlyEdit:
        return "EDIT";
    case K::ProgressBar:
        return PROGRESS_CLASSA;
    }
    return "STATIC";
}

DWORD StyleOf(const TControlRow& row) {
    DWORD style = WS_CHILD;
    if (row.Visible) style |= WS_VISIBLE;
    if (!row.Enabled) style |= WS_DISABLED;
    switch (row.Kind) {
    case K::Label:
        return style | SS_LEFT | SS_NOPREFIX;
    // Drawn by the window (lime on black, bold, centred both ways on one line), since the
    // static control's own centring is not reliable under Wine; SS_NOTIFY so that clicks
    // reach the window. Its text stays readable through WM_GETTEXT.
    case K::Link:
        return style | SS_OWNERDRAW | SS_NOTIFY;
    // Owner-drawn for the 2-pixel indent and the clipping, yet with its strings kept so
    // that LB_GETTEXT works for screen readers and the test driver.
    case K::List:
        return style | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
               LBS_NOINTEGRALHEIGHT;
    case K::Panel:
        return style;
    case K::Button:
        return style | WS_TABSTOP | BS_PUSHBUTTON;
    case K::ReadOnlyEdit:
        return style | WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL;
    case K::ProgressBar:
        return style;
    }
    return style;
}

DWORD ExStyleOf(TControlKind kind) {
    return kind == K::List || kind == K::ReadOnlyEdit ? WS_EX_CLIENTEDGE : 0;
}
