// Files held open by Windows handles while they are checked and put in place, so what is
// checked, renamed and loaded is one file, whatever happens to its name meanwhile.
#pragma once

#include "platform/Platform.h"

#include <windows.h>

#include <memory>
#include <string>

// What a file is held for, which decides who else may use it meanwhile.
enum class THold {
    Reading, // TPlatform::HoldFile: others may still read, rename or delete it
    Placing, // TPlatform::HoldForPlacing: checked, flushed, renamed; never a link
    Keeping, // TPlatform::HoldForKeeping, and a placed file once flushed: renamed, loaded
    Loading, // TPlatform::HoldForLoading: checked and loaded; others may only read it
};

// The file at `path` held as `kind` asks; nullptr when it cannot be.
std::unique_ptr<TPlatform::THeldFile> OpenHeldFile(const std::string& path, THold kind);

// TPlatform::IsLinked.
bool IsLinkedPath(const std::string& path);

// Removes the file open as `file` (with DELETE access) once its last handle is closed,
// whatever its name leads to by then. False when it cannot be marked so.
bool RemoveWhenClosed(HANDLE file);
