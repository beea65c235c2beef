#include "support/code_text.h"

#include <cctype>

namespace zivrat {

bool opensEntity(const std::string& text, std::size_t at) {
    if (at + 1 >= text.size()) return false;
    char next = text[at + 1];
    return std::isalpha(static_cast<unsigned char>(next)) != 0 || next == '#';
}

namespace {

// "<", ">" and "&" are the only characters that escaping may change; all
// three lie below '?' and a single comparison passes most characters over.
bool mayNeedEscape(char c) { return static_cast<unsigned char>(c) < '?' && (c == '<' || c == '>' || c == '&'); }

// The next "<", ">" or "&" from `at`, or the text's size.
std::size_t nextSpecial(const std::string& text, std::size_t at) {
    while (at < text.size() && !mayNeedEscape(text[at])) ++at;
    return at;
}

}  // namespace

std::string escapeCodeAs(const std::string& text, const char* less, const char* greater) {
    std::string escaped;
    escaped.reserve(text.size() + 8);
    std::size_t from = 0;
    for (std::size_t at = nextSpecial(text, 0); at < text.size(); at = nextSpecial(text, at + 1)) {
        const char c = text[at];
        if (c == '&' && !opensEntity(text, at)) continue;
        escaped.append(text, from, at - from);
        escaped += c == '<' ? less : c == '>' ? greater : "&amp;";
        from = at + 1;
    }
    escaped.append(text, from, std::string::npos);
    return escaped;
}

bool needsCodeEscape(const std::string& text) {
    for (std::size_t at = nextSpecial(text, 0); at < text.size(); at = nextSpecial(text, at + 1)) {
        if (text[at] != '&' || opensEntity(text, at)) return true;
    }
    return false;
}

std::string escapeCode(const std::string& text) { return escapeCodeAs(text, "&lt;", "&gt;"); }

}  // namespace zivrat
