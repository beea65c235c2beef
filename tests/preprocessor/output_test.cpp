// The output file: #line lines, the lines that directives leave, comments,
// line ends, and the #line and #ident directives.
#include <gtest/gtest.h>

#include "preprocessor_helpers.h"

namespace zivrat::test {
namespace {

TEST(PreprocessorOutput, DirectivesLeaveEmptyLinesAndSkippedGroupsEndWithLineMarks) {
    PreprocessorRun run = preprocessText(
        "#define A 1\n"
        "a A\n"
        "#if 0\n"
        "hidden\n"
        "#endif\n"
        "b\n");
    EXPECT_EQ(run.errors, 0);
    EXPECT_EQ(run.output, std::string(kFirstLine) +
                              "\n"
                              "a 1\n"
                              "\n"
                              "#line 6 \"f.c\"\n"
                              "b\n");
    EXPECT_EQ(run.messages, "");
}

TEST(PreprocessorOutput, LineEndsAreFoldedAndTheLastLineGetsItsNewline) {
    PreprocessorRun run = preprocessText("one\r\ntwo\r\nthree");
    EXPECT_EQ(run.output, std::string(kFirstLine) + "one\ntwo\nthree\n");
    EXPECT_EQ(run.errors, 0);
}

TEST(PreprocessorOutput, ALastLineOfExactlyOneBlockStillGetsItsNewline) {
    std::string text(2047, 'x');
    text = "\n" + text;  // 2,048 bytes, the last one not a newline
    PreprocessorRun run = preprocessText(text);
    EXPECT_EQ(run.output, std::string(kFirstLine) + text + "\n");
}

TEST(PreprocessorOutput, DoubleHashIsRemovedEverywhereInCopiedText) {
    PreprocessorRun run = preprocessText("a##b \"c ## d\" e###f\n");
    EXPECT_EQ(run.output, std::string(kFirstLine) + "ab \"c  d\" e#f\n");
}

TEST(PreprocessorOutput, CommentsLeaveNothingButTheirNewlines) {
    PreprocessorRun run = preprocessText(
        "a/**/b // line comment\n"
        "c /* two\n"
        "lines */ d\n"
        "\"/* not a comment */\" '//'\n");
    EXPECT_EQ(run.output, std::string(kFirstLine) +
                              "ab \n"
                              "c \n"
                              " d\n"
                              "\"/* not a comment */\" '//'\n");
}

TEST(PreprocessorOutput, CommentsAreKeptWithC) {
    PreprocessorRun run = preprocessText("a /* kept */ b // kept too\n", {"-C"});
    EXPECT_EQ(run.output, std::string(kFirstLine) + "a /* kept */ b // kept too\n");
}

TEST(PreprocessorOutput, LongKeptCommentsAreCutIntoAdjacentComments) {
    std::string body(5000, 'x');
    PreprocessorRun run = preprocessText("/*" + body + "*/\nafter\n", {"-C"});
    ASSERT_EQ(run.errors, 0);
    std::string text = run.output.substr(std::string(kFirstLine).size());
    EXPECT_NE(text.find("*//*"), std::string::npos);
    std::string joined;  // without the cuts, the comment is whole
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text.compare(at, 4, "*//*") == 0) {
            at += 3;
        } else {
            joined += text[at];
        }
    }
    EXPECT_EQ(joined, "/*" + body + "*/\nafter\n");
}

TEST(PreprocessorOutput, AKeptCommentCutAfterItsStarStillEnds) {
    // The "*" of the closing "*/" is the last byte of the first block.
    std::string body(2044, 'y');
    PreprocessorRun run = preprocessText("/*" + body + "*/ tail\n", {"-C"});
    EXPECT_EQ(run.errors, 0);
    EXPECT_NE(run.output.find("*/ tail\n"), std::string::npos);
}

TEST(PreprocessorOutput, NoLineDirectivesWithP) {
    TempDir dir;
    dir.write("a.h", "in a\n");
    dir.write("f.c", "#include \"a.h\"\n#if 0\nx\n#endif\nend\n#ident \"v1\"\n#line 40\n");
    PreprocessorRun run = preprocessIn(dir, "f.c", {"-P"});
    EXPECT_EQ(run.output, "in a\n\nend\n\n\n");
}

TEST(PreprocessorOutput, LineDirectivesAreCopiedAndSetTheNextLine) {
    PreprocessorRun run = preprocessText(
        "#line 40 \"other.c\"\n"
        "x __LINE__ __FILE__\n"
        "# 7 \"third.c\"\n"
        "y __LINE__ __FILE__\n"
        "#ident \"version 1\"\n");
    EXPECT_EQ(run.errors, 0);
    EXPECT_EQ(run.output, std::string(kFirstLine) +
                              "# 40 \"other.c\"\n"
                              "x 40 \"other.c\"\n"
                              "#7 \"third.c\"\n"
                              "y 7 \"third.c\"\n"
                              "#ident \"version 1\"\n");
}

TEST(PreprocessorOutput, BadLineDirectives) {
    PreprocessorRun run = preprocessText("#line 0\n#line x\n#line 5 name\n#line 6 \"open\n");
    EXPECT_EQ(run.errors, 4);
    EXPECT_EQ(run.messages,
              "\"f.c\", line 1: bad number for #line\n"
              "\"f.c\", line 2: bad number for #line\n"
              "\"f.c\", line 3: bad file for #line\n"
              "\"f.c\", line 5: bad file for #line\n");  // the third one set the line
}

TEST(PreprocessorOutput, BackslashNewlinesAreCopiedOutsideDirectives) {
    PreprocessorRun run = preprocessText("a \\\nb\n#define X 1 \\\n + 2\nX\n");
    EXPECT_EQ(run.output, std::string(kFirstLine) + "a \\\nb\n\n\n1 + 2\n");
}

TEST(PreprocessorOutput, DirectiveAfterFormFeedAndBlanks) {
    PreprocessorRun run = preprocessText("  \f#define X 2\n\t#  define Y 3\nX Y\n");
    EXPECT_EQ(run.errors, 0);
    EXPECT_EQ(run.output, std::string(kFirstLine) + "  \n\t\n2 3\n");
}

}  // namespace
}  // namespace zivrat::test
