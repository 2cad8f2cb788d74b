// What a stored download must be before it may take the place of a working copy: a
// complete 32-bit Windows library image. A web server's error page, an empty answer or a
// transfer cut short all fail here, whatever the transfer call itself reported.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

enum class TImageVerdict {
    Library,         // a complete i386 DLL image
    NoMzHeader,      // too short for the DOS header, or no "MZ"
    BadHeaderOffset, // e_lfanew points outside the bytes read
    NoPeSignature,   // no "PE\0\0" where e_lfanew points
    NotI386,         // another machine type
    NotPe32,         // optional header missing or not the 32-bit kind
    NotDll,          // an executable program, not a library
    Truncated,       // headers or a section's data reach past the end of the file
};

// How many bytes from the start of a file CheckLibraryImage needs at most: real libraries
// keep all their headers within the first page or two.
inline constexpr std::size_t LIBRARY_IMAGE_HEAD = 64 * 1024;

// Checks the headers in `head` (the first bytes of a file, at most LIBRARY_IMAGE_HEAD)
// against a file of `fileSize` bytes. Never reads outside `head`.
TImageVerdict CheckLibraryImage(std::string_view head, uint64_t fileSize);

// Whether the headers in `head` give the image a certificate table (the security data
// directory an Authenticode signature lives in): a signature is there to be checked,
// whether or not it then verifies. False for anything that is not a readable PE32 header.
bool HasSignatureDirectory(std::string_view head);
