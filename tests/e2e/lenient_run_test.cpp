// End-to-end runs of lenient mode: today's preprocessing, one index for the
// whole run, the summary and the result; and the default mode on the same
// inputs, which stays as it was.
#include <gtest/gtest.h>

#include "common/console_texts.h"
#include "common/run_zivrat.h"
#include "common/temp_dir.h"

namespace zivrat::test {
namespace {

// A library header in the style of today's: a system header with
// directives of other compilers in a skipped group, #include_next, a header
// of another package that is not on the include path, variadic macros,
// suffixed numbers and __has_include in #if.
void writeTodaysLibrary(const TempDir& dir) {
    dir.write("features.h",
              "#ifndef FEATURES_H\n#define FEATURES_H\n"
              "#if defined OLD_COMPILER\n# warning \"old compiler\"\n# error no\n"
              "#elif 0\n#frobnicate\n#endif\n#endif\n");
    dir.write("sys1/limits.h", "#include_next <limits.h>\n#define FIRST 1\n");
    dir.write("sys2/limits.h", "struct Limits { int max; };\n");
    dir.write("lib.h",
              "#include \"features.h\"\n#include <limits.h>\n#include <missing/other.h>\n"
              "#define DECL(name, ...) struct name { __VA_ARGS__; };\n"
              "#define LOG(fmt, args...) printf(fmt, args)\n"
              "#if 1UL && __has_include(<limits.h>) && !__has_include(\"nope.h\")\n"
              "DECL(Point, int x; int y)\n#endif\n"
              "class Widget { int w; };\n");
    dir.write("second.h", "struct Second { int s; };\n");
    dir.write("inc.h", "\n\nint ok;\nint @ bad;\n");
    dir.write("third.h", "#include \"inc.h\"\nclass Third { int t; };\n");
    dir.makeDirectory("out");
}

const std::vector<std::string> kLibraryRun = {"-Isys1", "-Isys2", "-lo", "out",
                                              "lib.h",  "second.h", "third.h"};

std::vector<std::string> lenient(std::vector<std::string> args) {
    args.insert(args.begin(), "--lenient");
    return args;
}

TEST(LenientRun, DocumentsEveryInputOfTodaysHeadersUnderOneIndex) {
    TempDir dir;
    writeTodaysLibrary(dir);
    RunResult run = runZivrat(dir.path(), lenient(kLibraryRun));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, kConsoleHead +
                           "lib.h\n"
                           "\"lib.h\", line 3: Warning: can't find include file missing/other.h\n"
                           "parsing ...\n"
                           "Struct Limits\nStruct Point\nClass Widget\n\n"
                           "generating ...\n"
                           "second.h\nparsing ...\nStruct Second\n\ngenerating ...\n"
                           "third.h\nparsing ...\n"
                           "\"./inc.h\", line 4: Invalid character @\n"
                           "Class Third\n\ngenerating ...\n"
                           "lib : misc\n"
                           "Summary : 3 inputs, 3 documented, 5 classes, 0 declarations skipped, "
                           "1 warnings\n"
                           "\n"
                           "Ok\n");
    // The library page and the file list hold every input's classes and
    // files, not only the last input's.
    const std::string library = dir.read("out/misc.html");
    for (const char* name : {"Limits", "Point", "Second", "Third", "Widget"}) {
        EXPECT_NE(library.find(std::string("<a href=\"") + name + ".html\">" + name + "</a>"),
                  std::string::npos)
            << name;
    }
    const std::string files = dir.read("out/hpp.html");
    for (const char* name : {"features.h", "inc.h", "lib.h", "limits.h", "limits.h(1)", "second.h",
                             "third.h"}) {
        EXPECT_NE(files.find(std::string("\">") + name + "</a>"), std::string::npos) << name;
        EXPECT_TRUE(dir.exists(std::string("out/") + name + ".html")) << name;
    }
    EXPECT_NE(dir.read("out/index.html").find("<a href=\"misc.html\">misc</a>"), std::string::npos);
    // Two headers of one base name have a page each, and the class links to
    // the page of its own.
    EXPECT_NE(dir.read("out/Limits.html").find("<a href=\"limits.h(1).html\">limits.h</a>"),
              std::string::npos);
}

TEST(LenientRun, TheDefaultModeStaysAsItWasOnTheSameInputs) {
    TempDir dir;
    writeTodaysLibrary(dir);
    RunResult run = runZivrat(dir.path(), kLibraryRun);
    EXPECT_EQ(run.out, kConsoleHead +
                           "lib.h\n"
                           "\"./features.h\", line 4: undefined control\n"
                           "\"./features.h\", line 7: undefined control\n"
                           "\"sys1/limits.h\", line 1: undefined control\n"
                           "\"lib.h\", line 3: Can't find include file missing/other.h\n"
                           "\"lib.h\", line 4: bad formal: .\n\"lib.h\", line 4: bad formal: .\n"
                           "\"lib.h\", line 4: bad formal: .\n"
                           "\"lib.h\", line 5: bad formal: .\n\"lib.h\", line 5: bad formal: .\n"
                           "\"lib.h\", line 5: bad formal: .\n"
                           "\"lib.h\", line 6: Illegal number 1UL\n"
                           "\"lib.h\", line 6: parse error\n"
                           "\"lib.h\", line 7: Warning: Too many of arguments in macro DECL.\n"
                           "second.h\nparsing ...\nStruct Second\n\ngenerating ...\nlib : misc\n"
                           "third.h\nparsing ...\n"
                           "4: Invalid character @\n"
                           "Class Third\n\ngenerating ...\nlib : misc\n"
                           "\n"
                           "Ok\n");
    EXPECT_EQ(run.status, 0);  // the last input's result
    // Each input rewrote the index pages: only the last input's class is left.
    const std::string library = dir.read("out/misc.html");
    EXPECT_NE(library.find("Third.html"), std::string::npos);
    EXPECT_EQ(library.find("Second.html"), std::string::npos);
}

// Parse messages count the lines of the file that the line markers name,
// not of the preprocessed text; lenient mode names the file too.
TEST(LenientRun, ParseMessagesPointAtTheSourceLineInBothModes) {
    TempDir dir;
    dir.write("inc.h", "// one\n// two\nint first;\nint second x;\n");
    dir.write("top.h", "\n#include \"inc.h\"\nint third y;\n");
    RunResult plain = runZivrat(dir.path(), {"-1", "top.h"});
    EXPECT_NE(plain.out.find("\n4: parse error"), std::string::npos) << plain.out;
    EXPECT_EQ(plain.out.find("\n7: parse error"), std::string::npos) << plain.out;
    RunResult lenientRun = runZivrat(dir.path(), {"--lenient", "-1", "top.h"});
    EXPECT_NE(lenientRun.out.find("\"./inc.h\", line 4: parse error"), std::string::npos)
        << lenientRun.out;
}

TEST(LenientRun, AnInputThatCannotBeReadMakesTheResultNonZero) {
    TempDir dir;
    dir.write("a.h", "struct A { int a; };\n");
    dir.write("bad.h", "#if 1\n");
    RunResult run = runZivrat(dir.path(), {"--lenient", "-1", "a.h", "missing.h", "bad.h"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("Summary : 3 inputs, 1 documented, 1 classes, 0 declarations skipped"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("\nOk\n"), std::string::npos) << "no Ok after a failed run";
}

TEST(LenientRun, TheSwitchComesFromTheCommandLineOrTheConfiguration) {
    TempDir dir;
    dir.write("a.h", "struct A { int a; };\n");
    const std::string summary = "Summary : 1 inputs, 1 documented, 1 classes";
    EXPECT_EQ(runZivrat(dir.path(), {"-1", "a.h"}).out.find(summary), std::string::npos);
    const std::string sample = readFile(sourceDirectory() + "/config/zivrat.ini");
    const std::size_t common = sample.find("[Common]\n") + 9;
    auto withKey = [&](const char* value) {
        return sample.substr(0, common) + "generator.lenient = \"" + value + "\"\n" +
               sample.substr(common);
    };
    dir.write("zivrat.ini", withKey("yes"));
    EXPECT_NE(runZivrat(dir.path(), {"-1", "a.h"}).out.find(summary), std::string::npos);
    dir.write("zivrat.ini", withKey("no"));
    RunResult off = runZivrat(dir.path(), {"-1", "a.h"});
    EXPECT_EQ(off.out.find(summary), std::string::npos);
    // A configuration without the key prints nothing about it.
    dir.write("zivrat.ini", sample);
    EXPECT_EQ(runZivrat(dir.path(), {"-1", "a.h"}).out.find("generator.lenient"), std::string::npos);
}

TEST(LenientRun, HelpAndVersionAnswerWithoutARun) {
    TempDir dir;
    dir.write("a.h", "struct A { int a; };\n");
    RunResult help = runZivrat(dir.path(), {"--help", "a.h"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.find("a.h"), std::string::npos);
    EXPECT_EQ(help.out.find(kConsoleHead + "usage : zivrat [flags] [files...]\n"), 0u);
    RunResult version = runZivrat(dir.path(), {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, kConsoleHead + kVersionText + "\n\nOk\n");
    // Other long options still go to the letter options, as before.
    EXPECT_NE(runZivrat(dir.path(), {"--other", "a.h"}).err.find("illegal option -- -"),
              std::string::npos);
}

TEST(LenientRun, UpperCaseHeaderNamesHaveFilePages) {
    TempDir dir;
    dir.write("Fl_Box.H", "class Fl_Box { int b; };\n");
    dir.makeDirectory("out");
    runZivrat(dir.path(), {"--lenient", "-lo", "out", "Fl_Box.H"});
    EXPECT_TRUE(dir.exists("out/Fl_Box.H.html"));
    EXPECT_NE(dir.read("out/hpp.html").find("Fl_Box.H.html"), std::string::npos);
}

}  // namespace
}  // namespace zivrat::test
