// Files held open by Windows handles while they are checked and put in place, so what is
// checked, renamed and loaded is one file, whatever happens to its name meanwhile.
#pragma once

#include "platform/Platform.h"

#include <memory>
#include <string>

// TPlatform::HoldFile (`forPlacing` false) and TPlatform::HoldForPlacing (true).
std::unique_ptr<TPlatform::THeldFile> OpenHeldFile(const std::string& path, bool forPlacing);

// TPlatform::IsLinked.
bool IsLinkedPath(const std::string& path);
