// Conditional groups and #if expressions.
#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

#include "preprocessor/preprocessor.h"
#include "preprocessor_helpers.h"

namespace zivrat::test {
namespace {

TEST(PreprocessorConditionals, BranchesOfOneGroup) {
    PreprocessorRun run = preprocessText(
        "#define B 2\n"
        "#if B == 1\none\n#elif B == 2\ntwo\n#elif B == 2\nagain\n#else\nother\n#endif\n"
        "#ifdef B\nb\n#endif\n#ifndef B\nnot b\n#else\nelse b\n#endif\n");
    EXPECT_EQ(run.errors, 0);
    EXPECT_EQ(run.output, std::string(kFirstLine) +
                              "\n"
                              "\n"
                              "#line 5 \"f.c\"\n"
                              "two\n"
                              "\n"
                              "#line 11 \"f.c\"\n"
                              "\n"
                              "b\n"
                              "\n"
                              "\n"
                              "#line 17 \"f.c\"\n"
                              "else b\n"
                              "\n");
}

TEST(PreprocessorConditionals, NestedGroupsInsideSkippedOnesStaySkipped) {
    PreprocessorRun run = preprocessText(
        "#if 0\n#if 1\na\n#else\nb\n#endif\n#elif 1\nc\n#endif\n");
    EXPECT_EQ(run.output, std::string(kFirstLine) + "\n#line 8 \"f.c\"\nc\n\n");
}

TEST(PreprocessorConditionals, MisplacedDirectives) {
    PreprocessorRun run = preprocessText(
        "#endif\n#else\n#elif 1\n#if 1\n#else\n#else\n#elif 1\n#endif extra\n#if 0\n#warning x\n#endif\n");
    EXPECT_EQ(run.errors, 6);
    EXPECT_EQ(run.messages,
              "\"f.c\", line 1: If-less endif\n"
              "\"f.c\", line 2: If-less else\n"
              "\"f.c\", line 3: If-less elif\n"
              "\"f.c\", line 6: too many #else's\n"
              "\"f.c\", line 7: #elif following #else\n"
              "\"f.c\", line 8: Warning: extra tokens (ignored) after directive\n"
              "\"f.c\", line 10: undefined control\n");
}

TEST(PreprocessorConditionals, UnterminatedGroupAtTheEnd) {
    PreprocessorRun run = preprocessText("#ifdef X\nx\n");
    EXPECT_EQ(run.errors, 1);
    EXPECT_EQ(run.messages, "\"f.c\", line 3: Unexpected EOF within #if, #ifdef or #ifndef\n");
}

TEST(PreprocessorConditionals, FiveHundredAndOneNestedGroups) {
    std::string text;
    for (int i = 0; i < 501; ++i) text += "#if 1\n";
    text += "inner\n";
    for (int i = 0; i < 501; ++i) text += "#endif\n";
    PreprocessorRun run = preprocessText(text);
    EXPECT_EQ(run.errors, 1);
    EXPECT_EQ(run.messages, "\"f.c\", line 501: #if,ifdef,ifndef nesting too deep\n");
    EXPECT_NE(run.output.find("inner"), std::string::npos);

    std::string ifdefs;
    for (int i = 0; i < 501; ++i) ifdefs += "#ifndef X\n";
    for (int i = 0; i < 501; ++i) ifdefs += "#endif\n";
    PreprocessorRun second = preprocessText(ifdefs);
    EXPECT_EQ(second.messages, "\"f.c\", line 501: #if,ifdef,ifndef nesting to deep\n");
}

struct ExpressionCase {
    const char* expression;
    bool copied;
    int errors;
    const char* messages;
};

TEST(PreprocessorConditionals, Expressions) {
    const ExpressionCase cases[] = {
        {"1 ? 2 : 0", true, 0, ""},
        {"0 && 1/0", false, 0, "division by zero\n"},
        {"5 / 0", false, 0, "division by zero\n"},
        {"5 % 0", false, 0, "remainder by zero\n"},
        {"1 == 1 == 1", true, 1, "parse error\n"},
        {"1 < 2 < 3", true, 1, "parse error\n"},
        {"", true, 1, "parse error\n"},
        {"defined X && defined(X) && X == 7", true, 0, ""},
        {"defined ( X )", true, 0, ""},
        {"Y", false, 0, ""},
        {"defined Y || defined(Y)", false, 0, ""},
        {"010 == 8 && 0x10 == 16 && 0X1f == 31 && 09 == 9", true, 0, ""},
        {"'A' == 65 && '\\n' == 10 && '\\101' == 65 && '\\a' == 97 && '\\'' == 39", true, 0, ""},
        {"'\\377' == -1 && 'ab' == 'a'", true, 0, ""},
        {"(1 | 2 ^ 3) == 0 && (1 ^ 2 & 3) == 3", true, 0, ""},
        {"-1 >> 1 == -1 && (1 << 33) == 2 && -8 >> 33 == -4", true, 0, ""},
        {"2147483647 + 1 == -2147483647 - 1", true, 0, ""},
        {"(-2147483647 - 1) / -1 == -2147483647 - 1", true, 0, ""},
        {"(-2147483647 - 1) % -1 == 0", true, 0, ""},
        {"-7 / 2 == -3 && -7 % 2 == -1 && 7 % -2 == 1", true, 0, ""},
        {"0 ? 1 : 0 ? 1 : 0", false, 0, ""},
        {"1 ? 0, 1 : 0", true, 0, ""},
        {"(0, 1) && !0 && ~0 == -1", true, 0, ""},
        {"4294967296 == 0 && 10L == 10", true, 0, ""},
        {"1.5 == 1", true, 1, "Illegal number 1.5\n"},
        {"10U == 10", true, 1, "Illegal number 10U\n"},
        {"defined 3", true, 1, "\"defined\" modifying non-identifier \"3\" in preprocessor if\n"},
        {"defined", true, 1, "parse error\n"},
        {"1 $ 1", true, 2, "Illegal character $ in preprocessor if\nparse error\n"},
        {"\"s\" == 1", true, 2, "Illegal character \"s\" in preprocessor if\nparse error\n"},
        {"2 \"s\" == 2", true, 1, "Illegal character \"s\" in preprocessor if\n"},
        {"+1", true, 1, "parse error\n"},
        {"1 \\\n + 1 == 2", true, 0, ""},
        {"F(2) == 4", true, 0, ""},
        {"F == 1", true, 0, "Warning: F: argument mismatch\n"},
    };
    for (const ExpressionCase& test : cases) {
        std::string text = "#define X 7\n#define F(a) a*a\n#if " + std::string(test.expression) + "\nyes\n#endif\n";
        PreprocessorRun run = preprocessText(text);
        EXPECT_EQ(run.output.find("yes") != std::string::npos, test.copied) << test.expression;
        EXPECT_EQ(run.errors, test.errors) << test.expression;
        std::string expected;
        for (std::string rest = test.messages; !rest.empty();) {
            std::size_t end = rest.find('\n') + 1;
            expected += "\"f.c\", line 3: " + rest.substr(0, end);
            rest = rest.substr(end);
        }
        EXPECT_EQ(run.messages, expected) << test.expression;
    }
}

TEST(PreprocessorConditionals, DefinedDoesNotOutliveItsLine) {
    PreprocessorRun run = preprocessText("#define A 5\n#if defined\n#endif\nA\n");
    EXPECT_EQ(run.errors, 1);
    EXPECT_NE(run.output.find("\n5\n"), std::string::npos);
}

TEST(PreprocessorConditionals, ElifInASkippedGroupExpandsMacros) {
    PreprocessorRun run = preprocessText("#define ON 1\n#if 0\n#elif ON\nyes\n#endif\n");
    EXPECT_NE(run.output.find("yes"), std::string::npos);
}

TEST(PreprocessorConditionals, ParserStackOverflow) {
    std::string open(10000, '(');
    PreprocessorRun run = preprocessText("#if " + open + "1\nyes\n#endif\n");
    EXPECT_EQ(run.errors, 1);
    EXPECT_EQ(run.messages, "\"f.c\", line 1: parser stack overflow\n");
    EXPECT_NE(run.output.find("yes"), std::string::npos);
}

TEST(PreprocessorConditionals, TraceUnderYYDEBUG2) {
    std::ostringstream trace;
    std::streambuf* saved = std::cout.rdbuf(trace.rdbuf());
    setConditionTraceLevel(1);
    PreprocessorRun run = preprocessText("#if -1\n#endif\n#if 1 +\n#endif\n");
    setConditionTraceLevel(0);
    std::cout.rdbuf(saved);
    EXPECT_EQ(run.errors, 1);
    EXPECT_EQ(trace.str(),
              "Starting parse\n"
              "Entering state 0\n"
              "Reading a token: Next token is 45 ('-')\n"
              "Shifting token 45 ('-'), Entering state 3\n"
              "Reading a token: Next token is 258 (number)\n"
              "Shifting token 258 (number), Entering state 1\n"
              "Reducing via rule 29 (line 81), number  -> term\n"
              "state stack now 0 3\n"
              "Entering state 12\n"
              "Reducing via rule 23 (line 74), '-' term  -> term\n"
              "state stack now 0\n"
              "Entering state 9\n"
              "Reducing via rule 22 (line 71), term  -> e\n"
              "state stack now 0\n"
              "Entering state 8\n"
              "Reading a token: Next token is 259 (stop)\n"
              "Shifting token 259 (stop), Entering state 17\n"
              "Reducing via rule 1 (line 34), e stop  -> S\n"
              "state stack now 0\n"
              "Entering state 7\n"
              "Reading a token: Now at end of input.\n"
              "Starting parse\n"
              "Entering state 0\n"
              "Reading a token: Next token is 258 (number)\n"
              "Shifting token 258 (number), Entering state 1\n"
              "Reducing via rule 29 (line 81), number  -> term\n"
              "state stack now 0\n"
              "Entering state 9\n"
              "Reducing via rule 22 (line 71), term  -> e\n"
              "state stack now 0\n"
              "Entering state 8\n"
              "Reading a token: Next token is 43 ('+')\n"
              "Shifting token 43 ('+'), Entering state 33\n"
              "Reading a token: Next token is 259 (stop)\n"
              "Error: state stack now 0 8\n"
              "Error: state stack now 0\n");
}

}  // namespace
}  // namespace zivrat::test
