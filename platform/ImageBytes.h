// Bounds checks and little-endian reads over a file image's bytes, for the parsers that read
// a library's headers and its version resource from bytes nobody vouched for.
#pragma once

#include <cstdint>
#include <string_view>

namespace image_bytes {

// True when `length` bytes from `offset` lie inside `b`, without overflow.
inline bool Has(std::string_view b, uint64_t offset, uint64_t length) {
    return offset <= b.size() && length <= b.size() - offset;
}
// The caller checks `Has(b, at, 2)` (or 4) first.
inline uint16_t U16(std::string_view b, uint64_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) |
                                 static_cast<unsigned char>(b[at + 1]) << 8);
}
inline uint32_t U32(std::string_view b, uint64_t at) {
    return static_cast<uint32_t>(U16(b, at)) | static_cast<uint32_t>(U16(b, at + 2)) << 16;
}

} // namespace image_bytes
