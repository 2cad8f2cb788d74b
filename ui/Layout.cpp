// The control table of the main window.
#include "ui/Layout.h"

#include "ui/ControlIds.h"

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

const char* CaptionOf(int id) {
    const TControlRow* row = FindControlRow(id);
    return row ? row->Caption : "";
}
