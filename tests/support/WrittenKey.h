// The registration key as the stand-ins' DllRegisterServer writes it, and so as a test must
// create or guard it: the scan's key without the type library's trailing backslash.
#pragma once

#include "inventory/Scan.h"

#include <string>

namespace kestrova_test {

// RegistryKeyOf(entry) without a trailing "\"; "" for a library that needs no registration.
inline std::string WrittenKeyOf(const TLibraryEntry& entry) {
    std::string key = RegistryKeyOf(entry);
    if (!key.empty() && key.back() == '\\') key.pop_back();
    return key;
}

} // namespace kestrova_test
