// Small inputs that ask for endless work end at the bound on the bytes read
// and expanded per invocation, with one counted error.
#include <gtest/gtest.h>

#include <chrono>

#include "preprocessor/preprocessor.h"
#include "preprocessor_helpers.h"

namespace zivrat::test {
namespace {

// Macros that double at every level: D30 stands for 2^30 copies of x.
std::string doublingMacros(const std::string& leaf) {
    std::string text = "#define D0 " + leaf + "\n";
    for (int level = 1; level <= 30; ++level) {
        text += "#define D" + std::to_string(level) + " D" + std::to_string(level - 1) + " D" +
                std::to_string(level - 1) + "\n";
    }
    return text + "D30\n";
}

class PreprocessorWorkBound : public ::testing::Test {
protected:
    void TearDown() override { preprocessorLimits() = PreprocessorLimits(); }
};

TEST_F(PreprocessorWorkBound, DoublingMacrosStopAtTheBound) {
    preprocessorLimits().workBytes = 1 << 20;
    PreprocessorRun run = preprocessText(doublingMacros("x"));
    EXPECT_EQ(run.errors, 1);
    EXPECT_EQ(run.messages,
              "\"f.c\", line 32: input too large: more than 1048576 bytes read and expanded, "
              "preprocessing stopped\n");
    EXPECT_LT(run.output.size(), 1u << 20);
}

TEST_F(PreprocessorWorkBound, ExpansionsToNothingCountToo) {
    preprocessorLimits().workBytes = 1 << 20;
    PreprocessorRun run = preprocessText(doublingMacros(""));
    EXPECT_EQ(run.errors, 1);
    EXPECT_NE(run.messages.find("input too large"), std::string::npos);
}

TEST_F(PreprocessorWorkBound, AHeaderIncludingItselfTwiceStops) {
    preprocessorLimits().workBytes = 1 << 20;
    TempDir dir;
    dir.write("f.c", "#include \"f.c\"\n#include \"f.c\"\n");
    PreprocessorRun run = preprocessIn(dir, "f.c");
    EXPECT_GE(run.errors, 1);
    EXPECT_NE(run.messages.find("input too large"), std::string::npos);
}

TEST_F(PreprocessorWorkBound, TheDefaultBoundEndsInSeconds) {
    auto start = std::chrono::steady_clock::now();
    PreprocessorRun run = preprocessText(doublingMacros("x"));
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(run.errors, 1);
    EXPECT_LT(seconds, 60.0);
}

TEST_F(PreprocessorWorkBound, OrdinaryInputsStayFarBelowIt) {
    preprocessorLimits().workBytes = 4096;
    PreprocessorRun run = preprocessText("#define N 4\nint a[N];\n");
    EXPECT_EQ(run.errors, 0);
    EXPECT_EQ(run.output, std::string(kFirstLine) + "\nint a[4];\n");
}

}  // namespace
}  // namespace zivrat::test
