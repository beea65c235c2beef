// Include files: the search, the #line lines around them, the -H tree and
// the nesting limit.
#include <gtest/gtest.h>

#include "preprocessor_helpers.h"

namespace zivrat::test {
namespace {

TEST(PreprocessorIncludes, QuotedIncludeFromTheFilesDirectory) {
    TempDir dir;
    dir.write("src/f.c", "before\n#include \"a.h\"\nafter\n");
    dir.write("src/a.h", "in a\n#include \"sub/b.h\"\nend a\n");
    dir.write("src/sub/b.h", "in b __FILE__\n");
    PreprocessorRun run = preprocessIn(dir, "src/f.c");
    EXPECT_EQ(run.errors, 0);
    EXPECT_EQ(run.output,
              "#line 1 \"src/f.c\"\n"
              "before\n"
              "#line 1 \"src/a.h\"\n"
              "in a\n"
              "#line 1 \"src/sub/b.h\"\n"
              "in b \"src/sub/b.h\"\n"
              "#line 3 \"src/a.h\"\n"
              "end a\n"
              "#line 3 \"src/f.c\"\n"
              "after\n");
}

TEST(PreprocessorIncludes, AngledIncludesSearchTheIDirectories) {
    TempDir dir;
    dir.write("f.c", "#include <x.h>\n#include <vector>\n__USING_STD_NAMES__\n");
    dir.write("one/x.h", "x from one\n");
    dir.write("two/x.h", "x from two\n");
    dir.write("two/vector.h", "vector __USING_STD_NAMES__\n");
    PreprocessorRun run = preprocessIn(dir, "f.c", {"-Ione", "-Itwo"});
    EXPECT_EQ(run.errors, 0);
    EXPECT_EQ(run.output,
              "#line 1 \"f.c\"\n"
              "#line 1 \"one/x.h\"\n"
              "x from one\n"
              "#line 2 \"f.c\"\n"
              "#line 1 \"two/vector.h\"\n"
              "vector 1\n"
              "#line 3 \"f.c\"\n"
              "__USING_STD_NAMES__\n");
}

TEST(PreprocessorIncludes, AngledIncludeWithoutDirectoriesIsNotFound) {
    TempDir dir;
    dir.write("f.c", "#include <a.h>\n#include \"missing.h\"\nnext\n");
    dir.write("a.h", "a\n");
    PreprocessorRun run = preprocessIn(dir, "f.c");
    EXPECT_EQ(run.errors, 2);
    EXPECT_EQ(run.messages,
              "\"f.c\", line 1: Can't find include file a.h\n"
              "\"f.c\", line 2: Can't find include file missing.h\n");
    EXPECT_EQ(run.output, "#line 1 \"f.c\"\n\n\nnext\n");
}

TEST(PreprocessorIncludes, NamesFromMacrosAndSyntaxErrors) {
    TempDir dir;
    dir.write("f.c",
              "#define NAME \"a.h\"\n#include NAME\n#include <a.h\n#include \"a.h\n#include a.h\n"
              "#include \"a.h\" extra\n#include \"/usr/include/none.h\"\n");
    dir.write("a.h", "a\n");
    PreprocessorRun run = preprocessIn(dir, "f.c", {"-I."});
    EXPECT_EQ(run.errors, 2);
    EXPECT_EQ(run.messages,
              "\"f.c\", line 3: Warning: missing > in #include\n"
              "\"f.c\", line 4: Warning: missing \" in #include\n"
              "\"f.c\", line 5: bad include syntax\n"
              "\"f.c\", line 6: Warning: extra tokens (ignored) after directive\n"
              "\"f.c\", line 7: Warning: #include of /usr/include/... may be non-portable\n"
              "\"f.c\", line 7: Can't find include file /usr/include/none.h\n");
    EXPECT_EQ(run.output,
              "#line 1 \"f.c\"\n\n"
              "#line 1 \"./a.h\"\na\n#line 3 \"f.c\"\n"
              "#line 1 \"./a.h\"\na\n#line 4 \"f.c\"\n"
              "#line 1 \"./a.h\"\na\n#line 5 \"f.c\"\n"
              "\n"
              "#line 1 \"./a.h\"\na\n#line 7 \"f.c\"\n"
              "\n");
}

TEST(PreprocessorIncludes, IncludeTreeWithH) {
    TempDir dir;
    dir.write("f.c", "#include \"a.h\"\n#include \"b.h\"\n");
    dir.write("a.h", "#include \"b.h\"\n");
    dir.write("b.h", "b\n");
    PreprocessorRun run = preprocessIn(dir, "f.c", {"-H"});
    EXPECT_EQ(run.messages, "./a.h\n ./b.h\n./b.h\n");
}

TEST(PreprocessorIncludes, AFileThatIncludesItselfStopsAtFortyLevels) {
    TempDir dir;
    dir.write("f.c", "#include \"f.c\"\nx\n");
    PreprocessorRun run = preprocessIn(dir, "f.c");
    EXPECT_EQ(run.errors, 1);
    EXPECT_EQ(run.messages, "\"./f.c\", line 1: Unreasonable include nesting\n");
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), 'x'), 40);
}

TEST(PreprocessorIncludes, ForyOneLevelsOfDistinctFiles) {
    TempDir dir;
    for (int i = 0; i < 41; ++i) {
        dir.write("l" + std::to_string(i) + ".h", "#include \"l" + std::to_string(i + 1) + ".h\"\n");
    }
    dir.write("l41.h", "deepest\n");
    dir.write("f.c", "#include \"l0.h\"\n");
    PreprocessorRun run = preprocessIn(dir, "f.c");
    EXPECT_EQ(run.errors, 1);
    EXPECT_EQ(run.messages, "\"./l38.h\", line 1: Unreasonable include nesting\n");
    EXPECT_EQ(run.output.find("deepest"), std::string::npos);
}

TEST(PreprocessorIncludes, TheRestOfTheIncludingBufferSurvivesAnInclude) {
    TempDir dir;
    std::string tail;
    for (int i = 0; i < 500; ++i) tail += "line " + std::to_string(i) + "\n";
    dir.write("f.c", "#define L(x) x\n#include \"a.h\"\n" + tail);
    dir.write("a.h", "L(inside)\n");
    PreprocessorRun run = preprocessIn(dir, "f.c");
    EXPECT_EQ(run.output, "#line 1 \"f.c\"\n\n#line 1 \"./a.h\"\ninside\n#line 3 \"f.c\"\n" + tail);
}

}  // namespace
}  // namespace zivrat::test
