// A library's entry called inside this process, as regsvr32 calls it: what the registration
// helper does for each request, and the baseline the benchmarks measure the helper against.
#pragma once

#include "platform/Platform.h"

#include <string>

// Loads `library` (LoadLibraryAt), calls its entry `entry` under the crash guard and unloads
// it again in every case, with OLE initialized on the calling thread from before the load
// until after the unload. The outcome is NotLoaded (with the loader's error), NoEntry,
// Returned or Faulted.
TPlatform::TEntryCall CallLibraryEntryHere(const std::string& library, const char* entry);
