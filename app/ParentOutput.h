// Where text for the one who started the program goes: the console of the parent process (a
// GUI program has none of its own), or the standard output the parent handed over (a
// redirection, a script's pipe), else a box.
#pragma once

#include "app/CommandLine.h"

#include <string>

// True when the parent gave a console or a standard output to write to.
bool ParentOutputExists();

// Writes `text` (ANSI) there, in the console's output code page; without a console, in the
// OEM code page a console would start with. False when there is nowhere to write or the
// writing failed.
bool WriteToParent(const std::string& text);

// Writes the usage text to the parent's console or output, or shows it in a box when there
// is neither; returns `exitCode`.
int ShowUsage(int exitCode);

// Says `text`, a line on why this run does nothing: to the parent's console or output for a
// switch run, else in a box (none with /s).
void TellWhyNothingWasDone(const TCommandLine& request, const std::string& text);
