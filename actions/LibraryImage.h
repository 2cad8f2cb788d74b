// What a stored download must be before it may take the place of a working copy: a
// complete 32-bit Windows library image. A web server's error page, an empty answer or a
// transfer cut short all fail here, whatever the transfer call itself reported. The image
// must be built for the machine this program runs as, since only such a library loads in
// its process: i386 for the program (32-bit), AMD64 in the 64-bit test build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

enum class TImageVerdict {
    Library,         // a complete DLL image for the machine asked for
    NoMzHeader,      // too short for the DOS header, or no "MZ"
    BadHeaderOffset, // e_lfanew points outside the bytes read
    NoPeSignature,   // no "PE\0\0" where e_lfanew points
    OtherMachine,    // another machine type
    NotPe32,         // optional header missing or not the machine's kind (PE32, PE32+)
    NotDll,          // an executable program, not a library
    Truncated,       // headers or a section's data reach past the end of the file
};

enum class TLibraryMachine {
    I386,  // PE32
    Amd64, // PE32+
};

// The machine of the running program. Native builds (the decision tests) take the
// program's, i386.
#if defined(_WIN64)
inline constexpr TLibraryMachine OWN_MACHINE = TLibraryMachine::Amd64;
#else
inline constexpr TLibraryMachine OWN_MACHINE = TLibraryMachine::I386;
#endif

// How many bytes from the start of a file CheckLibraryImage needs at most: real libraries
// keep all their headers within the first page or two.
inline constexpr std::size_t LIBRARY_IMAGE_HEAD = 64 * 1024;

// Checks the headers in `head` (the first bytes of a file, at most LIBRARY_IMAGE_HEAD)
// against a file of `fileSize` bytes, for a library of `machine`. Never reads outside `head`.
TImageVerdict CheckLibraryImage(std::string_view head, uint64_t fileSize,
                                TLibraryMachine machine = OWN_MACHINE);

// Whether the headers in `head` give the image a certificate table (the security data
// directory an Authenticode signature lives in): a signature is there to be checked,
// whether or not it then verifies. False for anything that is not a readable header of
// `machine`'s kind (PE32 or PE32+).
bool HasSignatureDirectory(std::string_view head, TLibraryMachine machine = OWN_MACHINE);
