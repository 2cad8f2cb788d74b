// The list's own type-ahead: typed characters build a search text that selects the first
// line beginning with it. The list box's built-in search is not used, because its rules
// (timing, Backspace, the empty text) differ from the ones the window promises.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class TTypeAhead {
public:
    // A key that arrives this many milliseconds or more after the previous one starts a
    // new search text.
    static constexpr uint32_t RESTART_MS = 500;

    // Feeds one typed character (`\b` for Backspace) at tick `now` (milliseconds, may
    // wrap). Returns the line to select (and report as a click), or nullopt when the
    // selection must stay as it is. Characters that are neither printable nor Backspace
    // are ignored and leave the search text and its timer alone.
    std::optional<std::size_t> Key(char typed, uint32_t now, const std::vector<std::string>& lines);

    const std::string& SearchText() const { return FSearch; }

private:
    std::string FSearch;
    uint32_t FLastKey = 0;
    bool FHadKey = false;
};

// Whether `line` begins with `prefix`, ignoring case in Windows-1252.
bool StartsWithNoCase(const std::string& line, const std::string& prefix);
