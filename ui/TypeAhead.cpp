// Search text, restart timer and prefix match of the list's type-ahead.
#include "ui/TypeAhead.h"

namespace {

// Upper case in Windows-1252: ASCII, the accented letters of 0xE0-0xFE (not the division
// sign 0xF7) and the few letters whose capitals sit in 0x80-0x9F.
unsigned char UpperCp1252(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 0x20);
    switch (c) {
    case 0x9A:
        return 0x8A; // š
    case 0x9C:
        return 0x8C; // œ
    case 0x9E:
        return 0x8E; // ž
    case 0xFF:
        return 0x9F; // ÿ
    default:
        return c;
    }
}

} // namespace

bool StartsWithNoCase(const std::string& line, const std::string& prefix) {
    if (prefix.size() > line.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (UpperCp1252(static_cast<unsigned char>(line[i])) !=
            UpperCp1252(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

std::optional<std::size_t> TTypeAhead::Key(char typed, uint32_t now,
                                           const std::vector<std::string>& lines) {
    const unsigned char c = static_cast<unsigned char>(typed);
    const bool backspace = typed == '\b';
    if (!backspace && (c < 0x20 || c == 0x7F)) return std::nullopt;

    // Unsigned difference: correct across the tick counter's wrap after 49.7 days.
    if (!FHadKey || now - FLastKey >= RESTART_MS) FSearch.clear();
    FLastKey = now;
    FHadKey = true;

    if (backspace) {
        if (!FSearch.empty()) FSearch.pop_back();
    } else {
        FSearch.push_back(typed);
    }

    if (FSearch.empty()) {
        if (lines.empty()) return std::nullopt;
        return 0;
    }
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (StartsWithNoCase(lines[i], FSearch)) return i;
    return std::nullopt;
}
