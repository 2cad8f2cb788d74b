// Functions of system DLLs reached when first used instead of through the import table:
// loading them at every start costs start-up time and memory for commands most runs never
// use, and a DLL in the import table that is not on Windows' KnownDLLs list is looked for in
// the program's folder first, before any of our code can run. Each library comes from the
// system folder and stays loaded for the rest of the run once used, since some (shell32,
// urlmon, the file dialog) leave threads of their own running inside it.
#pragma once

#include "platform/SystemLibraries.h"

#include <windows.h>

// The function `name` of Windows' own `library`, typed from its real prototype (decltype of
// the declaration); nullptr when the library cannot be loaded or does not export it.
template <typename TFunction> TFunction* LateBound(const char* library, const char* name) {
    static_assert(sizeof(TFunction*) == sizeof(FARPROC));
    const HMODULE module = LoadSystemLibrary(library);
    if (!module) return nullptr;
    return reinterpret_cast<TFunction*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
