// The semantic value of the declaration grammar: a fixed text slot of 512
// bytes (texts are cut to 511 characters) and a small number for the few
// symbols that carry one (class key, access, virtual flag, function ending).
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string_view>

namespace zivrat {

constexpr std::size_t kValueTextSize = 512;

// The parser copies a value at every shift and reduction: a copy takes only
// the text in use, whose length the value keeps. The slot holds no
// pointers, so the parser may still move its whole stack bytewise when the
// stack grows.
struct DeclValue {
    std::uint32_t number = 0;
    std::uint32_t length = 0;
    char text[kValueTextSize];

    DeclValue() { text[0] = '\0'; }
    DeclValue(const DeclValue& other) { copyFrom(other); }
    DeclValue& operator=(const DeclValue& other) {
        if (this != &other) copyFrom(other);
        return *this;
    }

private:
    static constexpr std::uint32_t kShortText = 32;

    void copyFrom(const DeclValue& other) {
        number = other.number;
        // Bounded: a slot above the stack that a relocation did not copy
        // holds no valid length.
        length = other.length < kValueTextSize ? other.length : kValueTextSize - 1;
        // Most texts are short: a fixed-size copy is a few moves, not a call.
        if (length < kShortText) std::memcpy(text, other.text, kShortText);
        else std::memcpy(text, other.text, length);
        text[length] = '\0';
    }
};

inline std::string_view textOf(const DeclValue& value) { return {value.text, value.length}; }

// Joins the parts into the value's text, cut to the slot's 511 characters.
void setText(DeclValue& value, std::initializer_list<std::string_view> parts);

}  // namespace zivrat
