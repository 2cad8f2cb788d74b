// Run-time look-ups of ShellExecuteA and GetOpenFileNameA, typed from their prototypes.
// Each library stays loaded for the rest of the run once used: shell32 and the dialog may
// leave threads of their own running inside it.
#include "ui/ShellCalls.h"

#include <shellapi.h>

namespace {

template <typename TFunction> TFunction* Lookup(const char* library, const char* name) {
    static_assert(sizeof(TFunction*) == sizeof(FARPROC));
    HMODULE module = GetModuleHandleA(library);
    if (!module) module = LoadLibraryA(library);
    if (!module) return nullptr;
    return reinterpret_cast<TFunction*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace

void ShellOpen(HWND owner, const char* target) {
    static auto* open = Lookup<decltype(ShellExecuteA)>("shell32.dll", "ShellExecuteA");
    if (open) open(owner, "open", target, nullptr, nullptr, SW_SHOWNORMAL);
}

bool ShowOpenFileDialog(OPENFILENAMEA* dialog) {
    static auto* choose = Lookup<decltype(GetOpenFileNameA)>("comdlg32.dll", "GetOpenFileNameA");
    return choose != nullptr && choose(dialog) != 0;
}
