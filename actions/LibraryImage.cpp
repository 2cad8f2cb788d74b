// Defensive reading of PE headers: every offset taken from the file is checked against
// the bytes at hand before use, in 64-bit arithmetic so no sum can wrap.
#include "actions/LibraryImage.h"
#include "platform/ImageBytes.h"

namespace {

constexpr uint16_t FILE_EXECUTABLE_IMAGE = 0x0002;
constexpr uint16_t FILE_DLL = 0x2000;
constexpr uint64_t FILE_HEADER_SIZE = 20;
constexpr uint64_t SECTION_HEADER_SIZE = 40;
constexpr uint64_t SIZE_OF_HEADERS_AT = 60; // within the optional header, PE32 and PE32+
constexpr uint16_t MAX_SECTIONS = 96;       // the loader's own limit
constexpr uint64_t SECURITY_DIRECTORY = 4;

// What differs between the two kinds of image: the machine, the optional header's magic,
// and where in it NumberOfRvaAndSizes and the data directories sit (PE32+ has wider fields
// before them).
struct TKind {
    uint16_t Machine;
    uint16_t OptionalMagic;
    uint64_t DirectoryCountAt;
    uint64_t DirectoriesAt;
};
constexpr TKind KindOf(TLibraryMachine machine) {
    return machine == TLibraryMachine::Amd64 ? TKind{0x8664, 0x020B, 108, 112}
                                             : TKind{0x014C, 0x010B, 92, 96};
}

using image_bytes::Has;
using image_bytes::U16;
using image_bytes::U32;

} // namespace

TImageVerdict CheckLibraryImage(std::string_view head, uint64_t fileSize, TLibraryMachine machine) {
    const TKind kind = KindOf(machine);
    if (head.size() > fileSize) head = head.substr(0, static_cast<std::size_t>(fileSize));
    if (!Has(head, 0, 64) || head[0] != 'M' || head[1] != 'Z') return TImageVerdict::NoMzHeader;
    const uint64_t pe = U32(head, 0x3C);
    if (!Has(head, pe, 4 + FILE_HEADER_SIZE)) return TImageVerdict::BadHeaderOffset;
    if (head.substr(static_cast<std::size_t>(pe), 4) != std::string_view("PE\0\0", 4))
        return TImageVerdict::NoPeSignature;
    const uint64_t fileHeader = pe + 4;
    if (U16(head, fileHeader) != kind.Machine) return TImageVerdict::OtherMachine;
    const uint16_t sections = U16(head, fileHeader + 2);
    const uint16_t optionalSize = U16(head, fileHeader + 16);
    const uint16_t characteristics = U16(head, fileHeader + 18);

    const uint64_t optional = fileHeader + FILE_HEADER_SIZE;
    if (optionalSize < SIZE_OF_HEADERS_AT + 4) return TImageVerdict::NotPe32;
    if (!Has(head, optional, optionalSize)) return TImageVerdict::Truncated;
    if (U16(head, optional) != kind.OptionalMagic) return TImageVerdict::NotPe32;
    if ((characteristics & FILE_DLL) == 0 || (characteristics & FILE_EXECUTABLE_IMAGE) == 0)
        return TImageVerdict::NotDll;

    if (sections == 0 || sections > MAX_SECTIONS) return TImageVerdict::Truncated;
    const uint64_t table = optional + optionalSize;
    if (!Has(head, table, sections * SECTION_HEADER_SIZE)) return TImageVerdict::Truncated;
    if (U32(head, optional + SIZE_OF_HEADERS_AT) > fileSize) return TImageVerdict::Truncated;
    for (uint64_t i = 0; i < sections; ++i) {
        const uint64_t section = table + i * SECTION_HEADER_SIZE;
        const uint64_t rawSize = U32(head, section + 16);
        const uint64_t rawStart = U32(head, section + 20);
        if (rawSize != 0 && rawStart + rawSize > fileSize) return TImageVerdict::Truncated;
    }
    return TImageVerdict::Library;
}

bool HasSignatureDirectory(std::string_view head, TLibraryMachine machine) {
    const TKind kind = KindOf(machine);
    if (!Has(head, 0, 64) || head[0] != 'M' || head[1] != 'Z') return false;
    const uint64_t pe = U32(head, 0x3C);
    if (!Has(head, pe, 4 + FILE_HEADER_SIZE) ||
        head.substr(static_cast<std::size_t>(pe), 4) != std::string_view("PE\0\0", 4))
        return false;
    const uint64_t optional = pe + 4 + FILE_HEADER_SIZE;
    const uint16_t optionalSize = U16(head, pe + 4 + 16);
    const uint64_t entry = kind.DirectoriesAt + SECURITY_DIRECTORY * 8;
    if (optionalSize < entry + 8 || !Has(head, optional, entry + 8) ||
        U16(head, optional) != kind.OptionalMagic ||
        U32(head, optional + kind.DirectoryCountAt) <= SECURITY_DIRECTORY)
        return false;
    return U32(head, optional + entry) != 0 && U32(head, optional + entry + 4) != 0;
}
