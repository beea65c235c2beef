#include "parse_fixture.h"

#include <gtest/gtest.h>

#include "declaration_grammar.h"
#include "ground/messages.h"
#include "ground/settings.h"
#include "parser/parser.h"
#include "parser/scanner.h"

namespace zivrat::test {

ParsedText::ParsedText(const std::string& text, bool insertComments, bool lenient) {
    runSettings().insertComments = insertComments;
    // A test may also have switched the lenient mode on before the parse.
    if (lenient) runSettings().lenient = true;
    std::string path = dir_.write("input.h", text);
    EXPECT_TRUE(openScannerInput(path));
    resetKnownTypeNames(docModel());
    ConsoleCapture capture(console);
    testing::internal::CaptureStdout();
    result = parseDeclarations();
    deliverBufferedOutput();
    standardOutput = testing::internal::GetCapturedStdout();
}

ParsedText::~ParsedText() {
    closeScannerInput();
    forgetModelReferences();
    docModel().clear();
    runSettings().insertComments = false;
    runSettings().lenient = false;
    // The trace switch outlives a parse; a test that sets it leaves it on.
    setDeclarationTraceLevel(0);
}

bool ParsedText::hasClass(const std::string& name) const {
    for (const auto& tag : docModel().classes) {
        if (tag->name == name) return true;
    }
    return false;
}

const ClassTag& ParsedText::classNamed(const std::string& name) const {
    for (const auto& tag : docModel().classes) {
        if (tag->name == name) return *tag;
    }
    ADD_FAILURE() << "no class " << name;
    static const ClassTag none;
    return none;
}

const FileTag& ParsedText::file(const std::string& baseName) const {
    for (const FileTable& table : docModel().fileTables) {
        for (FileTag* file : table.inOrder()) {
            if (file->baseName == baseName) return *file;
        }
    }
    ADD_FAILURE() << "no file " << baseName;
    static const FileTag none;
    return none;
}

std::vector<ScannedToken> scanText(const std::string& text, std::string* console) {
    TempDir dir;
    std::string path = dir.write("input.h", text);
    std::vector<ScannedToken> tokens;
    std::string lines;
    {
        ConsoleCapture capture(lines);
        EXPECT_TRUE(openScannerInput(path));
        resetKnownTypeNames(docModel());
        testing::internal::CaptureStdout();
        beginScan();
        DeclValue value;
        for (int token; (token = nextToken(value)) != 0;) {
            bool hasText = token == TOKEN_IDENTIFIER || token == TOKEN_TYPEDEFname ||
                           (token >= TOKEN_STRINGliteral && token <= TOKEN_HEXconstant);
            tokens.push_back({token, hasText ? std::string(value.text) : std::string()});
            value.text[0] = '\0';
        }
        testing::internal::GetCapturedStdout();
        closeScannerInput();
        deliverBufferedOutput();
    }
    forgetModelReferences();
    docModel().clear();
    if (console != nullptr) *console = lines;
    return tokens;
}

int tokenNumber(const std::string& name) {
    static const std::pair<const char*, int> kTokens[] = {
        {"CLASS", TOKEN_CLASS},          {"EXTERN", TOKEN_EXTERN},
        {"EXTERNC", TOKEN_EXTERNC},      {"EXTERNCPP", TOKEN_EXTERNCPP},      {"SIGNED", TOKEN_SIGNED},
        {"UNSIGNED", TOKEN_UNSIGNED},    {"IDENTIFIER", TOKEN_IDENTIFIER},
        {"TYPEDEFname", TOKEN_TYPEDEFname}, {"STRINGliteral", TOKEN_STRINGliteral},
        {"START_COMMENT", TOKEN_START_COMMENT}, {"LIBNAME", TOKEN_LIBNAME},
        {"AUTHORS", TOKEN_AUTHORS},      {"LIBVER", TOKEN_LIBVER},
        {"COMMENT_", TOKEN_COMMENT_},    {"BEGIN_", TOKEN_BEGIN_},
        {"END_", TOKEN_END_},            {"FLOATINGconstant", TOKEN_FLOATINGconstant},
        {"INTEGERconstant", TOKEN_INTEGERconstant}, {"OCTALconstant", TOKEN_OCTALconstant},
        {"HEXconstant", TOKEN_HEXconstant}, {"CHARACTERconstant", TOKEN_CHARACTERconstant},
        {"INLINE", TOKEN_INLINE},        {"CONST", TOKEN_CONST},
        {"CLCL", TOKEN_CLCL},            {"ARROWstar", TOKEN_ARROWstar},
        {"ELLIPSIS", TOKEN_ELLIPSIS},    {"LSE", TOKEN_LSE},
    };
    for (const auto& [tokenName, number] : kTokens) {
        if (name == tokenName) return number;
    }
    if (name.size() == 1) return static_cast<unsigned char>(name[0]);
    ADD_FAILURE() << "unknown token name " << name;
    return -1;
}

}  // namespace zivrat::test
