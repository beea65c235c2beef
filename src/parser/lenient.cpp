#include "parser/lenient.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "lenient_grammar.h"
#include "parser/scanner.h"

namespace zivrat {
namespace {

LenientState filterState;

// What a word of newer headers becomes.
enum class WordRule { Drop, DropWithParentheses, Inline };

struct WordRuleEntry {
    std::string_view word;
    WordRule rule;
};

constexpr WordRuleEntry kWordRules[] = {
    {"final", WordRule::Drop},
    {"__asm", WordRule::DropWithParentheses},
    {"alignas", WordRule::DropWithParentheses},
    {"__asm__", WordRule::DropWithParentheses},
    {"override", WordRule::Drop},
    {"restrict", WordRule::Drop},
    {"noexcept", WordRule::DropWithParentheses},
    {"constexpr", WordRule::Drop},
    {"consteval", WordRule::Drop},
    {"__restrict", WordRule::Drop},
    {"__inline__", WordRule::Inline},
    {"__attribute", WordRule::DropWithParentheses},
    {"thread_local", WordRule::Drop},
    {"__restrict__", WordRule::Drop},
    {"__extension__", WordRule::Drop},
    {"__attribute__", WordRule::DropWithParentheses},
    {"__forceinline", WordRule::Inline},
};

// For each first letter, the lengths (as bits) of the words with a rule.
struct RuleLengths {
    std::uint16_t byFirst[256] = {};
};

constexpr RuleLengths makeRuleLengths() {
    RuleLengths lengths;
    for (const WordRuleEntry& entry : kWordRules) {
        lengths.byFirst[static_cast<unsigned char>(entry.word[0])] |=
            static_cast<std::uint16_t>(1u << entry.word.size());
    }
    return lengths;
}

constexpr RuleLengths kRuleLengths = makeRuleLengths();

// The rule for a word, or null when it has none (most words). Every
// identifier is asked: its first letter and length rule most words out
// before any comparison.
const WordRule* wordRuleOf(std::string_view word) {
    if (word.empty() || word.size() >= 16 ||
        ((kRuleLengths.byFirst[static_cast<unsigned char>(word[0])] >> word.size()) & 1u) == 0) {
        return nullptr;
    }
    for (const WordRuleEntry& entry : kWordRules) {
        if (entry.word == word) return &entry.rule;
    }
    return nullptr;
}

bool isName(int token) { return token == TOKEN_IDENTIFIER || token == TOKEN_TYPEDEFname; }

bool isClassKey(int token) { return token == TOKEN_CLASS || token == TOKEN_STRUCT || token == TOKEN_UNION; }

bool isWord(const LenientToken& token, std::string_view word) {
    return token.token == TOKEN_IDENTIFIER && textOf(token.value) == word;
}

// Tokens after which the grammar's actions may read raw text: nothing
// behind them is scanned before they are handed over.
bool readsRawAfter(int token) {
    switch (token) {
        case ';': case ':': case '(': case '=': case TOKEN_BEGIN_: case TOKEN_END_:
        case TOKEN_START_COMMENT: case TOKEN_COMMENT_: case TOKEN_EXAMPLE: case TOKEN_EXTERNC:
        case 0:
            return true;
        default:
            return false;
    }
}

// Words that begin a declaration; a word before them is a macro.
bool startsDeclaration(int token) {
    switch (token) {
        case TOKEN_CLASS: case TOKEN_STRUCT: case TOKEN_UNION: case TOKEN_ENUM: case TOKEN_TYPEDEF:
        case TOKEN_EXTERN: case TOKEN_EXTERNC: case TOKEN_EXTERNCPP: case TOKEN_STATIC: case TOKEN_VIRTUAL:
        case TOKEN_INLINE: case TOKEN_CONST: case TOKEN_TEMPLATE: case TOKEN_NAMESPACE: case TOKEN_FRIEND:
        case TOKEN_EXPLICIT: case TOKEN_USING: case TOKEN_TYPEDEFname: case TOKEN_MUTABLE:
        case TOKEN_PUBLIC: case TOKEN_PROTECTED: case TOKEN_PRIVATE:
            return true;
        default:
            return false;
    }
}

// The raw reads of grammar actions close or open braces the filter counted.
void followRawBraces(LenientState& state) {
    int& balance = *state.rawBraceBalance;
    for (; balance < 0; ++balance) {
        if (!state.braces.empty()) state.braces.pop_back();
    }
    for (; balance > 0; --balance) state.braces.push_back(BraceKind::NoDeclarations);
}

// Scans the next token into `token`.
void scanOne(LenientToken& token) {
    LenientState& state = filterState;
    if (!state.scannedBack.empty()) {
        token = state.scannedBack.front();
        state.scannedBack.pop_front();
        return;
    }
    token.token = 0;
    token.value.text[0] = '\0';
    // The end of input is given again without asking the scanner.
    if (state.reachedEnd) return;
    token.token = nextToken(token.value);
    state.reachedEnd = token.token == 0;
}

// Skips a balanced group that starts with the token just scanned (or none).
void skipGroup(LenientToken& next, int open, int close) {
    if (next.token != open) return;
    for (int depth = 1; depth > 0;) {
        scanOne(next);
        if (next.token == 0) return;
        if (next.token == open) ++depth;
        if (next.token == close) --depth;
    }
    scanOne(next);
}

// Takes the words of newer headers out, from the token just scanned on.
void filterWords(LenientToken& token) {
    for (;;) {
        if (token.token == TOKEN_VOLATILE) {
            scanOne(token);
            continue;
        }
        if (token.token == '[') {
            LenientToken next;
            scanOne(next);
            if (next.token != '[') {
                filterState.scannedBack.push_back(next);
                return;
            }
            // [[attribute]]
            int depth = 2;
            while (depth > 0 && next.token != 0) {
                scanOne(next);
                if (next.token == '[') ++depth;
                if (next.token == ']') --depth;
            }
            scanOne(token);
            continue;
        }
        if (token.token != TOKEN_IDENTIFIER) return;
        const WordRule* rule = wordRuleOf(textOf(token.value));
        if (rule == nullptr) return;
        if (*rule == WordRule::Inline) {
            token.token = TOKEN_INLINE;
            return;
        }
        scanOne(token);
        if (*rule == WordRule::DropWithParentheses) skipGroup(token, '(', ')');
    }
}

// The tokens filterWords may take out or change.
bool mayBeFiltered(int token) {
    return token == TOKEN_IDENTIFIER || token == '[' || token == TOKEN_VOLATILE;
}

void scanFiltered(LenientToken& token) {
    scanOne(token);
    if (mayBeFiltered(token.token)) filterWords(token);
}

// Tokens that the filter never changes when they come first.
constexpr bool neverRewritten(int token) {
    switch (token) {
        case 0: case TOKEN_IDENTIFIER: case TOKEN_CLCL: case TOKEN_CLASS: case TOKEN_STRUCT: case TOKEN_UNION:
        case ':': case '=': case '[': case TOKEN_USING: case TOKEN_TEMPLATE: case TOKEN_EXTERN: case TOKEN_INLINE:
        case TOKEN_NAMESPACE: case TOKEN_ANDAND: case TOKEN_VOLATILE:
            return false;
        default:
            return true;
    }
}

// Tokens that open or close a part of a declaration the filter follows.
constexpr bool opensOrCloses(int token) {
    switch (token) {
        case TOKEN_CLASS: case TOKEN_STRUCT: case TOKEN_UNION: case ':': case TOKEN_BEGIN_: case TOKEN_END_:
        case TOKEN_START_COMMENT: case TOKEN_RESUME: case ';': case '(': case ')': case '<': case '>':
            return true;
        default:
            return false;
    }
}

// Both questions are asked of every token: a table answers them.
constexpr int kTokenNumbers = 512;
static_assert(TOKEN_RESUME < kTokenNumbers, "every token number has a place in the table");

enum TokenTrait : std::uint8_t { kRewritable = 1, kStructural = 2 };

struct TokenTable {
    std::uint8_t traits[kTokenNumbers] = {};
};

constexpr TokenTable makeTokenTable() {
    TokenTable table;
    for (int token = 0; token < kTokenNumbers; ++token) {
        table.traits[token] = static_cast<std::uint8_t>((neverRewritten(token) ? 0 : kRewritable) |
                                                        (opensOrCloses(token) ? kStructural : 0));
    }
    return table;
}

constexpr TokenTable kTokenTable = makeTokenTable();

unsigned traitsOf(int token) {
    return static_cast<unsigned>(token) < kTokenNumbers ? kTokenTable.traits[token] : 0;
}

bool passesUnchanged(int token) { return (traitsOf(token) & kRewritable) == 0; }

const LenientToken unknownToken(-1);

// Scans ahead until the token `index` places ahead is in the queue; the
// null token when getting it would scan past a token after which the
// grammar reads raw text.
const LenientToken& scanAhead(LenientState& state, std::size_t index) {
    while (state.ahead.size() <= index) {
        if (!state.ahead.empty() && readsRawAfter(state.ahead.back().token)) return unknownToken;
        scanFiltered(state.ahead.emplace_back());
    }
    return state.ahead[index];
}

// The token `index` places ahead, or a null token (number -1) when getting
// it would scan past a token after which the grammar reads raw text.
inline const LenientToken& peek(std::size_t index) {
    LenientState& state = filterState;
    return index < state.ahead.size() ? state.ahead[index] : scanAhead(state, index);
}

LenientToken take() {
    peek(0);
    LenientToken token = filterState.ahead.front();
    filterState.ahead.pop_front();
    return token;
}

bool atDeclarationStart(const LenientState& state) {
    switch (state.last) {
        case 0: case ';': case TOKEN_END_: case TOKEN_RESUME:
            return true;
        case TOKEN_BEGIN_:
            return !state.braces.empty() && holdsDeclarations(state.braces.back());
        case ':':
            return state.beforeLast == TOKEN_PUBLIC || state.beforeLast == TOKEN_PROTECTED ||
                   state.beforeLast == TOKEN_PRIVATE;
        default:
            return false;
    }
}

bool inTypePosition(const LenientState& state) {
    if (atDeclarationStart(state)) return true;
    switch (state.last) {
        case '(': case TOKEN_STATIC: case TOKEN_VIRTUAL: case TOKEN_INLINE: case TOKEN_CONST:
        case TOKEN_EXTERN: case TOKEN_TYPEDEF: case TOKEN_EXPLICIT: case TOKEN_MUTABLE: case TOKEN_FRIEND:
        case TOKEN_REGISTER: case '<':
            return true;
        case ',':
            return state.parentheses > 0 || state.templateHeader > 0;
        default:
            return false;
    }
}

void appendTokenText(std::string& text, const LenientToken& token) {
    switch (token.token) {
        case TOKEN_CLCL: text += "::"; break;
        case TOKEN_CONST: text += "const "; break;
        case TOKEN_ANDAND: text += "&&"; break;
        case TOKEN_RS: text += ">>"; break;
        case TOKEN_ELLIPSIS: text += "..."; break;
        default:
            if (token.token > 0 && token.token < 256) {
                text += static_cast<char>(token.token);
                if (token.token == ',') text += ' ';
            } else {
                text += textOf(token.value);
            }
    }
}

// Takes a balanced "<...>" from the front into the text.
void takeTemplateArguments(std::string& text) {
    int depth = 0;
    do {
        LenientToken token = take();
        if (token.token == 0) return;
        if (token.token == '<') ++depth;
        if (token.token == '>') --depth;
        if (token.token == TOKEN_RS) depth -= 2;
        appendTokenText(text, token);
    } while (depth > 0);
}

// A name made of several parts ("std::map<K, V>::iterator") or an unknown
// template's name with its arguments, as one type name. The front token is
// a name or "::".
LenientToken takeCompoundName() {
    LenientToken result;
    result.token = TOKEN_TYPEDEFname;
    std::string text;
    for (;;) {
        const int front = peek(0).token;
        if (front == TOKEN_CLCL && isName(peek(1).token)) {
            appendTokenText(text, take());
        } else if (!isName(front)) {
            break;
        }
        appendTokenText(text, take());
        if (peek(0).token == '<') takeTemplateArguments(text);
        if (peek(0).token != TOKEN_CLCL || !isName(peek(1).token)) break;
    }
    setText(result.value, {text});
    return result;
}

// A "::" at the front that begins a qualified name worth joining.
bool startsQualifiedType(const LenientState& state) {
    return isName(peek(1).token) && (inTypePosition(state) || state.baseList);
}

// An identifier at the front, with `next` after it: a macro to drop
// (true), or a type name.
bool dropsMacroWord(const LenientState& state, int next) {
    if (isClassKey(state.last)) {
        const int third = peek(2).token;
        return isName(next) && (third == ':' || third == TOKEN_BEGIN_);
    }
    if (!atDeclarationStart(state)) return false;
    if (startsDeclaration(next)) return true;
    if (next == TOKEN_IDENTIFIER) {
        const int third = peek(2).token;
        return isName(third) || third == '*' || third == '&';
    }
    return false;
}

// An unknown name followed by `next` is taken as a type name.
bool takesAsTypeName(const LenientState& state, int next) {
    const bool declaratorFollows =
        next == TOKEN_IDENTIFIER || next == '*' || next == '&' || next == TOKEN_CONST || next == TOKEN_ANDAND;
    return declaratorFollows && inTypePosition(state);
}

// An identifier (`word`) followed by `next` that may be joined, dropped or
// retyped otherwise than by takesAsTypeName; most are not.
bool mayRewriteIdentifier(const LenientState& state, std::string_view word, int next) {
    return next == TOKEN_CLCL || next == '<' || state.baseList || isClassKey(state.last) || word == "typename" ||
           word == "static_assert" ||
           ((startsDeclaration(next) || next == TOKEN_IDENTIFIER) && atDeclarationStart(state));
}

// Drops tokens up to and including the next ";" at nesting depth 0.
void dropThroughSemicolon() {
    int depth = 0;
    for (;;) {
        LenientToken token = take();
        if (token.token == 0) {
            filterState.ahead.push_front(token);
            return;
        }
        if (token.token == '(' || token.token == TOKEN_BEGIN_) ++depth;
        if (token.token == ')' || token.token == TOKEN_END_) --depth;
        if (token.token == ';' && depth <= 0) return;
    }
}

// "= value" after the name of a member in a class body: the grammar reads
// no initializer there (the C++11 ones, and static constants of old).
bool startsMemberInitializer(const LenientState& state) {
    return (state.last == TOKEN_IDENTIFIER || state.last == ']') && state.parentheses == 0 &&
           state.templateHeader == 0 && !state.braces.empty() && state.braces.back() == BraceKind::ClassBody;
}

// Drops the "=" at the front and the value after it, up to the "," or ";"
// that ends it, or the "}" of the body when none does.
void dropInitializer() {
    take();
    for (int depth = 0;;) {
        const int next = peek(0).token;
        if (next == 0 || (depth == 0 && (next == ',' || next == ';'))) return;
        if (next == '(' || next == '[' || next == TOKEN_BEGIN_) ++depth;
        if (next == ')' || next == ']' || next == TOKEN_END_) {
            if (depth == 0) return;
            --depth;
        }
        take();
    }
}

// "using Name = type;" becomes "typedef type Name;".
bool rewriteAlias() {
    LenientState& state = filterState;
    if (peek(1).token == TOKEN_NAMESPACE) return false;
    if (!isName(peek(1).token) || peek(2).token != '=') {
        dropThroughSemicolon();  // a using-declaration names nothing new
        return true;
    }
    take();
    LenientToken name = take();
    take();
    LenientToken type;
    type.token = TOKEN_TYPEDEFname;
    std::string text;
    int previous = 0;
    for (int depth = 0; peek(0).token != 0 && !(peek(0).token == ';' && depth == 0);) {
        LenientToken token = take();
        if (token.token == '<' || token.token == '(') ++depth;
        if (token.token == '>' || token.token == ')') --depth;
        if (isName(token.token) && isName(previous)) text += ' ';
        appendTokenText(text, token);
        previous = token.token;
    }
    setText(type.value, {text});
    name.token = TOKEN_IDENTIFIER;
    state.ahead.push_front(name);
    state.ahead.push_front(type);
    state.ahead.push_front(LenientToken(TOKEN_TYPEDEF));
    return true;
}

void joinQualifiedName(LenientState& state) {
    const bool typePosition = inTypePosition(state);
    LenientToken joined = takeCompoundName();
    // After a type it is the declarator's name; in a value, a value.
    if (!typePosition && !state.baseList) joined.token = TOKEN_IDENTIFIER;
    state.ahead.push_front(joined);
}

// rewriteFront for an identifier at the front.
bool rewriteIdentifier(LenientState& state) {
    const int next = peek(1).token;
    const std::string_view word = textOf(state.ahead.front().value);
    if (!mayRewriteIdentifier(state, word, next)) {
        if (takesAsTypeName(state, next)) state.ahead.front().token = TOKEN_TYPEDEFname;
        return false;
    }
    if (next == TOKEN_CLCL && isName(peek(2).token)) {
        joinQualifiedName(state);
        return false;
    }
    if (state.baseList) {
        // A base class declared in a header that was not read.
        if (next == '<') {
            state.ahead.push_front(takeCompoundName());
        } else {
            state.ahead.front().token = TOKEN_TYPEDEFname;
        }
        return false;
    }
    if (word == "typename") {
        if (state.templateHeader > 0 && (state.last == '<' || state.last == ',')) {
            state.ahead.front().token = TOKEN_CLASS;
            return false;
        }
        take();
        return true;
    }
    if (word == "static_assert" && atDeclarationStart(state)) {
        dropThroughSemicolon();
        return true;
    }
    if (dropsMacroWord(state, next)) {
        take();
        return true;
    }
    if (next == '<' && inTypePosition(state) && state.templateHeader == 0) {
        LenientToken joined = takeCompoundName();
        state.ahead.push_front(joined);
        return false;
    }
    if (takesAsTypeName(state, next)) state.ahead.front().token = TOKEN_TYPEDEFname;
    return false;
}

// Rewrites or drops the front token; true when the front changed and must
// be looked at again.
bool rewriteFront(LenientState& state) {
    const int token = state.ahead.front().token;
    if (token == TOKEN_IDENTIFIER) return rewriteIdentifier(state);
    if (token == TOKEN_CLCL && startsQualifiedType(state)) {
        joinQualifiedName(state);
        return false;
    }
    if (isClassKey(token)) {
        // "enum class", and a class key inside a return type.
        const bool inReturnType = state.last == TOKEN_VIRTUAL || state.last == TOKEN_INLINE ||
                                  state.last == TOKEN_STATIC || state.last == TOKEN_EXPLICIT;
        if (state.last == TOKEN_ENUM ||
            (inReturnType && isName(peek(1).token) && peek(2).token != TOKEN_BEGIN_ && peek(2).token != ':' &&
             peek(2).token != ';')) {
            take();
            if (inReturnType) state.ahead.front().token = TOKEN_TYPEDEFname;
            return true;
        }
        if (state.last == TOKEN_TYPEDEF && isName(peek(1).token) && peek(2).token == '*' && peek(3).token == '*') {
            LenientToken key = take();
            LenientToken& name = state.ahead.front();
            std::string text = key.token == TOKEN_CLASS ? "class " : key.token == TOKEN_STRUCT ? "struct " : "union ";
            text += textOf(name.value);
            setText(name.value, {text});
            name.token = TOKEN_TYPEDEFname;
            return false;
        }
        return false;
    }
    switch (token) {
        case ':':
            // The underlying type of an enumeration.
            if (state.last == TOKEN_ENUM || (isName(state.last) && state.beforeLast == TOKEN_ENUM)) {
                take();
                while (peek(0).token != TOKEN_BEGIN_ && peek(0).token != ';' && peek(0).token != 0) take();
                return true;
            }
            return false;
        case '=':
            if (startsMemberInitializer(state)) {
                dropInitializer();
                return true;
            }
            // "= default" and "= delete"; a template parameter's default.
            if (peek(1).token == TOKEN_DELETE || isWord(peek(1), "default")) {
                take();
                take();
                return true;
            }
            if (state.templateHeader > 0) {
                take();
                for (int depth = 0; peek(0).token != 0;) {
                    const int next = peek(0).token;
                    if (depth == 0 && (next == ',' || next == '>')) break;
                    if (next == '<' || next == '(') ++depth;
                    if (next == '>' || next == ')') --depth;
                    take();
                }
                return true;
            }
            return false;
        case TOKEN_USING:
            return rewriteAlias();
        case TOKEN_TEMPLATE:
            if (peek(1).token == '<' && peek(2).token == '>') {
                take();
                take();
                take();
                return true;
            }
            if (state.last == TOKEN_EXTERN || (peek(1).token != '<')) {
                dropThroughSemicolon();  // an explicit instantiation
                return true;
            }
            return false;
        case TOKEN_EXTERN:
            if (peek(1).token == TOKEN_TEMPLATE) {
                dropThroughSemicolon();
                return true;
            }
            return false;
        case TOKEN_INLINE:
            if (peek(1).token == TOKEN_NAMESPACE) {
                take();
                return true;
            }
            return false;
        case TOKEN_NAMESPACE: {
            // An empty namespace body holds nothing the grammar reads.
            const std::size_t body = isName(peek(1).token) ? 2 : 1;
            if (peek(body).token == TOKEN_BEGIN_ && peek(body + 1).token == TOKEN_END_) {
                for (std::size_t i = 0; i <= body + 1; ++i) take();
                return true;
            }
            if (peek(1).token == TOKEN_TYPEDEFname) state.ahead[1].token = TOKEN_IDENTIFIER;
            return false;
        }
        case TOKEN_ANDAND:
            if (state.last == TOKEN_TYPEDEFname || state.last == '>' || state.last == TOKEN_CONST) {
                state.ahead.front().token = '&';
            }
            return false;
        default:
            return false;
    }
}

BraceKind kindOfBraceOpened(const LenientState& state) {
    // An enumeration's braces hold no declarations.
    if (state.last == TOKEN_ENUM || (isName(state.last) && state.beforeLast == TOKEN_ENUM) || state.last == '=') {
        return BraceKind::NoDeclarations;
    }
    return state.classHead ? BraceKind::ClassBody : BraceKind::Declarations;
}

void endClassHead(LenientState& state) {
    state.classHead = false;
    state.baseList = false;
}

void noteStructure(LenientState& state, int token) {
    switch (token) {
        case TOKEN_CLASS: case TOKEN_STRUCT: case TOKEN_UNION: state.classHead = true; break;
        case ':':
            if (state.classHead) state.baseList = true;
            break;
        case TOKEN_BEGIN_:
            state.braces.push_back(kindOfBraceOpened(state));
            endClassHead(state);
            break;
        case TOKEN_RESUME: endClassHead(state); break;
        case TOKEN_START_COMMENT: state.braces.push_back(BraceKind::NoDeclarations); break;
        case TOKEN_END_:
            state.strayEnd = state.braces.empty();
            state.endClosed = state.braces.empty() ? BraceKind::NoDeclarations : state.braces.back();
            if (!state.braces.empty()) state.braces.pop_back();
            break;
        case '(':
            endClassHead(state);
            ++state.parentheses;
            break;
        case ')':
            if (state.parentheses > 0) --state.parentheses;
            break;
        case ';':
            endClassHead(state);
            state.parentheses = 0;
            break;
        case '<':
            if (state.templateHeader > 0 || state.last == TOKEN_TEMPLATE) ++state.templateHeader;
            break;
        case '>':
            if (state.templateHeader > 0) --state.templateHeader;
            break;
        default: break;
    }
}

void noteHandedOver(LenientState& state, int token, unsigned traits) {
    if ((traits & kStructural) != 0) noteStructure(state, token);
    state.beforeLast = state.last;
    state.last = token;
}

void noteHandedOver(LenientState& state, int token) { noteHandedOver(state, token, traitsOf(token)); }

int handOver(LenientState& state, const LenientToken& token, DeclValue& value) {
    value = token.value;
    noteHandedOver(state, token.token);
    return token.token;
}

// The innermost body that holds declarations, below the last brace when
// that brace was the token the error was found at.
std::size_t declarationBodyDepth(const LenientState& state, bool lastBraceInError) {
    std::size_t depth = state.braces.size();
    if (lastBraceInError && depth > 0) --depth;
    while (depth > 0 && !holdsDeclarations(state.braces[depth - 1])) --depth;
    return depth;
}

// Skips the rest of the declaration in error; returns RESUME, with a "}"
// that closes the enclosing body put back to be handed over next.
int skipDeclaration(LenientState& state, DeclValue& value) {
    state.recovering = false;
    state.templateHeader = 0;
    state.parentheses = 0;
    // The token in error is the last one handed over: a ";" ends the
    // declaration, and so does the "}" of the body it stands in (that "}"
    // is handed over again after RESUME, once).
    const int inError = state.last;
    const bool endHandedAgain = inError == TOKEN_END_ && state.beforeLast == TOKEN_RESUME && state.resumedBeforeEnd;
    state.resumedBeforeEnd = false;
    if (inError == ';' && state.braces.size() == state.recoveryDepth) return handOver(state, LenientToken(TOKEN_RESUME), value);
    if (inError == TOKEN_END_ && (state.strayEnd || endHandedAgain)) {
        return handOver(state, LenientToken(TOKEN_RESUME), value);
    }
    if (inError == TOKEN_END_ && holdsDeclarations(state.endClosed)) {
        state.braces.push_back(state.endClosed);
        state.ahead.push_front(LenientToken(TOKEN_END_));
        state.resumedBeforeEnd = true;
        return handOver(state, LenientToken(TOKEN_RESUME), value);
    }
    for (;;) {
        LenientToken token = take();
        if (token.token == 0) {
            state.ahead.push_front(token);
            return 0;
        }
        if (token.token == TOKEN_BEGIN_ || token.token == TOKEN_START_COMMENT) {
            state.braces.push_back(BraceKind::NoDeclarations);
            continue;
        }
        if (token.token == TOKEN_END_) {
            if (state.braces.size() <= state.recoveryDepth) {
                // The "}" of the body itself: the declaration ends before it.
                state.ahead.push_front(token);
                break;
            }
            state.braces.pop_back();
            if (state.braces.size() == state.recoveryDepth) {
                // A declaration ending in a body; a declarator list may follow.
                const int next = peek(0).token;
                if (next == ';') take();
                else if (next == TOKEN_IDENTIFIER || next == '*' || next == '&' || next == ',') continue;
                break;
            }
            continue;
        }
        if (token.token == ';' && state.braces.size() == state.recoveryDepth) break;
    }
    return handOver(state, LenientToken(TOKEN_RESUME), value);
}

// Hands over the front of the queue, once rewritten.
int nextQueuedToken(LenientState& state, DeclValue& value) {
    peek(0);
    while (!passesUnchanged(state.ahead.front().token) && rewriteFront(state)) peek(0);
    const int token = handOver(state, state.ahead.front(), value);
    state.ahead.pop_front();
    return token;
}

// Tokens that rewriteFront and filterWords would leave as they are, told
// without scanning the tokens after them. ("=" alone in the queue never
// sees the token after it: the grammar may read what follows as raw text.)
bool passesAsIs(const LenientState& state, int token) {
    switch (token) {
        case ':': return !(state.last == TOKEN_ENUM || (isName(state.last) && state.beforeLast == TOKEN_ENUM));
        case '=': return state.templateHeader == 0 && !startsMemberInitializer(state);
        case '[': {
            const int mark = nextTokenMark();
            return mark >= 0 && mark != '[';
        }
        case TOKEN_INLINE: return nextTokenMark() >= 0;  // not "inline namespace"
        case TOKEN_CLASS: case TOKEN_STRUCT: case TOKEN_UNION:
            switch (state.last) {
                case TOKEN_ENUM: case TOKEN_TYPEDEF: case TOKEN_VIRTUAL: case TOKEN_INLINE: case TOKEN_STATIC:
                case TOKEN_EXPLICIT:
                    return false;
                default:
                    return true;
            }
        default:
            return false;
    }
}

// Hands over a name that no rewrite applies to, as a type name when `next`
// after it shows one.
int handOverName(LenientState& state, int next) {
    const int token = takesAsTypeName(state, next) ? TOKEN_TYPEDEFname : TOKEN_IDENTIFIER;
    noteHandedOver(state, token);
    return token;
}

// An identifier just scanned into `value`: most names are handed over from
// there once the token after them shows that no rewrite applies; the others
// go into the queue first.
int handOverIdentifier(LenientState& state, DeclValue& value) {
    const std::string_view word = textOf(value);
    if (wordRuleOf(word) == nullptr) {
        // A punctuation mark after the name is seen without scanning it.
        const int plain = plainNextToken();
        if (plain >= 0 && !mayRewriteIdentifier(state, word, plain)) return handOverName(state, plain);
        // The queue is empty here: the token after the name comes next.
        LenientToken& follower = state.ahead.emplace_back();
        scanFiltered(follower);
        if (!mayRewriteIdentifier(state, word, follower.token)) return handOverName(state, follower.token);
    }
    LenientToken name(TOKEN_IDENTIFIER);
    name.value = value;
    state.ahead.push_front(name);
    filterWords(state.ahead.front());
    return nextQueuedToken(state, value);
}

}  // namespace

void resetLenientFilter() {
    filterState = LenientState();
    filterState.rawBraceBalance = &scannerState().rawBraceBalance;
}

void beginLenientRecovery() {
    LenientState& state = filterState;
    state.recovering = true;
    state.scansDirectly = false;
    state.recoveryDepth = declarationBodyDepth(state, state.last == TOKEN_BEGIN_);
}

namespace {

// A rewritable token just scanned into `value`.
int handOverRewritable(LenientState& state, int token, DeclValue& value) {
    if (token == TOKEN_IDENTIFIER) return handOverIdentifier(state, value);
    if (passesAsIs(state, token)) {
        noteHandedOver(state, token);
        return token;
    }
    LenientToken& scanned = state.ahead.emplace_back();
    scanned.token = token;
    scanned.value = value;
    state.reachedEnd = token == 0;
    if (mayBeFiltered(token)) filterWords(scanned);
    return nextQueuedToken(state, value);
}

bool scansDirectly(const LenientState& state) {
    return state.ahead.empty() && state.scannedBack.empty() && !state.reachedEnd && !state.recovering;
}

// A token just scanned into `value` that changes the filter's state or may
// be rewritten.
[[gnu::noinline]] int handOverScanned(LenientState& state, int token, unsigned traits, DeclValue& value) {
    if ((traits & kRewritable) == 0) {
        noteHandedOver(state, token, traits);
        return token;
    }
    const int handed = handOverRewritable(state, token, value);
    state.scansDirectly = scansDirectly(state);
    return handed;
}

[[gnu::noinline]] int nextTokenOtherwise(LenientState& state, DeclValue& value) {
    if (*state.rawBraceBalance != 0) followRawBraces(state);
    if (state.scansDirectly) {
        const int token = nextToken(value);
        return handOverScanned(state, token, traitsOf(token), value);
    }
    const int handed = state.recovering ? skipDeclaration(state, value) : nextQueuedToken(state, value);
    state.scansDirectly = scansDirectly(state);
    return handed;
}

}  // namespace

int nextLenientToken(DeclValue& value) {
    LenientState& state = filterState;
    if (*state.rawBraceBalance != 0 || !state.scansDirectly) return nextTokenOtherwise(state, value);
    // Most tokens go straight from the scanner into the grammar's slot, and
    // most of those change nothing the filter follows.
    const int token = nextToken(value);
    const unsigned traits = traitsOf(token);
    if (traits != 0) return handOverScanned(state, token, traits, value);
    state.beforeLast = state.last;
    state.last = token;
    return token;
}

}  // namespace zivrat
