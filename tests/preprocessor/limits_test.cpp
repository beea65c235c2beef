// Bad input and limits: each ends in its message, never in a crash or a hang.
#include <gtest/gtest.h>

#include "preprocessor/preprocessor.h"
#include "preprocessor_helpers.h"

namespace zivrat::test {
namespace {

TEST(PreprocessorLimits, UnterminatedCommentAndLiterals) {
    PreprocessorRun comment = preprocessText("a /* never closed\nb\n");
    EXPECT_EQ(comment.errors, 1);
    EXPECT_EQ(comment.messages, "\"f.c\", line 3: Unexpected EOF in comment\n");
    EXPECT_EQ(comment.output, std::string(kFirstLine) + "a \n\n");

    PreprocessorRun literal = preprocessText("#define Q 1\nx \"open Q\nQ 'c\n");
    EXPECT_EQ(literal.errors, 0);
    EXPECT_EQ(literal.output, std::string(kFirstLine) + "\nx \"open Q\n1 'c\n");
}

TEST(PreprocessorLimits, UnterminatedMacroCall) {
    PreprocessorRun run = preprocessText("#define f(a) [a]\nx f(1, (2\ny\n");
    EXPECT_EQ(run.errors, 1);
    EXPECT_EQ(run.messages,
              "\"f.c\", line 2: f: unterminated macro call\n"
              "\"f.c\", line 2: Warning: Too many of arguments in macro f.\n");
    EXPECT_NE(run.output.find("x [1]"), std::string::npos);

    PreprocessorRun comment = preprocessText("#define f(a) a\nf(1 /* never closed\n");
    EXPECT_EQ(comment.errors, 2);
    EXPECT_EQ(comment.messages,
              "\"f.c\", line 2: f: unterminated macro call\n"
              "\"f.c\", line 4: Unexpected EOF in comment\n");  // after the supplied newline

    // Each expansion opens a call that only the end of the source closes.
    PreprocessorRun feeding = preprocessText("#define h(x) k(\n#define k(x) h(\nh(\n");
    EXPECT_GE(feeding.errors, 1);
    EXPECT_NE(feeding.messages.find("macro recursion."), std::string::npos);
}

TEST(PreprocessorLimits, HugeMacroArgument) {
    std::string argument;
    while (argument.size() < 100 * 1024) argument += "word ";
    PreprocessorRun run = preprocessText("#define f(x) <x>\nf(" + argument + ") after\n");
    EXPECT_EQ(run.errors, 1);
    EXPECT_EQ(run.messages, "\"f.c\", line 2: f: actuals too long\n");
    EXPECT_NE(run.output.find("<" + argument.substr(0, 2048) + "> after"), std::string::npos);

    // One argument that is a single 100 KB word is also one token too long.
    PreprocessorRun word = preprocessText("#define f(x) <x>\nf(" + std::string(100 * 1024, 'a') + ") after\n");
    EXPECT_EQ(word.errors, 2);
    EXPECT_EQ(word.messages, "\"f.c\", line 2: token too long\n\"f.c\", line 2: f: actuals too long\n");
    EXPECT_NE(word.output.find("> after\n"), std::string::npos);
}

TEST(PreprocessorLimits, HugeIdentifierIsTooLong) {
    std::string name(6000, 'n');
    PreprocessorRun run = preprocessText("x " + name + " y\nnext\n");
    EXPECT_EQ(run.errors, 1);
    EXPECT_EQ(run.messages, "\"f.c\", line 1: token too long\n");
    EXPECT_NE(run.output.find(" y\nnext\n"), std::string::npos);
}

TEST(PreprocessorLimits, LongLiteralsInTextAreCopiedWhole) {
    std::string literal = "\"" + std::string(10000, 's') + "\"";
    PreprocessorRun run = preprocessText("x = " + literal + ";\n");
    EXPECT_EQ(run.errors, 0);
    EXPECT_EQ(run.output, std::string(kFirstLine) + "x = " + literal + ";\n");
}

TEST(PreprocessorLimits, LongExpansionsUseSegmentsUntilTooMuchPushback) {
    std::string body;
    for (int i = 0; i < 30; ++i) body += " x";
    std::string argument(1500, 'a');
    PreprocessorRun fits = preprocessText("#define f(x)" + body + "\nf(" + argument + ") end\n");
    EXPECT_EQ(fits.errors, 0);
    EXPECT_EQ(fits.output.size(), std::string(kFirstLine).size() + 1 + 30 * 1500 + 29 + 5);

    std::string wide;
    for (int i = 0; i < 260; ++i) wide += " x";
    PreprocessorRun overflow = preprocessText("#define g(x)" + wide + "\ng(" + argument + ") end\nnext\n");
    EXPECT_EQ(overflow.errors, 1);
    EXPECT_EQ(overflow.messages, "\"f.c\", line 2: g: too much pushback\n");
    EXPECT_NE(overflow.output.find("next\n"), std::string::npos);
}

TEST(PreprocessorLimits, BinaryBytes) {
    std::string text("a\0b\xFE\x00\x00\x00\x05\xFF z\n\xFE\xFE\xFE\n#define B \"\xFE\0\"\nB\n\xFE", 33);
    PreprocessorRun run = preprocessText(text);
    EXPECT_GE(run.errors, 0);
    PreprocessorRun inMacro = preprocessText(std::string("#define f(a) a \"\xFE\" a\nf(\0\xFF)\n", 26));
    EXPECT_EQ(inMacro.errors, 0);
}

TEST(PreprocessorLimits, ArgumentMessagesAreNotCounted) {
    TempDir dir;
    dir.write("f.c", "X\n");
    dir.write("first.c", "X\n");
    std::vector<std::string> options{"-x", "first.c"};
    for (int i = 0; i < 41; ++i) options.push_back("-DX" + std::to_string(i));
    for (int i = 0; i < 97; ++i) options.push_back("-Idir" + std::to_string(i));
    PreprocessorRun run = preprocessIn(dir, "f.c", options);
    EXPECT_EQ(run.errors, 0);
    EXPECT_EQ(run.messages,
              "line 0: unknown flag -x\n"
              "line 0: too many -D options, ignoring -DX40\n"
              "line 0: excessive -I file (dir96) ignored\n"
              "line 0: extraneous name f.c\n");
}

TEST(PreprocessorLimits, FatalErrors) {
    TempDir dir;
    PreprocessorRun missing = preprocessIn(dir, "nothing.c");
    EXPECT_EQ(missing.errors, 1);
    EXPECT_EQ(missing.messages, "zivrat: No source file nothing.c\n");

    TempDir other;
    other.write("f.c", "x\n");
    other.makeDirectory("out.i");
    PreprocessorRun blocked = preprocessIn(other, "f.c");
    EXPECT_EQ(blocked.errors, 1);
    EXPECT_EQ(blocked.messages, "zivrat: Can't create out.i\n");
}

TEST(PreprocessorLimits, TooMuchDefining) {
    std::string text;
    std::string body(400, 'v');
    for (int i = 0; i < 1300; ++i) text += "#define M" + std::to_string(i) + " " + body + "\n";
    PreprocessorRun run = preprocessText(text + "M0\n");
    EXPECT_GE(run.errors, 1);
    EXPECT_NE(run.messages.find("too much defining\n"), std::string::npos);
    EXPECT_NE(run.output.find(body), std::string::npos);
}

// Texts of directive and macro fragments mixed with binary bytes: whatever
// they hold, each invocation ends with its error count.
TEST(PreprocessorLimits, RandomFragmentsNeverCrash) {
    const std::vector<std::string> pieces = {
        "#define ", "#undef ", "#if ", "#elif ", "#else\n", "#endif\n", "#ifdef ", "#include ",
        "#line ", "# 9 ", "f", "g", "x", "(", ")", ",", "\"", "'", "/*", "*/", "//", "\\\n",
        "##", "#", " ", "\n", "\n", "1", "0x", "defined ", "&&", "/", "%", "<", "\"f.c\"",
        std::string("\xFE"), std::string("\xFF"), std::string(1, '\0'), "\r\n", "f(", "g(x,"};
    unsigned state = 12345;
    for (int round = 0; round < 150; ++round) {
        std::string text = "#define f(a,b) a##b #a g(b)\n#define g(x) f(x,x)\n";
        for (int i = 0; i < 400; ++i) {
            state = state * 1103515245u + 12345u;
            text += pieces[(state >> 8) % pieces.size()];
        }
        PreprocessorRun run = preprocessText(text, round % 3 == 0 ? std::vector<std::string>{"-C"}
                                                                  : std::vector<std::string>{});
        EXPECT_GE(run.errors, 0);
    }
}

TEST(PreprocessorLimits, InvocationsShareNoState) {
    PreprocessorRun first = preprocessText("#define A 1\n#if 1\nA\n");
    EXPECT_EQ(first.errors, 1);
    PreprocessorRun second = preprocessText("A\n");
    EXPECT_EQ(second.errors, 0);
    EXPECT_EQ(second.output, std::string(kFirstLine) + "A\n");
}

}  // namespace
}  // namespace zivrat::test
