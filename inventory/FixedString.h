// A string of fixed capacity that truncates what is assigned to it, as the catalogue
// record's fields do: a 300-character registry path is kept as its first 255 characters.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

template <std::size_t Capacity> class TFixedString {
public:
    static constexpr std::size_t capacity = Capacity;

    TFixedString() = default;
    TFixedString(std::string_view text) { assign(text); } // NOLINT: implicit by design

    TFixedString& operator=(std::string_view text) {
        assign(text);
        return *this;
    }

    void assign(std::string_view text) {
        FLength = text.size() < Capacity ? text.size() : Capacity;
        std::memcpy(FText, text.data(), FLength);
        FText[FLength] = '\0';
    }
    void clear() { assign({}); }

    std::string_view view() const { return {FText, FLength}; }
    std::string str() const { return std::string(FText, FLength); }
    const char* c_str() const { return FText; }
    std::size_t size() const { return FLength; }
    bool empty() const { return FLength == 0; }

    friend bool operator==(const TFixedString& a, std::string_view b) { return a.view() == b; }
    template <std::size_t Other>
    friend bool operator==(const TFixedString& a, const TFixedString<Other>& b) {
        return a.view() == b.view();
    }

private:
    std::size_t FLength = 0;
    char FText[Capacity + 1] = {};
};
