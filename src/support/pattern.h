// The one regular-expression dialect of the program: single-element
// closures (*, +, ?), classes, "." and the two anchors; no grouping and no
// alternation. Configuration files hold patterns in it, so its rules are
// kept exactly, quirks included.
#pragma once

#include <bitset>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

namespace zivrat {

// Raised when an invalid pattern is used.
struct PatternFailure : std::runtime_error {
    PatternFailure() : std::runtime_error("[BADRE] Attempt to use invalid regular expression") {}
};

class Pattern {
public:
    static constexpr std::size_t npos = std::string::npos;
    // The compiled form holds at most this many cells, the end marker included.
    static constexpr std::size_t kMaxCells = 256;

    struct Match {
        std::size_t position = npos;  // npos: no match
        std::size_t length = 0;
        bool found() const { return position != npos; }
    };

    explicit Pattern(const std::string& text = std::string()) { assign(text); }
    void assign(const std::string& text);

    // 0 valid; 1, 2 or 3 invalid.
    int status() const { return status_; }
    bool valid() const { return status_ == 0; }

    // The leftmost match at or after start. Throws PatternFailure when invalid.
    Match find(const std::string& text, std::size_t start = 0) const;
    std::string matchText(const std::string& text, std::size_t start = 0) const;
    // A match anywhere in the text (unless the pattern is anchored).
    bool matches(const std::string& text) const { return find(text, 0).found(); }

private:
    enum class Kind { Literal, Any, Class, StartAnchor, EndAnchor };
    enum class Closure { None, Star, Plus, Optional };
    struct Element {
        Kind kind = Kind::Literal;
        Closure closure = Closure::None;
        unsigned char literal = 0;
        std::size_t slot = 0;      // with a closure: its number among the closures
        std::bitset<256> members;  // for Kind::Class
    };
    struct Search;


    bool compileClass(const std::string& text, std::size_t& i);
    bool matchesOne(const Element& element, const std::string& text, std::size_t pos) const;
    std::size_t matchFrom(std::size_t element, const std::string& text, Search& search,
                          std::size_t pos) const;
    std::size_t matchAfterClosure(const Element& closure, std::size_t next,
                                  const std::string& text, Search& search, std::size_t pos) const;
    bool remembersFailures(Search& search, std::size_t textSize) const;

    std::vector<Element> elements_;
    std::size_t closures_ = 0;
    int status_ = 1;
};

// Replaces every match; the search resumes right after each inserted replacement.
std::string replaceAll(const std::string& text, const Pattern& pattern,
                       const std::string& replacement);
std::string replaceAll(const std::string& text, const std::string& pattern,
                       const std::string& replacement);

}  // namespace zivrat
