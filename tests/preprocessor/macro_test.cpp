// Macro definitions and their expansion.
#include <gtest/gtest.h>

#include <cstdlib>

#include "preprocessor_helpers.h"

namespace zivrat::test {
namespace {

// The text after the first #line line and the empty lines of the directives.
std::string expansionOf(const std::string& definitions, const std::string& use,
                        const std::vector<std::string>& options = {}) {
    PreprocessorRun run = preprocessText(definitions + use, options);
    std::string blanks(static_cast<std::size_t>(std::count(definitions.begin(), definitions.end(), '\n')), '\n');
    std::string head = std::string(kFirstLine) + blanks;
    EXPECT_EQ(run.output.compare(0, head.size(), head), 0) << run.output;
    return run.output.substr(std::min(head.size(), run.output.size()));
}

TEST(PreprocessorMacros, ObjectAndFunctionLikeMacros) {
    EXPECT_EQ(expansionOf("#define N 10\n#define SQ(x) ((x)*(x))\n", "SQ(N) SQ (1+2)\n"),
              "((10)*(10)) ((1+2)*(1+2))\n");
    EXPECT_EQ(expansionOf("#define E\n#define F() f\n", "[E] F()\n"), "[] f\n");
    EXPECT_EQ(expansionOf("#define P(a, b) a-b\n", "P((1,2), {3})\n"), "(1,2)- {3}\n");
    EXPECT_EQ(expansionOf("#define S(a) a\n", "S(\"x,)\" ')')\n"), "\"x,)\" ')'\n");
}

TEST(PreprocessorMacros, StringizingAndLiteralParameters) {
    EXPECT_EQ(expansionOf("#define s(a) #a\n", "s(p q)\n"), "\"p q\"\n");
    EXPECT_EQ(expansionOf("#define s(a) # a\n", "s(p)\n"), "\"p\"\n");
    EXPECT_EQ(expansionOf("#define t(a) \"a\"\n", "t(z)\n"), "\"z\"\n");
    EXPECT_EQ(expansionOf("#define c(a) 'a'\n", "c(y)\n"), "'y'\n");
}

TEST(PreprocessorMacros, StringizeWithoutParameterIsMisused) {
    PreprocessorRun run = preprocessText("#define bad(a) # x\nbad(1)\n");
    EXPECT_EQ(run.errors, 0);
    EXPECT_EQ(run.messages, "\"f.c\", line 1: Warning: '#symbol' misused\n");
    EXPECT_EQ(run.output, std::string(kFirstLine) + "\n\"x\"\n");
}

TEST(PreprocessorMacros, TokenPastingAfterArgumentInsertion) {
    EXPECT_EQ(expansionOf("#define f(a,b) a##b\n", "f(x, y)\n"), "xy\n");
    EXPECT_EQ(expansionOf("#define g(a,b) a ## b\n", "g(x,y)\n"), "x y\n");
    EXPECT_EQ(expansionOf("#define h(a) pre_##a##_post\n", "h(mid)\n"), "pre_mid_post\n");
}

TEST(PreprocessorMacros, PastingLeavesLaterDefinitionsAlone) {
    std::string text =
        "#define id(a) a\n"
        "id(1)\n"
        "#define cat(a,b) a ## b\n"
        "cat(x,y) cat(p, q)\n";
    PreprocessorRun run = preprocessText(text);
    EXPECT_EQ(run.output, std::string(kFirstLine) + "\n1\n\nx y p q\n");
}

TEST(PreprocessorMacros, SelfReferenceStopsAtOnce) {
    EXPECT_EQ(expansionOf("#define m m+1\n", "m\n"), "m+1\n");
    EXPECT_EQ(expansionOf("#define f(x) f(x+1)\n", "f(2)\n"), "f(2+1)\n");
}

TEST(PreprocessorMacros, MutualRecursionStopsAfterOneHundredExpansions) {
    PreprocessorRun run = preprocessText("#define a b\n#define b a\nx a y\n");
    EXPECT_EQ(run.errors, 0);
    EXPECT_EQ(run.messages, "\"f.c\", line 3: Warning: 'b' macro recursion.\n");
    EXPECT_EQ(run.output, std::string(kFirstLine) + "\n\nx b y\n");
}

TEST(PreprocessorMacros, RecursionWithoutGuardIsStoppedUnderRAndP) {
    for (const char* option : {"-R", "-P"}) {
        PreprocessorRun run = preprocessText("#define a b\n#define b a\nx a y\n", {option});
        EXPECT_EQ(run.errors, 1) << option;
        EXPECT_NE(run.messages.find(": endless macro recursion\n"), std::string::npos) << run.messages;
        EXPECT_NE(run.output.find("x b y\n"), std::string::npos) << option;
    }
}

TEST(PreprocessorMacros, DeepButFiniteNestingIsFineUnderR) {
    std::string text;
    for (int i = 0; i < 150; ++i) text += "#define m" + std::to_string(i) + " m" + std::to_string(i + 1) + "\n";
    PreprocessorRun guarded = preprocessText(text + "m0\n");
    EXPECT_NE(guarded.messages.find("macro recursion."), std::string::npos);
    PreprocessorRun free = preprocessText(text + "m0\n", {"-R"});
    EXPECT_EQ(free.messages, "");
    EXPECT_NE(free.output.find("\nm150\n"), std::string::npos);
}

TEST(PreprocessorMacros, MultiLineCallIsFollowedByALineMark) {
    PreprocessorRun run = preprocessText("#define f(a,b) a+b\nf(1,\n2) rest\nnext\n");
    EXPECT_EQ(run.output, std::string(kFirstLine) + "\n1+ 2 rest\n#line 4 \"f.c\"\nnext\n");
}

TEST(PreprocessorMacros, NameWithoutParenthesisIsKept) {
    PreprocessorRun run = preprocessText("#define f(a) a\nint f;\nf\n#define g 1\ng\n");
    EXPECT_EQ(run.errors, 0);
    EXPECT_EQ(run.messages,
              "\"f.c\", line 2: Warning: f: argument mismatch\n"
              "\"f.c\", line 3: Warning: f: argument mismatch\n");
    EXPECT_EQ(run.output, std::string(kFirstLine) + "\nint f;\nf\n\n1\n");
}

TEST(PreprocessorMacros, ParenthesisOnTheNextLine) {
    PreprocessorRun run = preprocessText("#define f(a) <a>\nf\n(3) x\ny\n");
    EXPECT_EQ(run.output, std::string(kFirstLine) + "\n<3> x\n#line 4 \"f.c\"\ny\n");
}

TEST(PreprocessorMacros, ArgumentCountWarnings) {
    PreprocessorRun run = preprocessText("#define two(a,b) a b\ntwo(1)\ntwo(1,2,3)\ntwo()\n");
    EXPECT_EQ(run.errors, 0);
    EXPECT_EQ(run.messages,
              "\"f.c\", line 2: Warning: Too few of arguments in macro two.\n"
              "\"f.c\", line 3: Warning: Too many of arguments in macro two.\n"
              "\"f.c\", line 4: Warning: Too few of arguments in macro two.\n");
    EXPECT_EQ(run.output, std::string(kFirstLine) + "\n1 \n1 2\n \n");
}

TEST(PreprocessorMacros, AtMostThirtyOneArguments) {
    std::string call = "many(";
    for (int i = 0; i < 33; ++i) call += (i ? "," : "") + std::to_string(i);
    PreprocessorRun run = preprocessText("#define many(a) a\n" + call + ")\n");
    EXPECT_EQ(run.errors, 0);
    EXPECT_EQ(run.messages,
              "\"f.c\", line 2: Warning: many: argument mismatch\n"
              "\"f.c\", line 2: Warning: many: argument mismatch\n"
              "\"f.c\", line 2: Warning: Too many of arguments in macro many.\n");
}

TEST(PreprocessorMacros, FormalErrors) {
    std::string formals;
    for (int i = 0; i < 32; ++i) formals += (i ? ",p" : "p") + std::to_string(i);
    PreprocessorRun run = preprocessText("#define f(" + formals + ") x\n#define g(a,1) x\n#define h(a\n#define 3\n");
    EXPECT_EQ(run.errors, 3);
    EXPECT_EQ(run.messages,
              "\"f.c\", line 1: too many formals: p31\n"
              "\"f.c\", line 2: bad formal: 1\n"
              "\"f.c\", line 3: h: missing )\n"
              "\"f.c\", line 4: Warning: illegal macro name\n");
}

TEST(PreprocessorMacros, RedefinitionWarnsOnlyWhenTheTextDiffers) {
    PreprocessorRun run = preprocessText(
        "#define A 1\n#define A 1\n#define A  1 \n#define A 2\n#define B(x) x\n#define B(y) y\nA\n");
    EXPECT_EQ(run.errors, 0);
    EXPECT_EQ(run.messages, "\"f.c\", line 4: Warning: A redefined\n");
    EXPECT_NE(run.output.find("\n2\n"), std::string::npos);
}

TEST(PreprocessorMacros, UndefAndCommandLineOptions) {
    EXPECT_EQ(expansionOf("#define A 1\n#undef A\n", "A\n"), "A\n");
    EXPECT_EQ(expansionOf("", "X Y Z W\n", {"-DX", "-DY=a b", "-DZ=", "-DW", "-UW"}), "1 a b  W\n");
    EXPECT_EQ(expansionOf("", "F(2)\n", {"-DF(v)=v*v"}), "2*2\n");
}

TEST(PreprocessorMacros, SignificantLengthWithT) {
    EXPECT_EQ(expansionOf("#define abcdefgh_one 1\n", "abcdefgh_two\n", {"-T"}), "1\n");
    EXPECT_EQ(expansionOf("#define abcdefgh_one 1\n", "abcdefgh_two\n"), "abcdefgh_two\n");
}

TEST(PreprocessorMacros, BuiltInNames) {
    ::setenv("SOURCE_DATE_EPOCH", "883990987", 1);  // Mon Jan  5 09:03:07 1998 UTC
    ::setenv("TZ", "UTC", 1);
    PreprocessorRun run = preprocessText("__LINE__ __FILE__\n__DATE__ __TIME__\n");
    ::unsetenv("SOURCE_DATE_EPOCH");
    EXPECT_EQ(run.output, std::string(kFirstLine) + "1 \"f.c\"\n\"Jan 05 1998\" \"09:03:07\"\n");
}

TEST(PreprocessorMacros, HashInsideAReplacementLiteralWarnsAtEachExpansion) {
    PreprocessorRun run = preprocessText("#define H(a) \"#\" a\nH(1)\n");
    EXPECT_EQ(run.messages, "\"f.c\", line 2: Warning: '#symbol' directive not yet supported.\n");
    EXPECT_EQ(run.output, std::string(kFirstLine) + "\n\"#\" 1\n");
}

TEST(PreprocessorMacros, MacrosInsideArgumentsAreExpandedAfterInsertion) {
    EXPECT_EQ(expansionOf("#define one 1\n#define id(x) x\n#define sq(x) x*x\n", "id(one) sq(id(one))\n"),
              "1 1*1\n");
    // An expansion that starts with the macro's own name keeps that name.
    EXPECT_EQ(expansionOf("#define one 1\n#define id(x) x\n", "id(id(one))\n"), "id(1)\n");
}

}  // namespace
}  // namespace zivrat::test
