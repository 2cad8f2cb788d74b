// The program's Windows-1252 text in the code pages its readers expect: a console's own, or
// UTF-8 for the files it writes.
#pragma once

#include <windows.h>

#include <string>

// `text` from the program's ANSI code page into `codePage` (CP_UTF8, a console's...).
std::string Recode(const std::string& text, UINT codePage);

// Writes all of `bytes` to `file`; false when any could not be written.
bool WriteAll(HANDLE file, const std::string& bytes);

// Writes `text` to `file` as UTF-8 after a byte-order mark.
bool WriteUtf8(HANDLE file, const std::string& text);
