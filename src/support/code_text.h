// How code text (names, types, template arguments, defaults, operators,
// typedef texts) is written into HTML so that a browser shows every
// character of it.
#pragma once

#include <string>

namespace zivrat {

// "<" becomes `less`, ">" becomes `greater`, and a "&" before a letter or
// "#" (where a browser would start an entity) "&amp;". Nothing else
// changes: "Pt& o" stays.
std::string escapeCodeAs(const std::string& text, const char* less, const char* greater);

// Whether escaping changes the text at all.
bool needsCodeEscape(const std::string& text);

// The same with "&lt;" and "&gt;".
std::string escapeCode(const std::string& text);

// A "&" at `at` that a browser would read as the start of an entity.
bool opensEntity(const std::string& text, std::size_t at);

}  // namespace zivrat
