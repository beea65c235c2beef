// End-to-end runs of the declaration parser (-P: the input is read as it is).
#include <gtest/gtest.h>

#include <string>

#include "common/console_texts.h"
#include "common/run_zivrat.h"
#include "common/temp_dir.h"

namespace zivrat::test {
namespace {

RunResult parseFiles(const TempDir& dir, const std::vector<std::string>& files,
                     const std::map<std::string, std::string>& environment = {}) {
    std::vector<std::string> args = {"-P", "-1"};
    args.insert(args.end(), files.begin(), files.end());
    return runZivrat(dir.path(), args, environment);
}

TEST(ParserRun, ClassesAreListedAndTheRunEndsOk) {
    TempDir dir;
    dir.write("shape.h",
              "/*{ LIBNAME: shapes AUTHORS: ann VERSION: 1.0 }*/\n"
              "class Shape { public: virtual double area() const = 0; };\n"
              "struct Point { int x, y; };\n"
              "union Value { int i; float f; };\n"
              "typedef struct { int r; } Radius;\n");
    RunResult run = parseFiles(dir, {"shape.h"});
    EXPECT_EQ(run.out, kConsoleHead +
                           "shape.h\nparsing ...\nlibname : shapes\n"
                           "Class Shape\nStruct Point\nUnion Value\n\n\nOk\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
}

TEST(ParserRun, ParseErrorEndsTheInputNotTheRun) {
    TempDir dir;
    dir.write("bad.h", "class A {};\n}\nclass B {};\n");
    dir.write("good.h", "class C {};\n");
    RunResult run = parseFiles(dir, {"bad.h", "bad.h", "good.h"});
    const std::string error =
        "2: parse error, expecting `OPERATOR' or `IDENTIFIER' or `TYPEDEFname' or `'(''\n";
    // Each input counts its lines from 1.
    EXPECT_EQ(run.out, kConsoleHead + "bad.h\nparsing ...\nClass A\n" + error +
                           "bad.h\nparsing ...\nClass A\n" + error +
                           "good.h\nparsing ...\nClass C\n\n\nOk\n");
    EXPECT_EQ(run.status, 0);
}

TEST(ParserRun, LastInputsResultIsTheStatus) {
    TempDir dir;
    dir.write("bad.h", "int x\n");
    RunResult run = parseFiles(dir, {"bad.h"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out.find("Ok"), std::string::npos);
}

TEST(ParserRun, TraceFromTheEnvironment) {
    TempDir dir;
    dir.write("a.h", "class A;\n");
    RunResult run = parseFiles(dir, {"a.h"}, {{"YYDEBUG", "1"}});
    EXPECT_NE(run.out.find("parsing ...\nStarting parse\nEntering state 0\n"), std::string::npos);
    EXPECT_NE(run.out.find("Reading a token: Next token is 258 (CLASS)\n"), std::string::npos);
    EXPECT_EQ(run.status, 0);
}

TEST(ParserRun, BadInputNeverEndsTheProgram) {
    TempDir dir;
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 7919) % 256);
    dir.write("garbage.h", garbage);
    dir.write("comment.h", "class A { int x; /* never closed\n");
    dir.write("string.h", "char* s = \"never closed\nint y;\n");
    dir.write("doc.h", "/*{ COMMENT{ never closed\n");
    dir.write("braces.h", "class A { void f() { { { }\n");
    std::string nested;
    for (int i = 0; i < 2000; ++i) nested += "struct S" + std::to_string(i) + " {\n";
    dir.write("nested.h", nested);
    dir.write("longline.h", "char* s = \"" + std::string(1 << 20, 'x') + "\";\nclass After {};\n");
    RunResult run = parseFiles(dir, {"garbage.h", "comment.h", "string.h", "doc.h", "braces.h",
                                     "nested.h", "longline.h"});
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("\n2: End of File during comment !!\n"), std::string::npos);
    EXPECT_NE(run.out.find("string.h\nparsing ...\n1: Invalid character \"\n"), std::string::npos);
    EXPECT_NE(run.out.find("\n2: End of File unexpected\n"), std::string::npos);
    EXPECT_NE(run.out.find("\n1429: parser stack overflow\n"), std::string::npos);
    EXPECT_NE(run.out.find("longline.h\nparsing ...\nClass After\n\n\nOk\n"), std::string::npos);
    EXPECT_EQ(run.status, 0);
}

}  // namespace
}  // namespace zivrat::test
