#include "support/pattern.h"

#include <cctype>

namespace zivrat {
namespace {

constexpr std::size_t kClassCells = 17;  // one marker and a 256-bit set
// Failed continuations a search may meet, beyond one per byte of the text,
// before it starts to remember them.
constexpr std::size_t kFailuresBeforeMemory = 256;

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool isOctal(char c) { return c >= '0' && c <= '7'; }

// Reads one character or escape at text[i] and moves i past it.
unsigned char readCharacter(const std::string& text, std::size_t& i) {
    if (text[i] != '\\') return static_cast<unsigned char>(text[i++]);
    if (i + 1 >= text.size()) {  // a backslash ends the pattern
        ++i;
        return '\\';
    }
    char next = text[i + 1];
    i += 2;
    switch (std::tolower(static_cast<unsigned char>(next))) {
        case 's': return ' ';
        case 't': return '\t';
        case 'n': return '\n';
        case 'r': return '\r';
        case 'f': return '\f';
        case 'b': return '\b';
        case 'e': return 27;
        case 'x': {
            if (i >= text.size() || hexValue(text[i]) < 0) return static_cast<unsigned char>(next);
            int value = hexValue(text[i++]);
            if (i < text.size() && hexValue(text[i]) >= 0) value = value * 16 + hexValue(text[i++]);
            return static_cast<unsigned char>(value);
        }
        case '^':
            if (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i]))) {
                return static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(text[i++])) - 64);
            }
            return '^';
        default:
            break;
    }
    if (isOctal(next)) {
        int value = next - '0';
        for (int digits = 1; digits < 3 && i < text.size() && isOctal(text[i]); ++digits) {
            value = value * 8 + (text[i++] - '0');
        }
        return static_cast<unsigned char>(value);
    }
    return static_cast<unsigned char>(next);
}

}  // namespace

// One search over one text. Several closures in a row can try the same rest
// of the pattern at the same text position again and again, exponentially
// often; the outcome is always the same, so once a search has met many
// failures it remembers which (closure, position) continuations failed.
// Ordinary searches never get that far and pay nothing for it.
struct Pattern::Search {
    std::size_t failures = 0;
    std::vector<bool> failed;  // by closure slot * (text size + 1) + position
};

void Pattern::assign(const std::string& text) {
    elements_.clear();
    closures_ = 0;
    status_ = 0;
    if (text.empty() || text[0] == '*' || text[0] == '+' || text[0] == '?') {
        status_ = 1;
        return;
    }
    std::size_t cells = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        // One cell always stays free for the end marker.
        if (cells + 1 >= kMaxCells) {
            status_ = 3;
            return;
        }
        char c = text[i];
        if (c == '*' || c == '+' || c == '?') {
            Element& last = elements_.back();
            if (last.kind == Kind::StartAnchor || last.kind == Kind::EndAnchor ||
                last.closure != Closure::None) {
                status_ = 3;
                return;
            }
            last.closure = c == '*' ? Closure::Star : c == '+' ? Closure::Plus : Closure::Optional;
            last.slot = closures_++;
            ++cells;
            ++i;
            continue;
        }
        Element element;
        if (c == '$' && i + 1 == text.size()) {
            element.kind = Kind::EndAnchor;
            ++i;
        } else if (c == '.') {
            element.kind = Kind::Any;
            ++i;
        } else if (c == '[') {
            if (cells + kClassCells + 1 > kMaxCells) {
                status_ = 3;
                return;
            }
            ++i;
            Element classElement;
            elements_.push_back(classElement);
            if (!compileClass(text, i)) return;
            cells += kClassCells;
            continue;
        } else if (c == '^' && elements_.empty()) {
            element.kind = Kind::StartAnchor;
            ++i;
        } else {
            element.literal = readCharacter(text, i);
        }
        elements_.push_back(element);
        ++cells;
    }
}

// Reads the items of a class after its "["; the element is the last one.
bool Pattern::compileClass(const std::string& text, std::size_t& i) {
    Element& element = elements_.back();
    element.kind = Kind::Class;
    if (i < text.size() && text[i] == ']') {  // "[]"
        status_ = 1;
        return false;
    }
    bool negated = i < text.size() && text[i] == '^';
    if (negated) ++i;
    std::bitset<256> members;
    while (true) {
        if (i >= text.size()) {
            status_ = 1;
            return false;
        }
        if (text[i] == ']') {
            ++i;
            break;
        }
        unsigned char low = readCharacter(text, i);
        unsigned char high = low;
        if (i + 1 < text.size() && text[i] == '-' && text[i + 1] != ']') {
            ++i;
            high = readCharacter(text, i);
        }
        if (low > high) std::swap(low, high);
        for (unsigned value = low; value <= high; ++value) members.set(value);
    }
    element.members = negated ? ~members : members;
    return true;
}

bool Pattern::matchesOne(const Element& element, const std::string& text, std::size_t pos) const {
    if (pos >= text.size()) return false;
    unsigned char c = static_cast<unsigned char>(text[pos]);
    switch (element.kind) {
        case Kind::Literal: return c == element.literal;
        case Kind::Any: return c != '\n';
        case Kind::Class: return element.members.test(c);
        default: return false;
    }
}

// Matches the elements from the given one on at pos; the match end, or npos.
std::size_t Pattern::matchFrom(std::size_t index, const std::string& text, Search& search,
                               std::size_t pos) const {
    for (; index < elements_.size(); ++index) {
        const Element& element = elements_[index];
        if (element.kind == Kind::StartAnchor) continue;
        if (element.kind == Kind::EndAnchor) {
            if (pos != text.size()) return npos;
            continue;
        }
        if (element.closure == Closure::None) {
            if (!matchesOne(element, text, pos)) return npos;
            ++pos;
            continue;
        }
        std::size_t minimum = element.closure == Closure::Plus ? 1 : 0;
        std::size_t most = element.closure == Closure::Optional ? 1 : std::string::npos;
        std::size_t count = 0;
        while (count < most && matchesOne(element, text, pos + count)) ++count;
        if (count < minimum) return npos;
        // Greedy: give back one repetition at a time while the rest fails.
        for (std::size_t taken = count + 1; taken-- > minimum;) {
            std::size_t end = matchAfterClosure(element, index + 1, text, search, pos + taken);
            if (end != npos) return end;
        }
        return npos;
    }
    return pos;
}

// The rest of the pattern after a closure, at pos.
std::size_t Pattern::matchAfterClosure(const Element& closure, std::size_t next,
                                       const std::string& text, Search& search,
                                       std::size_t pos) const {
    const std::size_t cell = closure.slot * (text.size() + 1) + pos;
    if (!search.failed.empty() && search.failed[cell]) return npos;
    std::size_t end = matchFrom(next, text, search, pos);
    if (end == npos && remembersFailures(search, text.size())) search.failed[cell] = true;
    return end;
}

bool Pattern::remembersFailures(Search& search, std::size_t textSize) const {
    if (!search.failed.empty()) return true;
    if (++search.failures <= textSize + kFailuresBeforeMemory) return false;
    search.failed.assign(closures_ * (textSize + 1), false);
    return true;
}

Pattern::Match Pattern::find(const std::string& text, std::size_t start) const {
    if (!valid()) throw PatternFailure();
    Match match;
    if (start > text.size()) return match;
    bool anchored = !elements_.empty() && elements_[0].kind == Kind::StartAnchor;
    std::size_t last = anchored ? start : text.size();
    // A match can only start where a leading plain literal stands.
    const Element& first = elements_[0];
    bool leadingLiteral = first.kind == Kind::Literal && first.closure == Closure::None;
    Search search;
    for (std::size_t pos = start; pos <= last; ++pos) {
        if (leadingLiteral && !anchored) {
            pos = text.find(static_cast<char>(first.literal), pos);
            if (pos == std::string::npos) break;
        }
        std::size_t end = matchFrom(0, text, search, pos);
        if (end != npos) {
            match.position = pos;
            match.length = end - pos;
            return match;
        }
    }
    return match;
}

std::string Pattern::matchText(const std::string& text, std::size_t start) const {
    Match match = find(text, start);
    return match.found() ? text.substr(match.position, match.length) : std::string();
}

std::string replaceAll(const std::string& text, const Pattern& pattern,
                       const std::string& replacement) {
    std::string result = text;
    std::size_t pos = 0;
    while (true) {
        Pattern::Match match = pattern.find(result, pos);
        if (!match.found()) break;
        result.replace(match.position, match.length, replacement);
        pos = match.position + replacement.size();
        // An empty match would be found again at the same place: step over it.
        if (match.length == 0) ++pos;
    }
    return result;
}

std::string replaceAll(const std::string& text, const std::string& pattern,
                       const std::string& replacement) {
    return replaceAll(text, Pattern(pattern), replacement);
}

}  // namespace zivrat
