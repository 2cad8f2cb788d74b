// The scan as text for scripts and spreadsheets: the same status lines the window lists,
// with each line's parts in tab-separated columns.
#pragma once

#include "inventory/Catalogue.h"

#include <string>
#include <vector>

// The status word of a list line for `entry` without its decoration ("DESCARGAR",
// "ACTUALIZAR", "REGISTRAR", "OK"); empty when the line is not one of the scan's.
std::string StatusWordOf(const TLibraryEntry& entry, const std::string& line);

// "Sistema Operativo:" TAB `osName`, then for entry i of Libraries (as ScanLibraries left
// it) with list line `lines[i]`: name TAB status word TAB version found TAB version
// required TAB path. Lines end in CR LF; the text keeps the bytes it was given.
std::string FormatStatusReport(const std::string& osName, const std::vector<std::string>& lines);

// True when every line of the scan is an OK line.
bool EveryLineOk(const std::vector<std::string>& lines);
