// The state of one preprocessor invocation and the operations on it. The
// member functions live in several files: the entry and messages
// (preprocessor.cpp), the text buffer and output (text_buffer.cpp), the
// scanner (scanner.cpp), the directives (directives.cpp), the macro table and
// expansion (macros.cpp) and the #if expressions (condition.cpp).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <unordered_set>
#include <vector>

namespace zivrat::pp {

constexpr int kPoolSize = 511648;
constexpr int kTableSize = 60000;
constexpr int kBlockSize = 2048;
constexpr std::size_t kSourceReadBufferSize = 64 << 10;
constexpr int kLongNames = 256;
constexpr int kShortNames = 8;
constexpr int kMaxLevels = 40;
constexpr int kMaxIncludeDirectories = 96;
constexpr int kMaxDefineOptions = 40;
constexpr int kMaxConditionDepth = 500;
constexpr int kMaxFormals = 31;
constexpr int kActualsSize = 2048;
constexpr int kMaxSegments = 200;
constexpr int kNestingLimit = 100;
// Under -R and -P nothing else would stop macros that expand into each other
// without growing; this depth is far beyond any sound use of recursion.
constexpr int kUnboundedNestingLimit = 10000;
constexpr unsigned char kMarkerByte = 0xFE;
constexpr unsigned char kStringizeByte = 0xFF;
// Set in the stored argument count of a variadic macro (lenient mode); the
// count itself never passes kMaxFormals.
constexpr unsigned char kVariadicBit = 0x80;

// Flags of the character class tables.
enum CharFlag : std::uint8_t {
    kIdentifierBody = 1,
    kTokenStart = 2,
    kNumberBody = 4,
    kCommentStop = 8,
    kQuoteStop = 16,
    kMarkerFlag = 32,
};

enum class CharType : std::uint8_t { kBlank, kIdentifier, kNumber, kOther };

struct CharTables {
    std::uint8_t fast[256];   // copying ordinary text: only bytes that start something
    std::uint8_t skipped[256];  // skipped text: identifiers and numbers need no look
    std::uint8_t slow[256];   // directives and macro arguments: every byte starts a token
    CharType type[256];
};
const CharTables& charTables();

inline unsigned char byteAt(const char* at) { return static_cast<unsigned char>(*at); }
inline bool isIdentifierByte(char c) {
    return charTables().fast[static_cast<unsigned char>(c)] & kIdentifierBody;
}
inline bool isBlankByte(char c) {
    return charTables().type[static_cast<unsigned char>(c)] == CharType::kBlank;
}

enum class Token { kNewline, kContinuation, kBlank, kIdentifier, kNumber, kString, kCharacter, kOther };

enum Directive : std::int8_t {
    kNotDirective = -1,
    kDefine, kUndef, kInclude, kElse, kEndif, kElif, kIfdef, kIfndef, kIf, kLine, kIdent,
    kPragma, kError,
    // Known in lenient mode only.
    kWarning, kIncludeNext, kImport, kSccs, kAssert, kUnassert,
};

struct Slot {
    std::int32_t name = -1;        // pool offset of the stored name; -1: empty slot
    std::int32_t definition = -1;  // pool offset of the definition's final 0 byte
    std::int32_t length = 0;
    std::uint32_t hash = 0;  // the name's full hash: most probe steps need no compare
    Directive directive = kNotDirective;
};

// The string pool and the macro table are large, and most invocations use
// little of them: they are kept from one invocation to the next, and each
// invocation starts from the same clean state by clearing only what the
// one before used.
struct ReusableTables {
    std::vector<char> pool = std::vector<char>(kPoolSize);
    std::vector<Slot> table = std::vector<Slot>(kTableSize);
    std::size_t poolWritten = 0;  // the pool is all zero from here on
    std::vector<int> filledSlots;
    // The stream buffer of the source file: a whole header in one read.
    std::vector<char> sourceReadBuffer = std::vector<char>(kSourceReadBufferSize);

    void clean();
};

ReusableTables& reusableTables();

struct IncludeLevel {
    std::string fileName;
    int line = 1;
    std::FILE* file = nullptr;
    std::string directory;
    bool withoutExtension = false;
    std::size_t segmentBase = 0;
    long long segmentBytes = 0;  // bytes held in this level's saved segments
    bool endsWithNewline = true;
    // The search-list slot the file was found in; -1 when it was not found
    // through the list (the source file, an absolute name).
    int searchSlot = -1;
};

struct Segment {
    std::int32_t offset;
    std::int32_t length;
};

struct Options {
    bool keepComments = false;
    bool includeTree = false;
    bool noLineDirectives = false;
    bool recursionAllowed = false;
    int significant = kLongNames;
    // Tolerance of today's headers: see directives.cpp and macros.cpp.
    bool lenient = false;
    std::vector<std::string> defines;
    std::vector<std::string> undefines;
};

// Where the scan of a function-like macro's name looked for its "(".
struct ParenthesisSearch {
    bool found = false;
    std::size_t length = 0;  // bytes up to and including "("
    int newlines = 0;
    bool hasMarker = false;
    int marker = 0;
};

// Raised to end the invocation: the source file is read to its end, or a
// fatal error was printed.
struct SourceEnd {};
struct FatalStop {};
struct PushbackOverflow {};
struct CommandLineEnd {};

// __has_include and __has_include_next, which lenient #if lines answer.
bool isIncludeQuery(const std::string& name);

// The directory of a file name: the name cut at its last "/", "." without one.
std::string directoryOf(const std::string& path);

class Preprocessor {
public:
    explicit Preprocessor(const std::vector<std::string>& args);
    ~Preprocessor();
    Preprocessor(const Preprocessor&) = delete;
    Preprocessor& operator=(const Preprocessor&) = delete;

    int run();

private:
    // --- preprocessor.cpp: arguments, start-up, messages, the end
    void readArguments();
    void readOption(const std::string& arg, std::size_t& index);
    void openSource(const std::string& name);
    void openOutput(const std::string& name);
    void startUp();
    void applyDefineOption(const std::string& text);
    void applyUndefineOption(const std::string& text);
    void defineFromText(const std::string& text);
    void finishSource();
    void report(const std::string& text, bool counted);
    void error(const std::string& text) { report(text, true); }
    void warning(const std::string& text) { report(text, false); }
    void reportAt(const std::string& file, int line, const std::string& text);
    [[noreturn]] void fatal(const std::string& text);
    void messageDone();
    // Adds to the work of the invocation; past its bound, ends it.
    void countWork(std::size_t bytes) {
        work_ += static_cast<long long>(bytes);
        if (work_ > workLimit_) stopForWork();
    }
    [[noreturn]] void stopForWork();

    // --- text_buffer.cpp: reading, pushback, segments, output
    bool refill();
    std::size_t readBlock(IncludeLevel& level);
    bool restoreSegment();
    void popLevel();
    bool supplyClosingParentheses();
    bool ensure(std::size_t offset);
    int peek(std::size_t offset);
    void pushBack(const char* text, std::size_t length);
    void pushBack(const std::string& text) { pushBack(text.data(), text.size()); }
    void pushMarker(int line);
    void spill();
    void saveSegment(const char* from, std::size_t length);
    void dumpBufferedText();
    void resetBuffer();
    long long unreadBytes() const;
    std::int32_t poolAllocate(std::size_t length);
    std::int32_t poolAppend(const char* text, std::size_t length);
    void flushOutput(const char* to);
    void writeText(const char* from, const char* to);
    void writeRaw(const std::string& text);
    void writeLineDirective();
    void flushOutputFile();

    // --- scanner.cpp
    void mainLoop();
    bool lineStartsDirective();
    void copyRestOfLine();
    void skipLiteral(char quote, bool keep);
    void skipBlockComment(bool keep, bool fastMode);
    void skipLineComment(bool keep);
    void scanNumber(bool keep);
    void scanIdentifierBody(bool keep);
    void readMarker();
    void identifierInText();
    bool tryExpansion();
    Token nextToken(bool expand);
    Token nextNonBlank(bool expand);
    std::string tokenText() const { return std::string(tokenStart_, p_); }
    void consumeNewline();
    void incrementLine();
    ParenthesisSearch searchParenthesis(bool crossLines);
    bool nextLineIsDirective(std::size_t newlineOffset, std::size_t& offset);

    // --- directives.cpp
    void directive();
    bool lenientSkips(Directive kind, Token token) const;
    void finishLine(bool warnExtra);
    enum class IncludeKind { kInclude, kIncludeNext, kImport };
    void includeDirective(IncludeKind kind);
    bool readIncludeName(std::string& name, bool& angled);
    struct IncludeSearch {
        std::FILE* file = nullptr;
        std::string path;
        bool withoutExtension = false;
        int slot = -1;
    };
    IncludeSearch searchInclude(const std::string& name, std::size_t firstSlot);
    std::size_t nextSearchSlot() const;
    std::FILE* openCandidate(const std::string& path) const;
    bool hasInclude(bool next);
    bool skipCallOperand();
    void messageDirective(const char* word);
    void pragmaDirective();
    void pushLevel(const IncludeSearch& found);
    void lineDirective(bool numericForm, std::size_t captureFrom);
    void identDirective();
    void openGroup(bool copied, bool isIf);
    void ifdefDirective(bool wantDefined);
    void ifDirective();
    void elifDirective();
    void elseDirective();
    void endifDirective();
    int groupFlags() const;
    void setGroupFlags(int flags);
    bool skipping() const { return falseLevels_ > 0; }

    // --- macros.cpp
    static std::uint32_t hashOf(const char* name, std::size_t length);
    int probe(const char* name, std::size_t length);
    int findSlot(const char* name, std::size_t length);
    int enterName(const char* name, std::size_t length);
    void enterDirectiveNames();
    void recordNameBits(const char* name, std::size_t length);
    bool passesNameBits(const char* name, std::size_t length) const;
    std::size_t significantLength(std::size_t length) const;
    int definitionOf(const char* name, std::size_t length);
    std::int32_t storeDefinition(const std::string& body, unsigned char count);
    bool sameDefinition(std::int32_t a, std::int32_t b) const;
    void defineMacro();
    bool readFormals(const std::string& name, std::vector<std::string>& formals, bool& variadic);
    std::string readReplacement(const std::vector<std::string>& formals);
    void undefineName(const char* name, std::size_t length);
    void undefDirective();
    void setUsingStdNames(bool on);
    bool expand(int slot);
    bool nestingAllows(const std::string& name);
    void expandBuiltin(int slot);
    std::size_t collectArguments(const std::string& name, std::vector<std::string>& arguments,
                                 std::size_t variadicIndex);
    void definePredefinedNames();
    void warnArgumentCount(const std::string& name, std::size_t given, std::size_t wanted);
    void pushReplacement(std::int32_t definition, const std::vector<std::string>& args);
    void removePastes(long long expansionTail);
    void printPiecesWarning(const std::string& text);

    // --- condition.cpp
    int evaluateCondition();

    friend class ConditionEvaluator;

    // State of one invocation.
    const std::vector<std::string>& args_;
    std::string programName_;
    Options options_;
    std::vector<std::string> includeDirectories_;
    std::string sourceName_;
    std::string outputName_;
    bool sourceSeen_ = false;
    std::FILE* output_ = nullptr;
    std::string outputBuffer_;
    int errors_ = 0;

    ReusableTables& tables_;
    std::vector<char>& pool_;
    std::size_t poolUsed_ = 0;
    std::vector<Slot>& table_;
    std::uint8_t nameBits_[256] = {};
    int lineSlot_ = -1, fileSlot_ = -1, dateSlot_ = -1, timeSlot_ = -1;
    std::int32_t usingStdDefinition_ = -1;

    std::vector<char> buffer_;
    char* inputStart_ = nullptr;
    char* bufferTop_ = nullptr;
    char* p_ = nullptr;
    char* end_ = nullptr;
    char* tokenStart_ = nullptr;
    char* outStart_ = nullptr;
    std::vector<Segment> segments_;
    std::vector<std::int32_t> freeSegments_;

    std::vector<IncludeLevel> levels_;
    std::vector<std::string> searchList_;
    bool readingCommandLine_ = false;

    int trueLevels_ = 0;
    int falseLevels_ = 0;
    std::uint8_t groupFlags_[kMaxConditionDepth] = {};

    bool inComment_ = false;
    bool inDirective_ = false;      // continuation newlines are written out
    bool forceExpansion_ = false;   // #elif is evaluated inside a skipped group
    bool lookingAhead_ = false;     // the end of the source only ends the search
    bool collectingArguments_ = false;
    bool unterminatedReported_ = false;
    int argumentDepth_ = 0;
    int closersToSupply_ = 0;
    bool hasPendingMarker_ = false;
    int pendingMarker_ = 0;
    bool lineDirectiveRequested_ = false;
    const char* selfReferenceEnd_ = nullptr;
    std::vector<long long> expansionRegions_;  // unread bytes after each active expansion
    std::string callFile_;
    std::string callName_;
    int callLine_ = 0;
    bool callRecorded_ = false;
    std::string capture_;
    bool capturing_ = false;
    // Lenient mode: files that asked to be read once (#pragma once, #import).
    std::unordered_set<std::string> onceOnlyFiles_;
    long long work_ = 0;
    long long workLimit_;
};

}  // namespace zivrat::pp
