// The files Kestrova writes for the one who started it (the /estado report, the /reparar
// log), opened so that an elevated run never writes through a link a standard user planted.
#pragma once

#include "app/CommandLine.h"
#include "platform/Handles.h"

#include <string>

enum class TOutputMode {
    Replace, // the report: what was there is cut, once the file is known to be the right one
    Append,  // the log
};

enum class TOutputOpening {
    Opened,
    Refused, // elevated, and the name is a reparse point or a file with other links, or a
             // folder on its way is a link
    Failed,  // cannot be opened for writing
};

// Opens (or creates) `path` for writing into `file`. While elevated the name's own link is
// not followed, and the file is checked before anything is cut or written; one it created
// where a link on the way led is removed again.
TOutputOpening OpenOutputFile(const std::string& path, TOutputMode mode, TFileHandle& file);

// Says why `path` cannot be written for `request`: a refused link where the run's other
// messages go, anything else with the usage. Returns the exit code of bad use.
int RefuseOutputFile(TOutputOpening opening, const std::string& path, const TCommandLine& request);
