// Loading a library into our own process and calling its self-registration entry, with a
// guard so that a library which faults inside that entry ends only the running command.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

// A structured exception (an access violation, an illegal instruction...) raised inside a
// library's entry. The library has been unloaded by the time this is thrown.
class TLibraryFault : public std::runtime_error {
public:
    TLibraryFault(uint32_t code, const std::string& path);
    uint32_t Code() const { return FCode; }

private:
    uint32_t FCode;
};

// Loads `path`, calls ServerEntryNames[index] with no arguments and unloads the library.
// True only when the entry exists and returned 0. Throws TLibraryFault when the entry
// raises a structured exception.
bool CallServerEntry(const std::string& path, int index);
