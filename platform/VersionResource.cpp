// A defensive walk from the PE headers to the version resource: every offset and count
// taken from the file is checked against the bytes at hand, in 64-bit arithmetic.
#include "platform/VersionResource.h"
#include "platform/ImageBytes.h"

#include <cstdint>

namespace {

constexpr uint64_t RESOURCE_DIRECTORY = 2;
constexpr uint32_t VERSION_TYPE = 16; // RT_VERSION
constexpr uint32_t VERSION_NAME = 1;  // VS_VERSION_INFO
constexpr uint32_t FIXED_SIGNATURE = 0xFEEF04BD;
constexpr uint64_t FIXED_SIZE = 52;
constexpr uint64_t MAX_SECTIONS = 96;
constexpr uint32_t SUBDIRECTORY = 0x80000000;

using image_bytes::Has;
using image_bytes::U16;
using image_bytes::U32;

// The sections' map from addresses in memory to offsets in the file.
struct TSections {
    std::string_view Image;
    uint64_t Table = 0;
    uint64_t Count = 0;

    std::optional<uint64_t> FileOffset(uint64_t rva, uint64_t length) const {
        for (uint64_t i = 0; i < Count; ++i) {
            const uint64_t s = Table + i * 40;
            const uint64_t virtualSize = U32(Image, s + 8);
            const uint64_t address = U32(Image, s + 12);
            const uint64_t rawSize = U32(Image, s + 16);
            const uint64_t rawStart = U32(Image, s + 20);
            const uint64_t size = virtualSize > rawSize ? virtualSize : rawSize;
            if (rva < address || rva + length > address + size) continue;
            // Bytes past the raw data are zeros in memory, which no resource is made of.
            if (rva + length > address + rawSize) return std::nullopt;
            const uint64_t at = rawStart + (rva - address);
            if (!Has(Image, at, length)) return std::nullopt;
            return at;
        }
        return std::nullopt;
    }
};

// The entry of the resource directory at `dir` (an offset in the file) whose id is `id`,
// else its first entry when `orFirst`; the entry's offset field (relative to the root).
std::optional<uint32_t> FindEntry(std::string_view b, uint64_t dir, std::optional<uint32_t> id,
                                  bool orFirst) {
    if (!Has(b, dir, 16)) return std::nullopt;
    const uint64_t count = uint64_t{U16(b, dir + 12)} + U16(b, dir + 14);
    if (!Has(b, dir + 16, count * 8)) return std::nullopt;
    std::optional<uint32_t> first;
    for (uint64_t i = 0; i < count; ++i) {
        const uint64_t entry = dir + 16 + i * 8;
        const uint32_t name = U32(b, entry);
        if (!first) first = U32(b, entry + 4);
        if (id && (name & SUBDIRECTORY) == 0 && name == *id) return U32(b, entry + 4);
    }
    return orFirst ? first : std::nullopt;
}

} // namespace

std::optional<TVersionParts> ReadFixedVersion(std::string_view b) {
    if (!Has(b, 0, 64) || b[0] != 'M' || b[1] != 'Z') return std::nullopt;
    const uint64_t pe = U32(b, 0x3C);
    if (!Has(b, pe, 24) ||
        b.substr(static_cast<std::size_t>(pe), 4) != std::string_view("PE\0\0", 4))
        return std::nullopt;
    const uint64_t sectionCount = U16(b, pe + 6);
    const uint64_t optionalSize = U16(b, pe + 20);
    const uint64_t optional = pe + 24;
    if (!Has(b, optional, optionalSize) || optionalSize < 2) return std::nullopt;
    const uint16_t magic = U16(b, optional);
    uint64_t countAt = 0;
    if (magic == 0x010B)
        countAt = 92;
    else if (magic == 0x020B)
        countAt = 108;
    else
        return std::nullopt;
    const uint64_t directory = countAt + 4 + RESOURCE_DIRECTORY * 8;
    if (optionalSize < directory + 8 || U32(b, optional + countAt) <= RESOURCE_DIRECTORY)
        return std::nullopt;
    const TSections sections{b, optional + optionalSize,
                             sectionCount <= MAX_SECTIONS ? sectionCount : 0};
    if (!Has(b, sections.Table, sections.Count * 40)) return std::nullopt;

    const uint64_t rootRva = U32(b, optional + directory);
    const uint64_t rootSize = U32(b, optional + directory + 4);
    const auto root = sections.FileOffset(rootRva, rootSize);
    if (!root || rootSize < 16) return std::nullopt;
    const std::string_view tree =
        b.substr(static_cast<std::size_t>(*root), static_cast<std::size_t>(rootSize));
    // Type, name, language: two directories, then the data entry. Offsets are within `tree`.
    const auto type = FindEntry(tree, 0, VERSION_TYPE, false);
    if (!type || (*type & SUBDIRECTORY) == 0) return std::nullopt;
    const auto name = FindEntry(tree, *type & ~SUBDIRECTORY, VERSION_NAME, true);
    if (!name || (*name & SUBDIRECTORY) == 0) return std::nullopt;
    const auto language = FindEntry(tree, *name & ~SUBDIRECTORY, std::nullopt, true);
    if (!language || (*language & SUBDIRECTORY) != 0 || !Has(tree, *language, 16))
        return std::nullopt;
    const uint64_t dataRva = U32(tree, *language);
    const uint64_t dataSize = U32(tree, *language + 4);
    const auto data = sections.FileOffset(dataRva, dataSize);
    if (!data) return std::nullopt;
    const std::string_view info =
        b.substr(static_cast<std::size_t>(*data), static_cast<std::size_t>(dataSize));

    // VS_VERSIONINFO: wLength, wValueLength, wType, L"VS_VERSION_INFO" (16 UTF-16 units),
    // padding to a 4-byte boundary, then the fixed block.
    constexpr uint64_t FIXED_AT = 40;
    if (!Has(info, 0, FIXED_AT + FIXED_SIZE) || U16(info, 2) < FIXED_SIZE ||
        U32(info, FIXED_AT) != FIXED_SIGNATURE)
        return std::nullopt;
    const uint32_t ms = U32(info, FIXED_AT + 8);
    const uint32_t ls = U32(info, FIXED_AT + 12);
    return TVersionParts{static_cast<uint16_t>(ms >> 16), static_cast<uint16_t>(ms & 0xFFFF),
                         static_cast<uint16_t>(ls >> 16), static_cast<uint16_t>(ls & 0xFFFF)};
}
