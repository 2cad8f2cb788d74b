// The library list: rebuilt from a new scan at every refresh, and what selecting one of its
// lines shows in the path and version fields and allows on the command buttons.
#include "ui/RegLib.h"

#include "inventory/Scan.h"
#include "platform/WinPlatform.h"
#include "ui/ControlIds.h"
#include "ui/OSName.h"
#include "ui/Selection.h"

#include <vector>

void TfGeneral::RefreshList() {
    HWND list = Control(IDC_LLIBRERIAS);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    std::vector<std::string> lines;
    ScanLibraries(WindowsPlatform(), lines);
    // Filled without a redraw per line, then repainted once; the scan stays outside, so an
    // error inside it cannot leave the list with redrawing off.
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    for (const std::string& line : lines)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    SetLabelCaption(IDC_LBLSO, GetOSName(WindowsPlatform()));
}

std::optional<std::size_t> TfGeneral::SelectedLine() const {
    const LRESULT line = SendMessageA(Control(IDC_LLIBRERIAS), LB_GETCURSEL, 0, 0);
    if (line == LB_ERR || line < 0 || static_cast<std::size_t>(line) >= LIBRARY_COUNT)
        return std::nullopt;
    return static_cast<std::size_t>(line);
}

void TfGeneral::lLibreriasClick() {
    const std::optional<std::size_t> line = SelectedLine();
    if (!line) return;
    const TSelectionView view = DecideSelection(Libraries[*line], ForceHere());
    SetWindowTextA(Control(IDC_TPATH), view.PathText.c_str());
    SetWindowTextA(Control(IDC_TVERSION), view.VersionText.c_str());
    SetVersionColour(view.VersionColour);
    EnableWindow(Control(IDC_CMDREGISTRAR), view.Registrar);
    EnableWindow(Control(IDC_CMDDESCARGAR), view.Descargar);
    EnableWindow(Control(IDC_CMDREREGISTRAR), view.ReRegistrar);
}
