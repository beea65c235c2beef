// Helpers for the parser tests: parse a text as one input, scan its tokens,
// and find what the parse put into the model.
#pragma once

#include <string>
#include <vector>

#include "common/run_state.h"
#include "common/temp_dir.h"
#include "model/model.h"

namespace zivrat::test {

// Parses the text as one input file; the model stays filled until the
// object goes away. Console lines (currentOutput) are collected in `console`.
class ParsedText {
public:
    explicit ParsedText(const std::string& text, bool insertComments = false, bool lenient = false);
    ~ParsedText();
    ParsedText(const ParsedText&) = delete;
    ParsedText& operator=(const ParsedText&) = delete;

    int result = -1;
    std::string console;
    // What went to standard output (end-of-input newlines, library names).
    std::string standardOutput;

    const ClassTag& classNamed(const std::string& name) const;
    const FileTag& file(const std::string& baseName) const;
    bool hasClass(const std::string& name) const;

private:
    TempDir dir_;
};

struct ScannedToken {
    int token;
    std::string text;  // the value text of text tokens, empty for others
};

// Every token of the text, with the console lines the scanner wrote.
std::vector<ScannedToken> scanText(const std::string& text, std::string* console = nullptr);

// Token numbers of the grammar, as the scanner returns them.
int tokenNumber(const std::string& name);

}  // namespace zivrat::test
