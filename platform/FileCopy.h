// A file copied block by block, so that a copy from a folder or a share shows its progress
// and hears the stop button as a download does.
#pragma once

#include "platform/Platform.h"

#include <string>

// TPlatform::CopyFileReporting on the real file system.
TPlatform::TCopyOutcome CopyFileReporting(const std::string& from, const std::string& to,
                                          const TPlatform::TCopyProgress& progress);
