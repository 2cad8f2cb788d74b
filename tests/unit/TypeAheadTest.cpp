// The list's type-ahead: search text, restart after a pause, Backspace, no match.
#include "ui/TypeAhead.h"

#include <gtest/gtest.h>

namespace {

const std::vector<std::string> Lines = {"MSVBVM60.DLL - \xA1OK!", "MSINET.OCX - \xA1OK!",
                                        "MSCOMCTL.OCX - \xA1OK!", "ZLIB.DLL - \xA1OK!",
                                        "\xC9TAPE.DLL - \xA1OK!"};

// Keys typed at the given ticks; the result of the last one.
struct TStep {
    char key;
    uint32_t at;
    int expected; // -1: the selection stays
};

void Type(const std::vector<TStep>& steps, const char* trace) {
    SCOPED_TRACE(trace);
    TTypeAhead typeAhead;
    int n = 0;
    for (const TStep& s : steps) {
        SCOPED_TRACE(n++);
        const std::optional<std::size_t> got = typeAhead.Key(s.key, s.at, Lines);
        if (s.expected < 0)
            EXPECT_FALSE(got.has_value());
        else
            EXPECT_EQ(got, std::optional<std::size_t>(static_cast<std::size_t>(s.expected)));
    }
}

} // namespace

TEST(TypeAhead, Sequences) {
    Type({{'m', 1000, 0}, {'s', 1100, 0}, {'c', 1200, 2}}, "prefix grows, first match wins");
    Type({{'z', 1000, 3}}, "case ignored");
    Type({{'M', 1000, 0}, {'s', 1499, 0}, {'i', 1998, 1}}, "just under 500 ms keeps the text");
    Type({{'m', 1000, 0}, {'z', 1500, 3}}, "500 ms or more starts over");
    Type({{'m', 1000, 0}, {'q', 1100, -1}, {'\b', 1200, 0}}, "no match changes nothing");
    Type({{'z', 1000, 3}, {'\b', 1100, 0}}, "Backspace to empty selects line 0");
    Type({{'\b', 1000, 0}}, "Backspace on an empty text selects line 0");
    Type({{'m', 1000, 0}, {'s', 1100, 0}, {'\b', 5000, 0}}, "Backspace after a pause: line 0");
    Type({{'\xE9', 1000, 4}}, "accented letters ignore case in Windows-1252");
    Type({{'m', 1000, 0}, {'\r', 1100, -1}, {'\x1B', 1200, -1}, {'s', 1300, 0}, {'c', 1400, 2}},
        "Enter and Escape are no characters and do not restart the timer");
    Type({{'m', 0xFFFFFF00u, 0}, {'s', 0x00000010u, 0}, {'c', 0x00000020u, 2}}, "tick counter wrap");
}

TEST(TypeAhead, EmptyListSelectsNothing) {
    TTypeAhead typeAhead;
    EXPECT_FALSE(typeAhead.Key('\b', 0, {}).has_value());
    EXPECT_FALSE(typeAhead.Key('a', 10, {}).has_value());
    EXPECT_EQ(typeAhead.SearchText(), "a");
}
