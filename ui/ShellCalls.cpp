// Run-time look-ups of ShellExecuteA, SHBrowseForFolderA and GetOpenFileNameA, typed from their
// prototypes.
#include "ui/ShellCalls.h"

#include "platform/LateBound.h"
#include "platform/OleScope.h"

#include <shellapi.h>
#include <shlobj.h>

void ShellOpen(HWND owner, const char* target) {
    static auto* open = LateBound<decltype(ShellExecuteA)>("shell32.dll", "ShellExecuteA");
    TOleScope ole; // the shell's open call may hand the address to a COM handler
    if (open) open(owner, "open", target, nullptr, nullptr, SW_SHOWNORMAL);
}

bool ShowOpenFileDialog(OPENFILENAMEA* dialog) {
    static auto* choose = LateBound<decltype(GetOpenFileNameA)>("comdlg32.dll", "GetOpenFileNameA");
    TOleScope ole; // the dialog hosts the shell's folder view
    return choose != nullptr && choose(dialog) != 0;
}

std::optional<std::string> BrowseForFolder(HWND owner, const char* title) {
    static auto* browse =
        LateBound<decltype(SHBrowseForFolderA)>("shell32.dll", "SHBrowseForFolderA");
    static auto* pathOf =
        LateBound<decltype(SHGetPathFromIDListA)>("shell32.dll", "SHGetPathFromIDListA");
    static auto* release = LateBound<decltype(CoTaskMemFree)>("ole32.dll", "CoTaskMemFree");
    if (browse == nullptr || pathOf == nullptr || release == nullptr) return std::nullopt;
    TOleScope ole; // the picker hosts the shell's folder tree
    char display[MAX_PATH] = {};
    BROWSEINFOA info = {};
    info.hwndOwner = owner;
    info.pszDisplayName = display;
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    LPITEMIDLIST chosen = browse(&info);
    if (chosen == nullptr) return std::nullopt;
    char path[MAX_PATH] = {};
    const bool named = pathOf(chosen, path) != FALSE && path[0] != '\0';
    release(chosen);
    if (!named) return std::nullopt;
    return std::string(path);
}
