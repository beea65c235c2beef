#include "parser/comment_text.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>

#include "support/code_text.h"

namespace zivrat {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
bool isWordCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

bool isBlankLine(std::string_view line) {
    for (char c : line) {
        if (!isBlank(c)) return false;
    }
    return true;
}

// A continuation line of a block comment without its "*" column: blanks,
// one "*" (not the start of a "**" rule of stars), one blank.
std::string_view withoutStarColumn(std::string_view line) {
    std::size_t at = 0;
    while (at < line.size() && isBlank(line[at])) ++at;
    if (at == line.size() || line[at] != '*') return line;
    ++at;
    if (at < line.size() && line[at] == ' ') ++at;
    return line.substr(at);
}

// The lines joined again without their decoration, blank lines at the start
// and the end dropped. Done in place: no line moves right.
void removeDecoration(std::string& text, bool block) {
    std::size_t write = 0;
    std::size_t endOfLastText = 0;
    bool first = true;
    for (std::size_t start = 0;;) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line(text.data() + start, end - start);
        if (block && start > 0) line = withoutStarColumn(line);
        const bool blank = isBlankLine(line);
        if (!(first && blank)) {
            // After the first line kept, `write` stays behind `start`.
            if (!first) text[write++] = '\n';
            std::memmove(&text[write], line.data(), line.size());
            write += line.size();
            first = false;
            if (!blank) endOfLastText = write;
        }
        if (end == text.size()) break;
        start = end + 1;
    }
    text.resize(endOfLastText);
}

// The end of the word at `at`: everything up to the next white space, so
// that qualified and template names stay whole.
std::size_t endOfWord(const std::string& text, std::size_t at) {
    while (at < text.size() && !std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    return at;
}

std::size_t skipBlanks(const std::string& text, std::size_t at) {
    while (at < text.size() && isBlank(text[at])) ++at;
    return at;
}

// The tag name after "\" or "@" at `at`, empty when none.
std::string tagAt(const std::string& text, std::size_t at) {
    std::size_t end = at + 1;
    while (end < text.size() && isWordCharacter(text[end])) ++end;
    return text.substr(at + 1, end - at - 1);
}

// "\code" up to "\endcode" (or the end): the lines as code.
std::size_t renderCodeBlock(const std::string& text, std::size_t from, std::string& out) {
    std::size_t end = text.find("\\endcode", from);
    if (end == std::string::npos) end = text.find("@endcode", from);
    std::size_t stop = end == std::string::npos ? text.size() : end;
    std::size_t start = std::min(skipBlanks(text, from), stop);
    if (start < stop && text[start] == '\n') ++start;
    std::string code = text.substr(start, stop - start);
    while (!code.empty() && (code.back() == '\n' || isBlank(code.back()))) code.pop_back();
    out += "<code>" + escapeCode(code) + "</code>";
    return end == std::string::npos ? text.size() : end + 8;
}

// One tag at `at`; returns where reading goes on, or `at` for an unknown tag.
std::size_t renderTag(const std::string& text, std::size_t at, std::string& out) {
    const std::string tag = tagAt(text, at);
    std::size_t next = at + 1 + tag.size();
    if (tag == "brief") return skipBlanks(text, next);
    if (tag == "return" || tag == "returns") {
        out += "<b>return</b> :";
        return next;
    }
    if (tag == "param") {
        // "[in]", "[out]" and "[in,out]" say nothing the reader needs.
        if (next < text.size() && text[next] == '[') {
            std::size_t close = text.find(']', next);
            if (close != std::string::npos) next = close + 1;
        }
        std::size_t start = skipBlanks(text, next);
        std::size_t end = endOfWord(text, start);
        out += "<b>" + escapeCode(text.substr(start, end - start)) + "</b> :";
        return end;
    }
    if (tag == "c" || tag == "p") {
        std::size_t start = skipBlanks(text, next);
        std::size_t end = endOfWord(text, start);
        // Punctuation after the word belongs to the sentence.
        while (end > start && std::string(",.;:").find(text[end - 1]) != std::string::npos) --end;
        out += "<code>" + escapeCode(text.substr(start, end - start)) + "</code>";
        return end;
    }
    if (tag == "code") return renderCodeBlock(text, next, out);
    return at;
}

// The next "\\" or "@" from `at`, or the text's size.
std::size_t nextTagMark(const std::string& text, std::size_t at) {
    while (at < text.size() && text[at] != '\\' && text[at] != '@') ++at;
    return at;
}

std::string withTagsRendered(std::string text) {
    // Most comments hold no tag.
    if (nextTagMark(text, 0) == text.size()) return text;
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t mark = nextTagMark(text, at);
        out.append(text, at, mark - at);
        if (mark == text.size()) break;
        bool tagStart = mark == 0 || !isWordCharacter(text[mark - 1]);
        std::size_t next = tagStart ? renderTag(text, mark, out) : mark;
        if (next == mark) {
            out += text[mark];
            at = mark + 1;
        } else {
            at = next;
        }
    }
    return out;
}

}  // namespace

CleanComment cleanComment(std::string text, bool block, bool tripleSlash) {
    CleanComment comment;
    // "/**", "/*!" and "//!" mark documentation; "///" is marked already.
    bool marked = !text.empty() && (text[0] == '!' || (block && text[0] == '*'));
    if (marked && !tripleSlash) text.erase(0, 1);
    if (!text.empty() && text[0] == '<' && (marked || tripleSlash)) {
        comment.describesPrevious = true;
        text.erase(0, 1);
    }
    removeDecoration(text, block);
    comment.text = withTagsRendered(std::move(text));
    return comment;
}

}  // namespace zivrat
