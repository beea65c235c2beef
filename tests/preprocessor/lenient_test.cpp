// Lenient mode: the preprocessing of today's headers. Each case also runs in
// the default mode, which keeps its errors.
#include <gtest/gtest.h>

#include "common/run_state.h"
#include "ground/settings.h"
#include "preprocessor_helpers.h"

namespace zivrat::test {
namespace {

class PreprocessorLenient : public RunStateTest {
protected:
    PreprocessorRun lenientText(const std::string& text) {
        runSettings().lenient = true;
        PreprocessorRun run = preprocessText(text);
        runSettings().lenient = false;
        return run;
    }
    PreprocessorRun lenientIn(const TempDir& dir, const std::string& source,
                              const std::vector<std::string>& options = {}) {
        runSettings().lenient = true;
        PreprocessorRun run = preprocessIn(dir, source, options);
        runSettings().lenient = false;
        return run;
    }
};

TEST_F(PreprocessorLenient, SkippedGroupsLookOnlyAtConditionals) {
    const std::string text =
        "#if 0\n#warning \"old\"\n#frobnicate\n#include <nowhere.h>\n#line x\n#else\nkept\n#endif\n";
    PreprocessorRun run = lenientText(text);
    EXPECT_EQ(run.errors, 0);
    EXPECT_EQ(run.messages, "");
    EXPECT_EQ(run.output, std::string(kFirstLine) + "\n#line 7 \"f.c\"\nkept\n\n");
    EXPECT_EQ(preprocessText(text).errors, 2);  // two undefined controls
}

TEST_F(PreprocessorLenient, WarningErrorAndUnknownDirectivesAreWarnings) {
    const std::string text = "#warning  take care \n#error stop here\n#pragma once\n#ident \"x\"\n"
                             "#sccs \"y\"\n#assert machine(x86)\n#frob\nafter\n";
    PreprocessorRun run = lenientText(text);
    EXPECT_EQ(run.errors, 0);
    EXPECT_EQ(run.messages,
              "\"f.c\", line 1: #warning take care\n"
              "\"f.c\", line 2: #error stop here\n"
              "\"f.c\", line 7: Warning: unknown directive #frob\n");
    EXPECT_NE(run.output.find("after"), std::string::npos);
    EXPECT_EQ(preprocessText(text).errors, 4);  // #warning, #sccs, #assert, #frob
}

TEST_F(PreprocessorLenient, IncludeNextSearchesTheFoldersAfterTheCurrentFilesOwn) {
    TempDir dir;
    dir.write("f.c", "#include <stdio.h>\n");
    dir.write("one/stdio.h", "one\n#include_next <stdio.h>\n");
    dir.write("two/stdio.h", "two\n#include_next <stdio.h>\n");
    dir.write("three/stdio.h", "three\n");
    PreprocessorRun run = lenientIn(dir, "f.c", {"-Ione", "-Itwo", "-Ithree"});
    EXPECT_EQ(run.errors, 0);
    EXPECT_EQ(run.output,
              "#line 1 \"f.c\"\n#line 1 \"one/stdio.h\"\none\n#line 1 \"two/stdio.h\"\ntwo\n"
              "#line 1 \"three/stdio.h\"\nthree\n#line 3 \"two/stdio.h\"\n"
              "#line 3 \"one/stdio.h\"\n#line 2 \"f.c\"\n");
}

TEST_F(PreprocessorLenient, MissingIncludesWarnAndExtensionlessNamesAreTriedAsWritten) {
    TempDir dir;
    dir.write("f.c", "#include <map>\n#include <gone.h>\nend\n");
    dir.write("inc/map", "the map\n");
    dir.write("inc/map.h", "the old map.h\n");
    PreprocessorRun run = lenientIn(dir, "f.c", {"-Iinc"});
    EXPECT_EQ(run.errors, 0);
    EXPECT_EQ(run.messages, "\"f.c\", line 2: Warning: can't find include file gone.h\n");
    EXPECT_NE(run.output.find("the map\n"), std::string::npos);
    EXPECT_EQ(run.output.find("old"), std::string::npos);
    PreprocessorRun plain = preprocessIn(dir, "f.c", {"-Iinc"});
    EXPECT_EQ(plain.errors, 1);
    EXPECT_NE(plain.output.find("the old map.h"), std::string::npos);
}

TEST_F(PreprocessorLenient, PragmaOnceAndImportReadAFileOnce) {
    TempDir dir;
    dir.write("f.c", "#include \"a.h\"\n#include \"./a.h\"\n#import \"b.h\"\n#import \"b.h\"\n"
                     "#include \"b.h\"\n");
    dir.write("a.h", "#pragma once\nA\n");
    dir.write("b.h", "B\n");
    PreprocessorRun run = lenientIn(dir, "f.c");
    EXPECT_EQ(run.errors, 0);
    auto count = [&](const std::string& word) {
        std::size_t n = 0;
        for (std::size_t at = run.output.find(word); at != std::string::npos;
             at = run.output.find(word, at + 1)) {
            ++n;
        }
        return n;
    };
    EXPECT_EQ(count("A\n"), 1u);
    EXPECT_EQ(count("B\n"), 1u);
}

TEST_F(PreprocessorLenient, VariadicMacrosAndPasting) {
    PreprocessorRun run = lenientText(
        "#define DECL(name, ...) struct name { __VA_ARGS__; };\n"
        "#define LOG(fmt, args...) print(fmt, args)\n"
        "#define NONE(x, ...) [x|__VA_ARGS__]\n"
        "#define CAT(a, b) a ## b\n"
        "#define USE(F) USE_ ## F\n"
        "#define USE_ISO 1\n"
        "DECL(Point, int x, y)\nLOG(\"%d %d\", 1, 2)\nNONE(1)\nint CAT(x, y);\n"
        "#if USE (ISO)\niso\n#endif\n");
    EXPECT_EQ(run.errors, 0);
    EXPECT_EQ(run.messages, "");
    // Arguments keep the blanks before them, as they always have.
    for (const char* expected : {"struct Point {  int x, y; };", "print(\"%d %d\",  1, 2)", "[1|]",
                                 "int xy;", "iso"}) {
        EXPECT_NE(run.output.find(expected), std::string::npos) << expected << "\n" << run.output;
    }
}

TEST_F(PreprocessorLenient, ConditionsOfTodaysHeaders) {
    TempDir dir;
    dir.write("f.c",
              "#if 1UL && 2ll == 2LL && 0x10u > 1\none\n#endif\n"
              "#if L'\\0' - 1 < 0\ntwo\n#endif\n"
              "#if __has_include(<here.h>) && !__has_include(\"gone.h\")\nthree\n#endif\n"
              "#if defined(__has_include) && !__has_attribute(noreturn) && !UNKNOWN_CALL(1, 2)\n"
              "four\n#endif\n"
              "#ifdef __has_include\nfive\n#endif\n"
              "#if __STDC__ && __x86_64__\nsix\n#endif\n");
    dir.write("inc/here.h", "");
    PreprocessorRun run = lenientIn(dir, "f.c", {"-Iinc"});
    EXPECT_EQ(run.errors, 0) << run.messages;
    for (const char* word : {"one", "two", "three", "four", "five", "six"}) {
        EXPECT_NE(run.output.find(std::string(word) + "\n"), std::string::npos) << word;
    }
    EXPECT_GT(preprocessIn(dir, "f.c", {"-Iinc"}).errors, 0);
}

}  // namespace
}  // namespace zivrat::test
