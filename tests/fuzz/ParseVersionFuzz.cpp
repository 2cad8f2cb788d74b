// Version texts come from the catalogue and from what the scan writes back, and the one
// version rule reads them: any text is either four decimal numbers of 0 to 65535 joined by
// dots, read as exactly those numbers, or refused.
#include "inventory/Version.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

// The four parts of `text` read with no limit on their size; false unless it is four
// runs of digits joined by three dots. Each part is kept at 65536 once it passes 65535.
bool ReadPlainly(const std::string& text, uint32_t (&parts)[4]) {
    int part = 0;
    bool digits = false;
    parts[0] = 0;
    for (const char c : text) {
        if (c == '.') {
            if (!digits || part == 3) return false;
            parts[++part] = 0;
            digits = false;
        } else if (c >= '0' && c <= '9') {
            parts[part] = parts[part] * 10 + static_cast<uint32_t>(c - '0');
            if (parts[part] > 65535) parts[part] = 65536;
            digits = true;
        } else {
            return false;
        }
    }
    return digits && part == 3;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto parsed = ParseVersion(text);
    uint32_t parts[4];
    const bool plain = ReadPlainly(text, parts);
    const bool inRange =
        plain && parts[0] < 65536 && parts[1] < 65536 && parts[2] < 65536 && parts[3] < 65536;
    if (parsed.has_value() != inRange) __builtin_trap();
    if (parsed && (parsed->Major != parts[0] || parsed->Minor != parts[1] ||
                   parsed->Release != parts[2] || parsed->Build != parts[3]))
        __builtin_trap();
    // What the scan writes back reads as the same version.
    if (parsed) {
        const auto again = ParseVersion(FormatVersion(*parsed));
        if (!again || FormatVersion(*again) != FormatVersion(*parsed)) __builtin_trap();
    }
    return 0;
}
