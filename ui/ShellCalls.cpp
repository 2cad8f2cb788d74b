// Run-time look-ups of ShellExecuteA and GetOpenFileNameA, typed from their prototypes.
#include "ui/ShellCalls.h"

#include "platform/LateBound.h"
#include "platform/OleScope.h"

#include <shellapi.h>

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
