// The declaration scanner: tokens for the grammar, the raw-input services
// that grammar actions use to skip or capture text, and parse messages.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_set>

#include "parser/value.h"

namespace zivrat {

struct ScannerState {
    void* scanner = nullptr;  // the generated scanner's handle
    std::FILE* input = nullptr;
    // Newlines consumed, 1 at the start of each input.
    std::uint32_t line = 1;
    // The last line marker: the source file it names, the number it gives
    // the line after it, and the value of `line` there. Messages count the
    // source file's lines from it.
    bool hasMarker = false;
    std::string markerFile;
    std::uint32_t markerLine = 0;
    std::uint32_t lineAfterMarker = 0;
    // The file the scanner reads (named in lenient messages before any marker).
    std::string inputPath;
    // Set when the generated scanner has met the end of its input.
    bool reachedEnd = false;
    // The number of the last token handed to the grammar (for the trace).
    int lastToken = 0;
    std::unordered_set<std::string> ignoredWords;
    // Braces read as raw text whose partners are tokens: +1 for each "{",
    // -1 for each "}" (the lenient token filter keeps its brace count by it).
    int rawBraceBalance = 0;
};

ScannerState& scannerState();

// Starts scanning the open input from its beginning; ends and frees the scan.
void beginScan();
void endScan();

// The next token number (0 at end of input); text tokens set the value.
int nextToken(DeclValue& value);

// Read from the characters ahead, without scanning: the number of the token
// nextToken will return when a punctuation mark shows it, or -1.
int plainNextToken();
// The mark or digit that the next token begins with, or -1 when the next
// token may begin with a letter or is not told by its first character
// (a comment, a directive, a literal).
int nextTokenMark();

// Raw input, read past the tokens: balanced skips, with the closing
// character pushed back when asked to leave it.
void skipBraces(bool leaveClosing);
void skipParentheses(bool leaveClosing);
// Reads up to and including the terminator; false at end of input.
bool skipToText(std::string_view terminator);
// The same, appending what is read, the terminator excepted, to the pending
// comment.
bool captureToText(std::string_view terminator);
void pushBackText(std::string_view text);

// A parse message, as one line: the line in the source file, ": ", then
// the text; in lenient mode "\"file\", line N: " and the text.
void reportParseMessage(std::string_view text);

}  // namespace zivrat
