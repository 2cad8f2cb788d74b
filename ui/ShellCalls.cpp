// Run-time look-ups of ShellExecuteA and GetOpenFileNameA, typed from their prototypes.
#include "ui/ShellCalls.h"

#include "platform/LateBound.h"

#include <shellapi.h>

void ShellOpen(HWND owner, const char* target) {
    static auto* open = LateBound<decltype(ShellExecuteA)>("shell32.dll", "ShellExecuteA");
    if (open) open(owner, "open", target, nullptr, nullptr, SW_SHOWNORMAL);
}

bool ShowOpenFileDialog(OPENFILENAMEA* dialog) {
    static auto* choose = LateBound<decltype(GetOpenFileNameA)>("comdlg32.dll", "GetOpenFileNameA");
    return choose != nullptr && choose(dialog) != 0;
}
