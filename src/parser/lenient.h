// The lenient token filter: it stands between the scanner and the lenient
// grammar and turns what today's headers write into the forms the
// declaration grammar reads (macros dropped, unknown and qualified type
// names as type names, newer keywords dropped or rewritten), and after a
// syntax error skips the declaration to its end.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "parser/value.h"

namespace zivrat {

struct LenientToken {
    int token = 0;
    DeclValue value;

    explicit LenientToken(int number = 0) { makeEmpty(number); }

    // An empty text keeps every copy of the value short.
    void makeEmpty(int number) {
        token = number;
        value.number = 0;
        value.length = 0;
        value.text[0] = '\0';
    }
};

// The tokens scanned ahead, in order. A value slot is large: the slots are
// kept and reused instead of being allocated per token.
class TokenQueue {
public:
    bool empty() const { return first_ == end_; }
    std::size_t size() const { return end_ - first_; }
    LenientToken& operator[](std::size_t index) { return slots_[first_ + index]; }
    LenientToken& front() { return slots_[first_]; }
    LenientToken& back() { return slots_[end_ - 1]; }
    // Adds an empty token at the back.
    LenientToken& emplace_back() {
        if (empty()) first_ = end_ = 0;
        if (end_ == slots_.size()) slots_.emplace_back();
        LenientToken& token = slots_[end_++];
        token.makeEmpty(0);
        return token;
    }
    void push_back(const LenientToken& token) { emplace_back() = token; }
    void push_front(const LenientToken& token) {
        if (first_ == 0) {
            // The tokens in use move one slot up.
            if (end_ == slots_.size()) slots_.emplace_back();
            std::copy_backward(slots_.begin(), slots_.begin() + end_, slots_.begin() + end_ + 1);
            ++end_;
            slots_[0] = token;
        } else {
            slots_[--first_] = token;
        }
    }
    void pop_front() { ++first_; }

private:
    std::vector<LenientToken> slots_;
    std::size_t first_ = 0;
    std::size_t end_ = 0;
};

// What a brace handed over opens.
enum class BraceKind : std::uint8_t {
    NoDeclarations,  // an enumeration, an initializer, a documentation comment
    Declarations,    // a namespace or linkage block
    ClassBody,
};

inline bool holdsDeclarations(BraceKind kind) { return kind != BraceKind::NoDeclarations; }

struct LenientState {
    // Tokens scanned but not yet handed to the grammar.
    TokenQueue ahead;
    // A token the word filter scanned past and gives back next.
    TokenQueue scannedBack;
    bool reachedEnd = false;
    // One entry per brace handed over and still open.
    std::vector<BraceKind> braces;
    int parentheses = 0;
    // The last two tokens handed over.
    int last = 0;
    int beforeLast = 0;
    // Between a class key and its body, and after the ":" of its bases.
    bool classHead = false;
    bool baseList = false;
    // Inside "template<...>": the angle depth, 0 outside.
    int templateHeader = 0;
    // A syntax error was reported: skip to the end of the declaration.
    bool recovering = false;
    // The brace depth of the body the skipped declaration stands in.
    std::size_t recoveryDepth = 0;
    // The last "}" handed over closed nothing (a stray one), or closed a
    // body that holds declarations.
    bool strayEnd = false;
    BraceKind endClosed = BraceKind::NoDeclarations;
    // The last RESUME handed over was followed by a "}" put back: when the
    // "}" comes right after it, that "}" is handed over for the second time.
    bool resumedBeforeEnd = false;
    // Nothing is queued, scanned back or being skipped, and the input goes
    // on: the next token comes straight from the scanner.
    bool scansDirectly = true;
    // The scanner's count of braces read as raw text.
    int* rawBraceBalance = nullptr;
};

// Starts the filter on a new input.
void resetLenientFilter();

// The next token for the lenient grammar.
int nextLenientToken(DeclValue& value);

// Called when the lenient grammar reports a syntax error.
void beginLenientRecovery();

}  // namespace zivrat
