// The real Windows behind TPlatform: ANSI calls, the process's own registry view and
// system folder (no view flag, no redirection switched off).
#pragma once

#include "platform/Platform.h"

// The one Windows platform of the run.
TPlatform& WindowsPlatform();
