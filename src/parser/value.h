// The semantic value of the declaration grammar: a fixed text slot of 512
// bytes (texts are cut to 511 characters) and a small number for the few
// symbols that carry one (class key, access, virtual flag, function ending).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace zivrat {

constexpr std::size_t kValueTextSize = 512;

// Kept trivial: the parser moves its value stack with memcpy when it grows.
struct DeclValue {
    std::uint32_t number;
    char text[kValueTextSize];
};

inline std::string_view textOf(const DeclValue& value) { return value.text; }

// Joins the parts into the value's text, cut to the slot's 511 characters.
void setText(DeclValue& value, std::initializer_list<std::string_view> parts);

}  // namespace zivrat
