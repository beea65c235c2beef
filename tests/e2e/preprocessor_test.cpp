// End-to-end runs of the preprocessing step: the console lines and the kept
// temporary file.
#include <gtest/gtest.h>

#include "common/console_texts.h"
#include "common/run_zivrat.h"
#include "common/temp_dir.h"

namespace zivrat::test {
namespace {

TEST(PreprocessorRun, KeptTemporaryFileHoldsThePreprocessedText) {
    TempDir dir;
    dir.write("inc/types.h", "typedef int Count;\n");
    dir.write("shape.h",
              "#include <types.h>\n"
              "#define SIDES(n) Count sides[n];\n"
              "#ifdef WIDE\nclass Wide;\n#endif\n"
              "class Shape { SIDES(4) };\n");
    RunResult run = runZivrat(dir.path(), {"-1", "-K", "-Iinc", "-DWIDE", "shape.h"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, kConsoleHead +
                           "shape.h\n"
                           "temporary preprocessed file : ./zvpp0.$$$\n"
                           "parsing ...\n"
                           "Class Shape\n"
                           "\n"
                           "\n"
                           "Ok\n");
    EXPECT_EQ(dir.read("zvpp0.$$$"),
              "#line 1 \"shape.h\"\n"
              "#line 1 \"inc/types.h\"\n"
              "typedef int Count;\n"
              "#line 2 \"shape.h\"\n"
              "\n"
              "\n"
              "class Wide;\n"
              "\n"
              "class Shape { Count sides[4]; };\n");
}

TEST(PreprocessorRun, ErrorsEndTheFileBeforeParsing) {
    TempDir dir;
    dir.write("bad.h", "#include \"missing.h\"\n#if 1\n");
    dir.write("good.h", "int g;\n");
    RunResult run = runZivrat(dir.path(), {"-1", "-H", "bad.h", "good.h"});
    EXPECT_EQ(run.out, kConsoleHead +
                           "bad.h\n"
                           "\"bad.h\", line 1: Can't find include file missing.h\n"
                           "\"bad.h\", line 3: Unexpected EOF within #if, #ifdef or #ifndef\n"
                           "good.h\n"
                           "parsing ...\n"
                           "\n"
                           "\n"
                           "Ok\n");
    EXPECT_EQ(run.status, 0);  // the result of the last file
    EXPECT_FALSE(dir.exists("zvpp0.$$$"));
}

TEST(PreprocessorRun, CommandLineDefinitionsAndTheDate) {
    TempDir dir;
    dir.write("a.h", "int x[LEVEL];\nint y = NAME;\nchar* date = __DATE__;\n");
    RunResult run = runZivrat(dir.path(), {"-1", "-K", "-DLEVEL=3", "-DNAME", "a.h"},
                              reproducibleEnvironment());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(dir.read("zvpp0.$$$"),
              "#line 1 \"a.h\"\nint x[3];\nint y = 1;\nchar* date = \"Jan 05 1998\";\n");
}

TEST(PreprocessorRun, MissingInputIsAFatalError) {
    TempDir dir;
    RunResult run = runZivrat(dir.path(), {"nothing.h"});
    EXPECT_EQ(run.out, kConsoleHead + "nothing.h\nzivrat: No source file nothing.h\n\n");
    EXPECT_EQ(run.status, 1);
}

}  // namespace
}  // namespace zivrat::test
