// The pattern dialect: the input is a pattern, then (after a zero byte) a
// text; the pattern is compiled, searched from several starts and used to
// replace.
#include <cstdint>
#include <string>

#include "support/pattern.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t zero = input.find('\0');
    std::string patternText = input.substr(0, zero);
    std::string text = zero == std::string::npos ? std::string() : input.substr(zero + 1);
    zivrat::Pattern pattern(patternText);
    if (!pattern.valid()) return 0;
    for (std::size_t start : {std::size_t{0}, std::size_t{1}, text.size() / 2, text.size(),
                              text.size() + 1}) {
        zivrat::Pattern::Match match = pattern.find(text, start);
        if (match.found() && (match.position < start || match.position + match.length > text.size())) {
            __builtin_trap();
        }
    }
    zivrat::replaceAll(text, pattern, "<>");
    return 0;
}
