#include "support/code_text.h"

#include <cctype>

namespace zivrat {

bool opensEntity(const std::string& text, std::size_t at) {
    if (at + 1 >= text.size()) return false;
    char next = text[at + 1];
    return std::isalpha(static_cast<unsigned char>(next)) != 0 || next == '#';
}

std::string escapeCodeAs(const std::string& text, const char* less, const char* greater) {
    std::string escaped;
    escaped.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        char c = text[at];
        if (c == '<') escaped += less;
        else if (c == '>') escaped += greater;
        else if (c == '&' && opensEntity(text, at)) escaped += "&amp;";
        else escaped += c;
    }
    return escaped;
}

std::string escapeCode(const std::string& text) { return escapeCodeAs(text, "&lt;", "&gt;"); }

}  // namespace zivrat
