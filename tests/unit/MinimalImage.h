// The smallest complete 32-bit library image the image check accepts, for the tests that
// need a stored file to be a library, and the writers that turn it into each faulty one.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

inline constexpr uint32_t PE_AT = 0x80;
inline constexpr uint32_t OPTIONAL_AT = PE_AT + 24;
inline constexpr uint32_t OPTIONAL_SIZE = 0xE0;
inline constexpr uint32_t SECTIONS_AT = OPTIONAL_AT + OPTIONAL_SIZE;

inline void Put16(std::string& b, uint32_t at, uint16_t v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>(v >> 8);
}
inline void Put32(std::string& b, uint32_t at, uint32_t v) {
    Put16(b, at, static_cast<uint16_t>(v & 0xFFFF));
    Put16(b, at + 2, static_cast<uint16_t>(v >> 16));
}

// Bytes in an allocation of exactly their size, for a parser under test: AddressSanitizer
// then reports a read one byte past them, which a std::string's terminator and spare
// capacity would hide.
class TExactBytes {
public:
    explicit TExactBytes(std::string_view b) : FBytes(new char[b.size()]), FSize(b.size()) {
        if (FSize != 0) std::memcpy(FBytes.get(), b.data(), FSize);
    }
    operator std::string_view() const { return {FBytes.get(), FSize}; }

private:
    std::unique_ptr<char[]> FBytes;
    std::size_t FSize;
};

// A minimal i386 DLL layout: headers in the first 0x200 bytes, two sections of 0x200.
inline std::string GoodImage() {
    std::string b(0x600, '\0');
    b[0] = 'M';
    b[1] = 'Z';
    Put32(b, 0x3C, PE_AT);
    std::memcpy(&b[PE_AT], "PE\0\0", 4);
    Put16(b, PE_AT + 4, 0x014C);         // Machine
    Put16(b, PE_AT + 6, 2);              // NumberOfSections
    Put16(b, PE_AT + 20, OPTIONAL_SIZE); // SizeOfOptionalHeader
    Put16(b, PE_AT + 22, 0x2102);        // DLL | 32BIT_MACHINE | EXECUTABLE_IMAGE
    Put16(b, OPTIONAL_AT, 0x010B);       // PE32
    Put32(b, OPTIONAL_AT + 60, 0x200);   // SizeOfHeaders
    for (uint32_t i = 0; i < 2; ++i) {
        Put32(b, SECTIONS_AT + i * 40 + 16, 0x200);             // SizeOfRawData
        Put32(b, SECTIONS_AT + i * 40 + 20, 0x200 + i * 0x200); // PointerToRawData
    }
    return b;
}
