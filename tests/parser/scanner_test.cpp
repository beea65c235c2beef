// The declaration scanner: tokens, type words, comments, directives,
// messages and the raw-input limits.
#include <gtest/gtest.h>

#include "ground/page_words.h"
#include "parse_fixture.h"

namespace zivrat::test {
namespace {

using Scanner = RunStateTest;

// "NAME:text" for text tokens, "NAME" or the character for the others.
std::vector<std::string> describe(const std::vector<ScannedToken>& tokens) {
    std::vector<std::string> names;
    for (const ScannedToken& token : tokens) {
        std::string name = token.token < 256 ? std::string(1, static_cast<char>(token.token))
                                             : std::to_string(token.token);
        names.push_back(token.text.empty() ? name : name + ":" + token.text);
    }
    return names;
}

std::vector<std::string> expected(const std::vector<std::pair<std::string, std::string>>& tokens) {
    std::vector<ScannedToken> scanned;
    for (const auto& [name, text] : tokens) scanned.push_back({tokenNumber(name), text});
    return describe(scanned);
}

TEST_F(Scanner, DocumentationCommentEntries) {
    std::vector<ScannedToken> tokens =
        scanText("/*{ LIBNAME: base AUTHORS: ann, bob VERSION: 1.2 COMMENT{ text } }*/ class");
    // The scanner alone hands out the brace after COMMENT as a token; the
    // grammar would capture the text behind it.
    EXPECT_EQ(describe(tokens),
              expected({{"START_COMMENT", ""}, {"LIBNAME", ""}, {":", ""}, {"IDENTIFIER", "base"},
                        {"AUTHORS", ""}, {":", ""}, {"IDENTIFIER", "ann"}, {",", ""},
                        {"IDENTIFIER", "bob"}, {"LIBVER", ""}, {":", ""},
                        {"FLOATINGconstant", "1.2"}, {"COMMENT_", ""}, {"BEGIN_", ""},
                        {"IDENTIFIER", "text"}, {"END_", ""}, {"END_", ""}, {"CLASS", ""}}));
}

TEST_F(Scanner, WholeVersionNumberAndKeywordsInsideDocumentationComment) {
    // A bare "signed" is a word there; followed by a blank it is a type word.
    EXPECT_EQ(describe(scanText("/*{ VERSION: 2 class signed} signed }*/")),
              expected({{"START_COMMENT", ""}, {"LIBVER", ""}, {":", ""},
                        {"INTEGERconstant", "2"}, {"IDENTIFIER", "class"},
                        {"IDENTIFIER", "signed"}, {"END_", ""}, {"SIGNED", ""}, {"END_", ""}}));
}

TEST_F(Scanner, EmptyCommentDoesNotSwallowWhatFollows) {
    EXPECT_EQ(describe(scanText("/**/ x /* a ** b */ y")),
              expected({{"IDENTIFIER", "x"}, {"IDENTIFIER", "y"}}));
}

TEST_F(Scanner, TypeWordsAreNormalised) {
    EXPECT_EQ(describe(scanText("unsigned long int x; long long y; signed char c; short\nint z;"
                                " unsigned short int s; long double d; unsigned\tint u;")),
              expected({{"TYPEDEFname", "unsigned long int"}, {"IDENTIFIER", "x"}, {";", ""},
                        {"TYPEDEFname", "long long"}, {"IDENTIFIER", "y"}, {";", ""},
                        {"TYPEDEFname", "signed char"}, {"IDENTIFIER", "c"}, {";", ""},
                        {"TYPEDEFname", "short"}, {"TYPEDEFname", "int"}, {"IDENTIFIER", "z"},
                        {";", ""}, {"TYPEDEFname", "unsigned short int"}, {"IDENTIFIER", "s"},
                        {";", ""}, {"TYPEDEFname", "long double"}, {"IDENTIFIER", "d"},
                        {";", ""}, {"TYPEDEFname", "unsigned int"}, {"IDENTIFIER", "u"},
                        {";", ""}}));
}

TEST_F(Scanner, SignedBeforeAnotherWordIsPushedBack) {
    EXPECT_EQ(describe(scanText("signed x, unsigned*p, long Identifier_that_is_long")),
              expected({{"SIGNED", ""}, {"IDENTIFIER", "x"}, {",", ""}, {"UNSIGNED", ""},
                        {"*", ""}, {"IDENTIFIER", "p"}, {",", ""}, {"TYPEDEFname", "long"},
                        {"IDENTIFIER", "Identifier_that_is_long"}}));
}

TEST_F(Scanner, ExternForms) {
    EXPECT_EQ(describe(scanText("extern \"C\" extern \"C++\" extern  \"C\" extern struct s")),
              expected({{"EXTERNC", ""}, {"EXTERNCPP", ""}, {"EXTERN", ""},
                        {"STRINGliteral", "\"C\""}, {"EXTERN", ""}, {"IDENTIFIER", "s"}}));
}

TEST_F(Scanner, CompilerWordsAndDeclspecAreDropped) {
    EXPECT_EQ(describe(scanText("__declspec(dllexport) int __cdecl far f; nearby")),
              expected({{"TYPEDEFname", "int"}, {"IDENTIFIER", "f"}, {";", ""},
                        {"IDENTIFIER", "nearby"}}));
}

TEST_F(Scanner, ConstantsAndOperators) {
    EXPECT_EQ(describe(scanText("0x1Fu 017 08 0 12L 1.5f .5 'a' '\\'' :: ->* <<= ...")),
              expected({{"HEXconstant", "0x1Fu"}, {"OCTALconstant", "017"},
                        {"OCTALconstant", "08"}, {"INTEGERconstant", "0"},
                        {"INTEGERconstant", "12L"}, {"FLOATINGconstant", "1.5f"},
                        {"FLOATINGconstant", ".5"}, {"CHARACTERconstant", "'a'"},
                        {"CHARACTERconstant", "'\\''"}, {"CLCL", ""}, {"ARROWstar", ""},
                        {"LSE", ""}, {"ELLIPSIS", ""}}));
}

TEST_F(Scanner, IgnoredWordsVanishEvenAsTypeNames) {
    std::vector<std::string>& ignore = configuration().keywordIgnoreList;
    ignore.push_back("EXPORT");
    ignore.push_back("int");
    std::vector<ScannedToken> tokens = scanText("EXPORT int x; EXPORTED");
    EXPECT_EQ(describe(tokens),
              expected({{"IDENTIFIER", "x"}, {";", ""}, {"IDENTIFIER", "EXPORTED"}}));
}

TEST_F(Scanner, MessagesCarryTheLineCounter) {
    std::string console;
    std::vector<ScannedToken> tokens =
        scanText("a\r\n#include <x.h>\n\"two\nlines\" b\n# define Y\n@", &console);
    EXPECT_EQ(console,
              "1: Invalid character \r\n"
              "2: Invalid directive #include\n"
              "5: Invalid directive # define\n"
              "6: Invalid character @\n");
    EXPECT_EQ(describe(tokens), expected({{"IDENTIFIER", "a"}, {"STRINGliteral", "\"two\nlines\""},
                                          {"IDENTIFIER", "b"}}));
}

TEST_F(Scanner, UnterminatedTextsAtEndOfInput) {
    std::string console;
    scanText("x /* never closed", &console);
    EXPECT_EQ(console, "1: End of File during comment !!\n");
    scanText("\"open string\n'c", &console);
    EXPECT_EQ(console, "1: Invalid character \"\n2: Invalid character '\n");
}

TEST_F(Scanner, TokensLongerThanTheValueSlotAreCut) {
    std::string literal = "\"" + std::string(20000, 'x') + "\"";
    std::string name(9000, 'n');
    std::vector<ScannedToken> tokens = scanText(literal + " " + name + " z");
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(tokens[0].text, literal.substr(0, 511));
    EXPECT_EQ(tokens[1].text, name.substr(0, 511));
    EXPECT_EQ(tokens[2].text, "z");
}

TEST_F(Scanner, GarbageBytesAreReportedAndSkipped) {
    std::string console;
    std::string text = "a";
    text += '\0';
    text += "\x80\xff b";
    std::vector<ScannedToken> tokens = scanText(text, &console);
    EXPECT_EQ(describe(tokens), expected({{"IDENTIFIER", "a"}, {"IDENTIFIER", "b"}}));
    EXPECT_EQ(console, std::string("1: Invalid character ") + '\0' +
                           "\n1: Invalid character \x80\n1: Invalid character \xff\n");
}

}  // namespace
}  // namespace zivrat::test
