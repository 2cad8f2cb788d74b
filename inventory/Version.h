// Version numbers as the catalogue writes them and as a file's version block holds them, and
// the one rule that says whether a copy is current, which the status list, the version
// field, the repair and the download's rollback check all read.
#pragma once

#include "platform/Platform.h"

#include <optional>
#include <string>

// "a.b.c.d" as four numbers; nullopt for anything else.
std::optional<TVersionParts> ParseVersion(const std::string& text);

// "major.minor.release.build" in plain decimal.
std::string FormatVersion(const TVersionParts& parts);

// Whether `found` is `required` or higher, compared number by number from major to build, as
// Windows Installer compares file versions: a newer copy satisfies an older requirement.
bool VersionAtLeast(const TVersionParts& found, const TVersionParts& required);
