// The program's own version, as the window's caption shows it.
#pragma once

#include <string>

// " v" + the four numbers of this executable's file version, or "" when it has none.
std::string GetProgramVersionSuffix();
