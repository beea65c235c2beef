// End-to-end runs that write pages: whole pages compared byte for byte,
// with reproducible dates.
#include <gtest/gtest.h>

#include "e2e/page_texts.h"

namespace zivrat::test {
namespace {

TEST(PagesRun, EmptyInputWritesTheIndexAndBothFileLists) {
    TempDir dir;
    dir.write("empty.h", "");
    dir.makeDirectory("out");
    RunResult run = runZivrat(dir.path(), {"-P", "-lo", "out", "empty.h"},
                              reproducibleEnvironment());
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("parsing ...\n\ngenerating ...\n"), std::string::npos);
    EXPECT_EQ(dir.read("out/index.html"),
              std::string("<HTML>\n<HEAD>\n<title>My doc</title>\n</HEAD>\n<BODY>\n<font "
                          "size=5><b>Main Index : </font>index</b><p>\n<font size=4><b>Authors : "
                          "</font>nobody</b><p>\n<font size=4><b>Version : "
                          "</font>unknown</b><p>\n<p>\n<hr>\n<h4>list of libraries :</h4>\n<ul "
                          "type=square>\n</ul>\n") +
                  kPageEnd);
    EXPECT_EQ(dir.read("out/hpp.html"),
              std::string("<HTML>\n<HEAD>\n<title>Files hpp (h,hxx) library</title>\n</HEAD>\n"
                          "<BODY>\n<font size=5><b>Files library : </font> hpp(h,hxx)</b><p>\n"
                          "0 Files\n<p>\n<hr>\n<ul type=square>\n</ul>\n<ul type=square>\n</ul>\n") +
                  kPageEnd);
    EXPECT_TRUE(dir.exists("out/cpp.html"));
}

TEST(PagesRun, VersionOneWritesNoPage) {
    TempDir dir;
    dir.write("empty.h", "");
    RunResult run = runZivrat(dir.path(), {"-1", "-P", "empty.h"}, reproducibleEnvironment());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.find("generating ..."), std::string::npos);
    EXPECT_FALSE(dir.exists("index.html"));
}

}  // namespace
}  // namespace zivrat::test
