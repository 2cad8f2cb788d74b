// Every call of a library's entry runs in a helper process: Kestrova.exe itself, started with
// an internal switch, in a job object that ends it and whatever it started when Kestrova ends.
// A library whose registration never returns, shows a box no one sees or ends its process then
// costs its own call only; Kestrova waits with a time limit, its window answering meanwhile.
#pragma once

#include "platform/Platform.h"

#include <string>
#include <vector>

// Whether `args` (the arguments after the program's name) start the registration helper.
bool IsHelperRequest(const std::vector<std::string>& args);

// The helper's whole run: one library's entry called per request read from its parent's pipe,
// each answered on the other pipe, until that pipe closes or a library faults (the process is
// then suspect; the next library gets a fresh helper). Windows shows no box of its own for
// it. Does nothing, and returns 1, unless the pipes and its parent's handle are what its
// parent, this same program, handed it.
int RunRegistrationHelper(const std::vector<std::string>& args);

// TPlatform::CallLibraryEntry: the call made in the run's one helper, which is started when
// first needed and replaced by a fresh one for the next call after it ended. A call while
// another one waits (a window message handled meanwhile) is refused as NotLoaded.
TPlatform::TEntryCall CallLibraryEntryInHelper(const std::string& library, const char* entry,
                                               const TEntryWait& wait);

// Ends the run's helper, if one runs: the next call starts a fresh one. For benchmarks that
// measure a command as its first run in a window pays for it.
void EndRegistrationHelper();
