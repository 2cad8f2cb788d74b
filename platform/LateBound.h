// Functions of heavy system DLLs reached when first used instead of through the import
// table: loading them at every start costs start-up time and memory for commands most runs
// never use. Each library stays loaded for the rest of the run once used, since some
// (shell32, urlmon, the file dialog) leave threads of their own running inside it.
#pragma once

#include <windows.h>

// The function `name` of `library`, typed from its real prototype (decltype of the
// declaration); nullptr when the library cannot be loaded or does not export it.
template <typename TFunction> TFunction* LateBound(const char* library, const char* name) {
    static_assert(sizeof(TFunction*) == sizeof(FARPROC));
    HMODULE module = GetModuleHandleA(library);
    if (!module) module = LoadLibraryA(library);
    if (!module) return nullptr;
    return reinterpret_cast<TFunction*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
