// Reading, writing and comparing version numbers.
#include "inventory/Version.h"

#include <cctype>
#include <cstdint>
#include <tuple>

std::optional<TVersionParts> ParseVersion(const std::string& text) {
    uint16_t parts[4] = {};
    std::size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (at >= text.size() || text[at] != '.') return std::nullopt;
            ++at;
        }
        const std::size_t start = at;
        uint32_t value = 0;
        while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) &&
               value <= 0xFFFF)
            value = value * 10 + static_cast<uint32_t>(text[at++] - '0');
        if (at == start || value > 0xFFFF) return std::nullopt;
        parts[i] = static_cast<uint16_t>(value);
    }
    if (at != text.size()) return std::nullopt;
    return TVersionParts{parts[0], parts[1], parts[2], parts[3]};
}

std::string FormatVersion(const TVersionParts& parts) {
    return std::to_string(parts.Major) + "." + std::to_string(parts.Minor) + "." +
           std::to_string(parts.Release) + "." + std::to_string(parts.Build);
}

bool VersionAtLeast(const TVersionParts& found, const TVersionParts& required) {
    return std::tie(found.Major, found.Minor, found.Release, found.Build) >=
           std::tie(required.Major, required.Minor, required.Release, required.Build);
}
