// The version of a library read from its bytes, not by its name: a file held open is
// checked as it is, and no second opening of the same name can be handed other bytes.
#pragma once

#include "platform/Platform.h"

#include <optional>
#include <string_view>

// The fixed version block (VS_FIXEDFILEINFO) of the version resource in `image`, a whole PE
// file (PE32 or PE32+) as it lies on disk; the resource named 1 (as Windows reads it), else
// the first one, in its first language. nullopt when the image has no such block or any
// offset on the way leads outside the bytes: never reads outside `image`.
std::optional<TVersionParts> ReadFixedVersion(std::string_view image);
