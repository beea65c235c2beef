// The scanner: ordinary text is copied in bulk (fast mode) and only the bytes
// that start something are looked at; directives and macro arguments read
// every token (slow mode).
#include <cctype>
#include <cstring>

#include "preprocessor/preprocessor_state.h"

namespace zivrat::pp {

namespace {

CharTables buildCharTables() {
    CharTables tables{};
    for (int c = 0; c < 256; ++c) tables.type[c] = CharType::kOther;
    auto flag = [&](const char* bytes, std::uint8_t value) {
        for (const char* at = bytes; *at != '\0'; ++at) tables.fast[static_cast<unsigned char>(*at)] |= value;
    };
    const char* letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_";
    const char* digits = "0123456789";
    flag(letters, kIdentifierBody | kTokenStart | kNumberBody);
    flag(digits, kIdentifierBody | kTokenStart | kNumberBody);
    flag(".", kTokenStart | kNumberBody);
    flag("\n\"'/\\\xFE", kTokenStart);
    flag("*\n", kCommentStop);
    flag("\n\"'\\", kQuoteStop);
    flag("\xFE", kMarkerFlag);
    tables.fast[0] |= kTokenStart | kCommentStop | kQuoteStop | kMarkerFlag;
    for (const char* at = letters; *at != '\0'; ++at) tables.type[static_cast<unsigned char>(*at)] = CharType::kIdentifier;
    for (const char* at = digits; *at != '\0'; ++at) tables.type[static_cast<unsigned char>(*at)] = CharType::kNumber;
    tables.type[static_cast<unsigned char>('.')] = CharType::kNumber;
    for (const char* at = " \t\v\f\r"; *at != '\0'; ++at) tables.type[static_cast<unsigned char>(*at)] = CharType::kBlank;
    for (int c = 0; c < 256; ++c) {
        tables.slow[c] = tables.fast[c] | kTokenStart;
        bool wordByte = tables.type[c] == CharType::kIdentifier || tables.type[c] == CharType::kNumber;
        tables.skipped[c] = wordByte ? tables.fast[c] & ~kTokenStart : tables.fast[c];
    }
    return tables;
}

bool isDigit(int c) { return c >= '0' && c <= '9'; }

}  // namespace

// Built before main: the scanners ask for it at every token.
const CharTables kCharTables = buildCharTables();

const CharTables& charTables() { return kCharTables; }

void Preprocessor::incrementLine() {
    int& line = levels_.back().line;
    line = static_cast<int>(static_cast<unsigned>(line) + 1u);
}

void Preprocessor::consumeNewline() {
    ++p_;
    incrementLine();
}

void Preprocessor::mainLoop() {
    for (;;) {
        if (lineStartsDirective()) {
            directive();
        } else {
            copyRestOfLine();
        }
    }
}

// At the start of a line: blanks and tabs are passed over; a form feed or
// vertical tab before "#" trades places with it. True when a directive starts.
bool Preprocessor::lineStartsDirective() {
    tokenStart_ = p_;
    std::size_t offset = 0;
    while (ensure(offset) && (p_[offset] == ' ' || p_[offset] == '\t')) ++offset;
    if (p_ + offset >= end_) return false;
    if (p_[offset] == '\f' || p_[offset] == '\v') {
        std::size_t hash = offset + 1;
        while (ensure(hash) && (p_[hash] == '\f' || p_[hash] == '\v')) ++hash;
        if (p_ + hash < end_ && p_[hash] == '#') std::swap(p_[offset], p_[hash]);
    }
    p_ += offset;
    if (*p_ != '#') return false;
    flushOutput(p_);
    return true;
}

// Fast mode: copies text up to and including the next newline, expanding
// macros on the way.
void Preprocessor::copyRestOfLine() {
    // Words in a skipped group are neither looked up nor written: they are
    // passed over with the rest of the text.
    const std::uint8_t* fast = skipping() ? charTables().skipped : charTables().fast;
    for (;;) {
        char* at = p_;
        while (!(fast[byteAt(at)] & kTokenStart)) ++at;
        p_ = tokenStart_ = at;
        switch (byteAt(at)) {
            case '\n':
                consumeNewline();
                if (hasPendingMarker_ || lineDirectiveRequested_) {
                    flushOutput(p_);
                    if (hasPendingMarker_) {
                        levels_.back().line = static_cast<int>(static_cast<unsigned>(pendingMarker_) + 1u);
                    }
                    writeLineDirective();
                    hasPendingMarker_ = lineDirectiveRequested_ = false;
                }
                return;
            case 0:
                if (at == end_) {
                    refill();
                } else {
                    ++p_;
                }
                break;
            case '"':
            case '\'': skipLiteral(*at, false); break;
            case '/': {
                int next = peek(1);
                if (next == '*') {
                    skipBlockComment(options_.keepComments, true);
                } else if (next == '/') {
                    skipLineComment(options_.keepComments);
                } else {
                    ++p_;
                }
                break;
            }
            case '\\':
                if (peek(1) == '\n') {
                    ++p_;
                    consumeNewline();
                } else {
                    ++p_;
                }
                break;
            case kMarkerByte:
                flushOutput(p_);
                readMarker();
                outStart_ = p_;
                break;
            case '.':
                if (isDigit(peek(1))) {
                    scanNumber(false);
                } else {
                    ++p_;
                }
                break;
            default:
                if (charTables().type[byteAt(at)] == CharType::kNumber) {
                    scanNumber(false);
                } else {
                    identifierInText();
                }
                break;
        }
    }
}

// A string or character literal; a newline ends an unterminated one before
// the newline. With `keep` the literal stays whole as the current token.
void Preprocessor::skipLiteral(char quote, bool keep) {
    const std::uint8_t* fast = charTables().fast;
    ++p_;
    for (;;) {
        char* at = p_;
        while (!(fast[byteAt(at)] & kQuoteStop)) ++at;
        p_ = at;
        if (*at == quote) {
            ++p_;
            return;
        }
        if (*at == '\n') return;
        if (*at == 0 && at == end_) {
            if (!keep) tokenStart_ = p_;
            if (!refill()) return;
            continue;
        }
        if (*at == '\\') {
            ++p_;
            if (!keep) tokenStart_ = p_;
            if (!ensure(0)) return;
            if (*p_ == '\n') {
                consumeNewline();
                continue;
            }
        }
        ++p_;
    }
}

// A block comment. Without `keep` it leaves nothing in the output but the
// newlines it holds (in copied text and on directive lines). Kept comments
// longer than a block are cut into several adjacent comments.
void Preprocessor::skipBlockComment(bool keep, bool fastMode) {
    const std::uint8_t* fast = charTables().fast;
    flushOutput(p_);
    bool writeNewlines = !keep && (fastMode || inDirective_);
    std::size_t keptBytes = 0;
    auto more = [&](bool afterStar) {
        if (keep) {
            tokenStart_ = afterStar ? p_ - 1 : p_;
            keptBytes += static_cast<std::size_t>(tokenStart_ - outStart_);
            flushOutput(tokenStart_);
            if (keptBytes > kBlockSize) {
                writeRaw("*/");
                writeRaw("/*");
                keptBytes = 2;
            }
        } else {
            tokenStart_ = outStart_ = p_;
        }
        return refill();
    };
    inComment_ = true;
    p_ += 2;
    for (;;) {
        char* at = p_;
        while (!(fast[byteAt(at)] & kCommentStop)) ++at;
        p_ = at;
        if (*at == '*') {
            ++p_;
            if (p_ == end_ && !more(true)) break;
            if (*p_ == '/') {
                ++p_;
                break;
            }
        } else if (*at == '\n') {
            consumeNewline();
            if (writeNewlines) writeRaw("\n");
        } else if (at == end_) {
            if (!more(false)) break;
        } else {
            ++p_;
        }
    }
    inComment_ = false;
    if (!keep) outStart_ = p_;
    tokenStart_ = p_;
}

// A line comment, up to but not including its newline.
void Preprocessor::skipLineComment(bool keep) {
    flushOutput(p_);
    p_ += 2;
    for (;;) {
        // Comments are long: the library's scan for the line end (or the
        // buffer's closing zero) beats a loop of our own.
        char* at = p_ + std::strcspn(p_, "\n");
        p_ = at;
        if (*at == '\n') break;
        if (at != end_) {
            ++p_;
            continue;
        }
        tokenStart_ = p_;
        if (!keep) outStart_ = p_;
        if (!refill()) break;
    }
    if (!keep) outStart_ = p_;
    tokenStart_ = p_;
}

// A number: a digit (or "." before a digit) and the identifier bodies and
// dots after it, so that 0x1F, 12L and 1.5e3 are single tokens.
void Preprocessor::scanNumber(bool keep) {
    const std::uint8_t* fast = charTables().fast;
    ++p_;
    for (;;) {
        char* at = p_;
        while (fast[byteAt(at)] & kNumberBody) ++at;
        p_ = at;
        if (!(*at == 0 && at == end_)) return;
        if (!keep) tokenStart_ = p_;
        if (!refill()) return;
    }
}

void Preprocessor::scanIdentifierBody(bool keep) {
    const std::uint8_t* fast = charTables().fast;
    for (;;) {
        char* at = p_;
        while (fast[byteAt(at)] & kIdentifierBody) ++at;
        p_ = at;
        if (!(*at == 0 && at == end_)) return;
        if (!keep) tokenStart_ = p_;
        if (!refill()) return;
    }
}

// The byte 0xFE and the line number after it, most significant byte first.
void Preprocessor::readMarker() {
    tokenStart_ = p_;
    std::uint32_t value = 0;
    std::size_t length = 1;
    for (; length < 5 && ensure(length); ++length) value = value << 8 | byteAt(p_ + length);
    p_ += length;
    hasPendingMarker_ = true;
    pendingMarker_ = static_cast<int>(value);
}

void Preprocessor::identifierInText() {
    bool copied = !skipping();
    scanIdentifierBody(copied);
    if (copied) tryExpansion();
}

// The identifier [tokenStart_, p_) is expanded when it names a macro.
bool Preprocessor::tryExpansion() {
    const char* name = tokenStart_;
    std::size_t length = static_cast<std::size_t>(p_ - tokenStart_);
    bool selfReference = p_ == selfReferenceEnd_;
    selfReferenceEnd_ = nullptr;
    if (selfReference || !passesNameBits(name, length)) return false;
    int slot = findSlot(name, significantLength(length));
    if (slot < 0 || table_[slot].definition < 0) return false;
    return expand(slot);
}

// Slow mode: the next token, left in [tokenStart_, p_). A newline is
// returned but not consumed; comments are passed over.
Token Preprocessor::nextToken(bool expandMacros) {
    for (;;) {
        tokenStart_ = outStart_ = p_;
        unsigned char c = byteAt(p_);
        Token token = Token::kOther;
        switch (c) {
            case 0:
                if (p_ == end_) {
                    if (!refill()) return Token::kNewline;
                    continue;
                }
                ++p_;
                break;
            case '\n': return Token::kNewline;
            case '"':
            case '\'':
                skipLiteral(static_cast<char>(c), true);
                token = c == '"' ? Token::kString : Token::kCharacter;
                break;
            case '/': {
                int next = peek(1);
                if (next == '*') {
                    skipBlockComment(false, false);
                    continue;
                }
                if (next == '/') {
                    skipLineComment(false);
                    continue;
                }
                ++p_;
                break;
            }
            case '\\':
                ++p_;
                if (ensure(0) && *p_ == '\n') {
                    consumeNewline();
                    if (inDirective_) writeRaw("\n");
                    token = Token::kContinuation;
                }
                break;
            case kMarkerByte: readMarker(); continue;
            case '=':
            case '!':
            case '<':
            case '>':
            case '&':
            case '|': {
                int next = peek(1);
                ++p_;
                bool withEquals = next == '=' && c != '&' && c != '|';
                bool doubled = next == c && c != '=' && c != '!';
                if (withEquals || doubled) ++p_;
                break;
            }
            default:
                switch (charTables().type[c]) {
                    case CharType::kBlank:
                        while (isBlankByte(*p_)) ++p_;
                        token = Token::kBlank;
                        break;
                    case CharType::kNumber:
                        if (c == '.' && !isDigit(peek(1))) {
                            ++p_;
                            break;
                        }
                        scanNumber(true);
                        token = Token::kNumber;
                        break;
                    case CharType::kIdentifier:
                        scanIdentifierBody(true);
                        if (expandMacros && (!skipping() || forceExpansion_) && tryExpansion()) continue;
                        token = Token::kIdentifier;
                        break;
                    default: ++p_; break;
                }
        }
        if (capturing_ && token != Token::kContinuation) capture_.append(tokenStart_, p_);
        return token;
    }
}

Token Preprocessor::nextNonBlank(bool expandMacros) {
    for (;;) {
        Token token = nextToken(expandMacros);
        if (token != Token::kBlank && token != Token::kContinuation) return token;
    }
}

// True when the line after the newline at `newlineOffset` begins with "#";
// a function-like macro's search for "(" stops before a directive.
bool Preprocessor::nextLineIsDirective(std::size_t newlineOffset, std::size_t& offset) {
    offset = newlineOffset + 1;
    while (ensure(offset) && (p_[offset] == ' ' || p_[offset] == '\t')) ++offset;
    return p_ + offset < end_ && p_[offset] == '#';
}

// Looks past blanks, comments and (outside directives) newlines for the "("
// of a function-like macro call, without consuming anything: when there is
// none, scanning goes on right after the name, so nothing is lost.
ParenthesisSearch Preprocessor::searchParenthesis(bool crossLines) {
    ParenthesisSearch search;
    std::size_t room = static_cast<std::size_t>(inputStart_ - buffer_.data());
    std::size_t used = static_cast<std::size_t>(p_ - tokenStart_) + 8;
    // What is looked at stays in the buffer with the name, so it must fit there.
    std::size_t limit = room > used ? room - used : 0;
    lookingAhead_ = true;
    auto at = [&](std::size_t offset) { return offset < limit && ensure(offset) ? byteAt(p_ + offset) : -1; };
    std::size_t offset = 0;
    for (;;) {
        int c = at(offset);
        if (c == '(') {
            search.found = true;
            search.length = offset + 1;
            break;
        }
        if (c >= 0 && isBlankByte(static_cast<char>(c))) {
            ++offset;
        } else if (c == '\n') {
            std::size_t next;
            if (!crossLines || nextLineIsDirective(offset, next)) break;
            ++search.newlines;
            ++offset;
        } else if (c == '\\' && at(offset + 1) == '\n') {
            ++search.newlines;
            offset += 2;
        } else if (c == '/' && at(offset + 1) == '*') {
            offset += 2;
            int d;
            while ((d = at(offset)) >= 0 && !(d == '*' && at(offset + 1) == '/')) {
                if (d == '\n') ++search.newlines;
                ++offset;
            }
            if (d < 0) break;
            offset += 2;
        } else if (c == '/' && at(offset + 1) == '/') {
            offset += 2;
            while (at(offset) >= 0 && at(offset) != '\n') ++offset;
            if (at(offset) < 0) break;
        } else if (c == kMarkerByte && at(offset + 4) >= 0) {
            std::uint32_t value = 0;
            for (std::size_t k = 1; k < 5; ++k) value = value << 8 | byteAt(p_ + offset + k);
            search.hasMarker = true;
            search.marker = static_cast<int>(value);
            offset += 5;
        } else {
            break;
        }
    }
    lookingAhead_ = false;
    return search;
}

}  // namespace zivrat::pp
