// The macro table, stored definitions, #define and #undef, and the expansion
// of macro calls into the text buffer.
#include <algorithm>
#include <cstring>
#include <ctime>
#include <ostream>

#include "ground/messages.h"
#include "preprocessor/preprocessor_state.h"
#include "support/clock.h"

namespace zivrat::pp {

namespace {

const char* const kDirectiveNames[] = {"#define", "#undef",  "#include", "#else",  "#endif",
                                       "#elif",   "#ifdef",  "#ifndef",  "#if",    "#line",
                                       "#ident",  "#pragma", "#error"};
// Directives of today's headers, known in lenient mode only; their kinds
// follow kError in the same order.
const char* const kLenientDirectiveNames[] = {"#warning", "#include_next", "#import",
                                              "#sccs",    "#assert",       "#unassert"};
const char kUsingStdNames[] = "__USING_STD_NAMES__";
// What today's compilers define and headers test to choose their plain path.
// (Not __GNUC__: without it system headers leave out their extensions.)
const char* const kLenientPredefinitions[] = {
    "__STDC__ 1",         "__x86_64__ 1",        "__linux__ 1",
    "__CHAR_BIT__ 8",     "__SIZEOF_INT__ 4",    "__SIZEOF_LONG__ 8",
    "__SIZEOF_POINTER__ 8", "__WCHAR_MAX__ 0x7fffffff", "__WCHAR_MIN__ (-0x7fffffff - 1)"};
// No variadic part: every comma at the call's own depth ends an argument.
constexpr std::size_t kEveryComma = static_cast<std::size_t>(-1);
// The spelling of a variadic formal: "...", or "name..." after a name.
const char kEllipsis[] = "...";

int formalIndex(const std::string& word, const std::vector<std::string>& formals) {
    auto found = std::find(formals.begin(), formals.end(), word);
    return found == formals.end() ? -1 : static_cast<int>(found - formals.begin());
}

void appendFormalReference(std::string& body, int index) {
    body += static_cast<char>(index + 1);
    body += static_cast<char>(kMarkerByte);
}

}  // namespace

std::size_t Preprocessor::significantLength(std::size_t length) const {
    return std::min<std::size_t>(length, static_cast<std::size_t>(options_.significant));
}

// h = 2 * h + c over the name's bytes as signed characters, in 32 bits.
std::uint32_t Preprocessor::hashOf(const char* name, std::size_t length) {
    std::uint32_t hash = 0;
    for (std::size_t i = 0; i < length; ++i) {
        hash = 2u * hash + static_cast<std::uint32_t>(static_cast<signed char>(name[i]));
    }
    return hash;
}

// The slot of a name, or the empty slot that ends its probe chain. The slot
// index is the hash modulo the table size (made non-negative); probing goes
// downward and may wrap once past slot 0.
int Preprocessor::probe(const char* name, std::size_t length) {
    std::uint32_t hash = hashOf(name, length);
    int index = static_cast<std::int32_t>(hash) % kTableSize;
    if (index < 0) index += kTableSize;
    bool wrapped = false;
    for (;;) {
        const Slot& slot = table_[index];
        if (slot.name < 0) return index;
        if (slot.hash == hash && static_cast<std::size_t>(slot.length) == length &&
            std::memcmp(&pool_[slot.name], name, length) == 0) {
            return index;
        }
        if (--index < 0) {
            if (wrapped) fatal("too many defines");
            wrapped = true;
            index = kTableSize - 1;
        }
    }
}

int Preprocessor::findSlot(const char* name, std::size_t length) {
    int index = probe(name, length);
    return table_[index].name < 0 ? -1 : index;
}

// Enters a name (cut by the caller); a known name gives its pool copy back.
int Preprocessor::enterName(const char* name, std::size_t length) {
    std::size_t mark = poolUsed_;
    std::int32_t offset = poolAppend(name, length);
    poolAppend("", 1);
    int index = probe(&pool_[offset], length);
    Slot& slot = table_[index];
    if (slot.name < 0) {
        tables_.filledSlots.push_back(index);
        slot.name = offset;
        slot.length = static_cast<std::int32_t>(length);
        slot.hash = hashOf(name, length);
    } else {
        poolUsed_ = mark;
    }
    return index;
}

void Preprocessor::enterDirectiveNames() {
    for (std::size_t i = 0; i < std::size(kDirectiveNames); ++i) {
        int slot = enterName(kDirectiveNames[i], std::strlen(kDirectiveNames[i]));
        table_[slot].directive = static_cast<Directive>(i);
    }
    if (!options_.lenient) return;
    for (std::size_t i = 0; i < std::size(kLenientDirectiveNames); ++i) {
        int slot = enterName(kLenientDirectiveNames[i], std::strlen(kLenientDirectiveNames[i]));
        table_[slot].directive = static_cast<Directive>(kWarning + i);
    }
}

void Preprocessor::definePredefinedNames() {
    if (!options_.lenient) return;
    for (const char* text : kLenientPredefinitions) defineFromText(text);
}

// The fast-reject bitmap: bit i of a byte's mask is set when some macro name
// has that byte at position i (the first eight positions).
void Preprocessor::recordNameBits(const char* name, std::size_t length) {
    for (std::size_t i = 0; i < length && i < 8; ++i) nameBits_[byteAt(name + i)] |= 1u << i;
}

bool Preprocessor::passesNameBits(const char* name, std::size_t length) const {
    for (std::size_t i = 0; i < length && i < 8; ++i) {
        if (!(nameBits_[byteAt(name + i)] & (1u << i))) return false;
    }
    return true;
}

int Preprocessor::definitionOf(const char* name, std::size_t length) {
    int slot = findSlot(name, significantLength(length));
    return slot < 0 ? -1 : table_[slot].definition;
}

// A definition in the pool: a 0 byte, the replacement, the count byte and a
// final 0 byte, which the definition offset names. It is read backwards.
std::int32_t Preprocessor::storeDefinition(const std::string& body, unsigned char count) {
    poolAppend("", 1);
    poolAppend(body.data(), body.size());
    const char tail[2] = {static_cast<char>(count), '\0'};
    return poolAppend(tail, 2) + 1;
}

bool Preprocessor::sameDefinition(std::int32_t a, std::int32_t b) const {
    if (pool_[a - 1] != pool_[b - 1]) return false;
    for (std::int32_t i = a - 2, j = b - 2;; --i, --j) {
        if (pool_[i] != pool_[j]) return false;
        if (pool_[i] == 0) return true;
    }
}

void Preprocessor::defineMacro() {
    if (kPoolSize - poolUsed_ < kBlockSize) {
        error("too much defining");
        return;
    }
    int directiveLine = levels_.back().line;
    if (nextNonBlank(false) != Token::kIdentifier) {
        warning("Warning: illegal macro name");
        return;
    }
    std::string name(tokenStart_, significantLength(static_cast<std::size_t>(p_ - tokenStart_)));
    int slot = enterName(name.data(), name.size());
    recordNameBits(name.data(), name.size());
    std::vector<std::string> formals;
    unsigned char count = 0;
    bool complete = true;
    if (peek(0) == '(') {
        ++p_;
        bool variadic = false;
        complete = readFormals(name, formals, variadic);
        count = formals.empty() ? kStringizeByte : static_cast<unsigned char>(formals.size());
        if (variadic) count |= kVariadicBit;
    }
    std::string body = complete ? readReplacement(formals) : std::string();
    std::int32_t definition = storeDefinition(body, count);
    Slot& entry = table_[slot];
    if (entry.definition >= 0) {
        if (sameDefinition(entry.definition, definition)) {
            poolUsed_ = static_cast<std::size_t>(definition) - body.size() - 2;
            return;
        }
        int line = levels_.back().line;
        levels_.back().line = directiveLine;
        warning("Warning: " + name + " redefined");
        levels_.back().line = line;
    }
    entry.definition = definition;
}

// Parameters up to ")"; false when the line ends first. In lenient mode the
// last parameter may be variadic: "..." (named __VA_ARGS__) or "name...".
bool Preprocessor::readFormals(const std::string& name, std::vector<std::string>& formals,
                               bool& variadic) {
    std::string dots;  // "..." may come as one token or as three
    bool afterName = false;
    for (;;) {
        Token token = nextNonBlank(false);
        std::string text = tokenText();
        if (token == Token::kNewline) {
            error(name + ": missing )");
            return false;
        }
        if (options_.lenient && !variadic && (text == kEllipsis || text == ".")) {
            dots += text;
            if (dots != kEllipsis) continue;
            variadic = true;
            if (!afterName) formals.push_back("__VA_ARGS__");
            continue;
        }
        afterName = token == Token::kIdentifier;
        if (token == Token::kIdentifier) {
            if (formals.size() >= static_cast<std::size_t>(kMaxFormals)) {
                error("too many formals: " + text);
            } else {
                formals.push_back(text.substr(0, significantLength(text.size())));
            }
        } else if (text == ")") {
            return true;
        } else if (text != ",") {
            error("bad formal: " + text);
        }
    }
}

// The replacement text to the end of the line, in its stored form. Parameter
// names are kept as formal references, also inside literals.
std::string Preprocessor::readReplacement(const std::vector<std::string>& formals) {
    std::string body;
    int openStringize = 0;
    bool afterStringize = false;
    bool previousHash = false;
    auto substituteWords = [&](const std::string& text) {
        for (std::size_t i = 0; i < text.size();) {
            std::size_t j = i;
            while (j < text.size() && isIdentifierByte(text[j])) ++j;
            if (j == i) {
                unsigned char c = static_cast<unsigned char>(text[i++]);
                if (c != 0 && c != kMarkerByte) body += static_cast<char>(c);
                continue;
            }
            std::string word = text.substr(i, j - i);
            int index = charTables().type[static_cast<unsigned char>(word[0])] == CharType::kIdentifier
                            ? formalIndex(word.substr(0, significantLength(word.size())), formals)
                            : -1;
            if (index < 0) {
                body += word;
            } else {
                appendFormalReference(body, index);
                body.append(static_cast<std::size_t>(openStringize), static_cast<char>(kStringizeByte));
                openStringize = 0;
            }
            i = j;
        }
    };
    // Lenient mode pastes as standard C does: "a ## b" is stored "a##b", and
    // the expansion removes the "##".
    bool afterPaste = false;
    for (Token token = nextNonBlank(false); token != Token::kNewline; token = nextToken(false)) {
        std::string text = tokenText();
        bool hash = token == Token::kOther && text == "#";
        if (token == Token::kBlank || token == Token::kContinuation) {
            if (!body.empty() && body.back() != ' ' && !afterStringize && !afterPaste) body += ' ';
        } else if (hash && !previousHash && peek(0) != '#') {
            body += static_cast<char>(kStringizeByte);
            ++openStringize;
            afterStringize = true;
        } else {
            bool pasteStarts = options_.lenient && hash && !previousHash;
            if (pasteStarts && !body.empty() && body.back() == ' ') body.pop_back();
            substituteWords(text);
            afterStringize = false;
        }
        if (token != Token::kBlank && token != Token::kContinuation) {
            afterPaste = options_.lenient && hash && previousHash;
        }
        previousHash = hash;
    }
    if (!body.empty() && body.back() == ' ') body.pop_back();
    if (openStringize > 0) {
        warning("Warning: '#symbol' misused");
        body.append(static_cast<std::size_t>(openStringize), static_cast<char>(kStringizeByte));
    }
    return body;
}

// The name's slot stays, so that other names' probe chains hold; its first
// byte becomes 0xFE, which no identifier can match.
void Preprocessor::undefineName(const char* name, std::size_t length) {
    int slot = findSlot(name, length);
    if (slot < 0) return;
    pool_[table_[slot].name] = static_cast<char>(kMarkerByte);
    table_[slot].definition = -1;
}

void Preprocessor::undefDirective() {
    Token token = nextNonBlank(false);
    if (token == Token::kIdentifier && !skipping()) {
        undefineName(tokenStart_, significantLength(static_cast<std::size_t>(p_ - tokenStart_)));
    }
    finishLine(true);
}

// __USING_STD_NAMES__ is 1 while a file found by appending ".h" is read.
void Preprocessor::setUsingStdNames(bool on) {
    std::size_t length = significantLength(sizeof kUsingStdNames - 1);
    if (!on) {
        int slot = findSlot(kUsingStdNames, length);
        if (slot >= 0) table_[slot].definition = -1;
        return;
    }
    int slot = enterName(kUsingStdNames, length);
    recordNameBits(kUsingStdNames, length);
    if (usingStdDefinition_ < 0) usingStdDefinition_ = storeDefinition("1", 0);
    table_[slot].definition = usingStdDefinition_;
}

// Expands the identifier [tokenStart_, p_) that names a macro; false when it
// is left as it stands.
bool Preprocessor::expand(int slot) {
    std::string name(tokenStart_, p_);
    if (!nestingAllows(name)) return false;
    flushOutput(tokenStart_);
    bool builtin = slot == lineSlot_ || slot == fileSlot_ || slot == dateSlot_ || slot == timeSlot_;
    std::int32_t definition = table_[slot].definition;
    unsigned char count = builtin ? 0 : static_cast<unsigned char>(pool_[definition - 1]);
    const bool variadic = count != kStringizeByte && (count & kVariadicBit) != 0;
    count = variadic ? static_cast<unsigned char>(count & ~kVariadicBit) : count;
    std::vector<std::string> arguments;
    if (count != 0) {
        IncludeLevel& level = levels_.back();
        callFile_ = level.fileName;
        callLine_ = level.line;
        callName_ = name;
        callRecorded_ = true;
        ParenthesisSearch search = searchParenthesis(!inDirective_);
        if (!search.found) {
            warning("Warning: " + name + ": argument mismatch");
            return false;
        }
        levels_.back().line =
            static_cast<int>(static_cast<unsigned>(levels_.back().line) + static_cast<unsigned>(search.newlines));
        if (search.hasMarker) {
            hasPendingMarker_ = true;
            pendingMarker_ = search.marker;
        }
        p_ += search.length;
        std::size_t wanted = count == kStringizeByte ? 0 : count;
        std::size_t given = collectArguments(name, arguments, variadic ? wanted - 1 : kEveryComma);
        // A variadic call may leave the variable part out.
        if (variadic && given + 1 == wanted) {
            arguments.emplace_back();
            given = wanted;
        }
        if (!variadic || given < wanted) warnArgumentCount(name, given, wanted);
    }
    try {
        if (builtin) {
            expandBuiltin(slot);
        } else {
            if (count != 0 && levels_.back().line != callLine_) pushMarker(levels_.back().line);
            pushReplacement(definition, arguments);
        }
    } catch (const PushbackOverflow&) {
        error(name + ": too much pushback");
        dumpBufferedText();
        return true;
    }
    tokenStart_ = outStart_ = p_;
    if (builtin) return true;
    // A replacement that starts with the macro's own name does not expand it again.
    std::size_t length = name.size();
    if (static_cast<std::size_t>(end_ - p_) >= length && std::memcmp(p_, name.data(), length) == 0 &&
        !isIdentifierByte(p_[length])) {
        selfReferenceEnd_ = p_ + length;
    }
    return true;
}

// The nesting guard: the expansions whose text still surrounds the
// identifier are counted; a chain deeper than the limit stops there.
bool Preprocessor::nestingAllows(const std::string& name) {
    long long unread = unreadBytes();
    while (!expansionRegions_.empty() && expansionRegions_.back() > unread) expansionRegions_.pop_back();
    auto depth = static_cast<int>(expansionRegions_.size());
    if (options_.recursionAllowed || options_.noLineDirectives) {
        if (depth <= kUnboundedNestingLimit) return true;
        error(name + ": endless macro recursion");
        return false;
    }
    if (depth <= kNestingLimit) return true;
    printPiecesWarning("Warning: '" + name + "' macro recursion.");
    return false;
}

void Preprocessor::expandBuiltin(int slot) {
    const IncludeLevel& level = levels_.back();
    long long tail = unreadBytes();
    if (slot == lineSlot_) {
        pushBack(std::to_string(level.line));
    } else if (slot == fileSlot_) {
        pushBack("\"" + level.fileName + "\"");
    } else {
        std::tm now = localTimeOf(currentTime());
        char text[64];
        std::size_t length = std::strftime(text, sizeof text, slot == dateSlot_ ? "%b %d %Y" : "%H:%M:%S", &now);
        pushBack("\"" + std::string(text, length) + "\"");
    }
    expansionRegions_.push_back(tail);
}

// Collects the arguments of a call after its "("; returns how many were given.
// From argument `variadicIndex` on, commas belong to the (last) argument.
std::size_t Preprocessor::collectArguments(const std::string& name, std::vector<std::string>& arguments,
                                           std::size_t variadicIndex) {
    collectingArguments_ = true;
    unterminatedReported_ = false;
    argumentDepth_ = 1;
    bool directiveLine = inDirective_;
    inDirective_ = false;
    std::string current;
    std::size_t total = 0;
    std::size_t given = 0;
    bool tooLong = false;
    bool anyText = false;
    auto append = [&](const char* text, std::size_t length) {
        if (total + length > kActualsSize) {
            if (!tooLong) error(name + ": actuals too long");
            tooLong = true;
            length = kActualsSize - total;  // the rest of the arguments is dropped
        }
        current.append(text, length);
        total += length;
    };
    auto endArgument = [&]() {
        ++given;
        if (arguments.size() < static_cast<std::size_t>(kMaxFormals)) {
            arguments.push_back(current);
        } else {
            warning("Warning: " + name + ": argument mismatch");
        }
        current.clear();
    };
    for (;;) {
        Token token = nextToken(false);
        if (token == Token::kNewline) {
            consumeNewline();
            append(" ", 1);
            continue;
        }
        char c = *tokenStart_;
        if (token == Token::kOther && p_ - tokenStart_ == 1) {
            if (c == '(') {
                ++argumentDepth_;
            } else if (c == ')' && --argumentDepth_ == 0) {
                break;
            } else if (c == ',' && argumentDepth_ == 1 && given < variadicIndex) {
                endArgument();
                anyText = true;
                continue;
            }
        }
        if (token != Token::kBlank) anyText = true;
        append(tokenStart_, static_cast<std::size_t>(p_ - tokenStart_));
    }
    if (anyText) endArgument();  // "()" gives no argument
    collectingArguments_ = false;
    inDirective_ = directiveLine;
    return given;
}

void Preprocessor::warnArgumentCount(const std::string& name, std::size_t given, std::size_t wanted) {
    if (given == wanted) return;
    std::ostream& out = currentOutput();
    out << '"' << callFile_ << "\", line " << callLine_ << ": Warning: Too "
        << (given > wanted ? "many" : "few") << " of arguments in macro " << name << "." << '\n';
    messageDone();
}

// Pushes the stored replacement in front of the unread text, reading it
// backwards; each inserted argument is followed by token pasting.
void Preprocessor::pushReplacement(std::int32_t definition, const std::vector<std::string>& arguments) {
    long long tail = unreadBytes();
    std::int32_t at = definition - 2;
    for (;;) {
        std::int32_t stop = at;
        while (pool_[stop] != 0 && byteAt(&pool_[stop]) != kMarkerByte && pool_[stop] != '#') --stop;
        if (stop < at) pushBack(&pool_[stop + 1], static_cast<std::size_t>(at - stop));
        if (pool_[stop] == 0) break;
        if (pool_[stop] == '#') {
            if (pool_[stop - 1] != '#' && pool_[stop + 1] != '#') {
                printPiecesWarning("Warning: '#symbol' directive not yet supported.");
            }
            pushBack("#", 1);
            at = stop - 1;
            continue;
        }
        auto index = static_cast<unsigned char>(pool_[stop - 1]);
        if (index == 0) break;
        if (index <= arguments.size()) {
            pushBack(arguments[index - 1]);
            removePastes(tail);
        }
        at = stop - 2;
    }
    if (options_.lenient) removePastes(tail);
    expansionRegions_.push_back(tail);
    countWork(static_cast<std::size_t>(std::max(unreadBytes() - tail, 0LL)));
}

// Token pasting: every "##" from the start of the text to the end of this
// expansion goes, with the blanks after it. The text after the expansion is
// left alone (a later "#define x(a,b) a ## b" line must keep its "##").
void Preprocessor::removePastes(long long tail) {
    long long afterInBuffer = tail - levels_.back().segmentBytes;
    char* expansionEnd = afterInBuffer >= 0 && afterInBuffer <= end_ - p_ ? end_ - afterInBuffer : end_;
    char* scan = p_;
    while (scan < expansionEnd) {
        auto* hash = static_cast<char*>(std::memchr(scan, '#', static_cast<std::size_t>(expansionEnd - scan)));
        if (hash == nullptr) break;
        if (hash + 1 >= expansionEnd || hash[1] != '#') {
            scan = hash + 1;
            continue;
        }
        char* stop = hash + 2;
        while (stop < end_ && isBlankByte(*stop)) ++stop;
        auto removed = static_cast<std::size_t>(stop - hash);
        std::memmove(p_ + removed, p_, static_cast<std::size_t>(hash - p_));
        p_ += removed;
        expansionEnd = std::max(expansionEnd, stop);
        scan = stop;
    }
    tokenStart_ = outStart_ = p_;
}

// A warning printed in pieces at the place of the most recent call with arguments.
void Preprocessor::printPiecesWarning(const std::string& text) {
    const IncludeLevel& level = levels_.back();
    std::ostream& out = currentOutput();
    out << '"' << (callRecorded_ ? callFile_ : level.fileName) << "\", line "
        << (callRecorded_ ? callLine_ : level.line) << ": " << text << '\n';
    messageDone();
}

}  // namespace zivrat::pp
