// End-to-end index, file-list, file and library pages of one input that
// includes a header of each kind, with a configured library and companion
// files for a source file and a library.
#include <gtest/gtest.h>

#include "common/console_texts.h"
#include "common/run_zivrat.h"
#include "e2e/page_texts.h"

namespace zivrat::test {
namespace {

// The sample configuration, with classes whose name starts with "Geo" in
// the library "geometry".
void writeConfiguration(const TempDir& dir) {
    std::string text = readFile(sourceDirectory() + "/config/zivrat.ini");
    auto replace = [&text](const std::string& from, const std::string& to) {
        std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
    };
    replace("generator.lib.type = \"\"", "generator.lib.type = \"^Geo\"");
    replace("generator.lib.name = \"\"", "generator.lib.name = \"geometry\"");
    dir.write("zivrat.ini", text);
}

class PagesIndex : public ::testing::Test {
protected:
    void SetUp() override {
        writeConfiguration(dir);
        writeSources(dir, {{"main.cpp",
                            "#include \"shapes.hpp\"\n"
                            "#include \"point.h\"\n"
                            "\n"
                            "int drawAll(Shape* first, int count);\n"},
                           {"shapes.hpp",
                            "/*{\n"
                            "  AUTHORS: ann, bob\n"
                            "  VERSION: 2.5\n"
                            "}*/\n"
                            "class Shape { public: virtual double area() const = 0; };\n"
                            "class GeoCircle : public Shape { public: double area() const; };\n"
                            "typedef Shape* ShapePtr;\n"},
                           {"point.h",
                            "struct Point { int x; int y; };\n"
                            "typedef unsigned long Colour;\n"
                            "Point origin();\n"}});
        dir.write("doc/point.h.doc", "AUTHORS{carol}\nVERSION{3.0}\nCOMMENT{Plain points.}\n");
        dir.write("doc/geometry.doc",
                  "AUTHORS{dan}\nVERSION{1.1}\nCOMMENT{Circles and\nother round things.}\n");
        dir.makeDirectory("out");
        run = runPages(dir, {"-C", "-lo", "out", "-ld", "doc", "main.cpp"});
    }

    TempDir dir;
    RunResult run;
};

TEST_F(PagesIndex, ConsoleShowsLibrariesAndTheCompanionFilesRead) {
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    // "!" for the file companion, "*" for the library companion.
    EXPECT_EQ(run.out,
              kBannerLine + "main.cpp\nparsing ...\n"
              "Class Shape\nClass GeoCircle\nStruct Point\n\n"
              "generating ...\nlib : misc\nlib : geometry\n!*\nOk\n");
}

TEST_F(PagesIndex, MainIndexListsLibrariesAndFileLists) {
    // The libraries come in the library set's own order (not sorted).
    EXPECT_EQ(dir.read("out/index.html"),
              "<HTML>\n<HEAD>\n<title>My doc</title>\n</HEAD>\n<BODY>\n"
              "<font size=5><b>Main Index : </font>index</b><p>\n"
              "<font size=4><b>Authors : </font>ann,bob</b><p>\n"
              "<font size=4><b>Version : </font>2.5</b><p>\n"
              "<p>\n<hr>\n"
              "<h4>list of libraries :</h4>\n<ul type=square>\n"
              "<li>Library : <a href=\"misc.html\">misc</a>\n"
              "<li>Library : <a href=\"geometry.html\">geometry</a>\n"
              "</ul>\n"
              "<h4>List of files :</h4>\n<ul type=square>\n"
              "<li>File :<a href=\"hpp.html\">h, hpp, hxx</a>\n"
              "<li>File :<a href=\"cpp.html\">c, cpp, cxx</a>\n"
              "</ul>\n" +
                  kPageEnd);
}

TEST_F(PagesIndex, FileListsHaveOneListPerFileKind) {
    EXPECT_EQ(dir.read("out/hpp.html"),
              "<HTML>\n<HEAD>\n<title>Files hpp (h,hxx) library</title>\n</HEAD>\n<BODY>\n"
              "<font size=5><b>Files library : </font> hpp(h,hxx)</b><p>\n"
              "2 Files\n<p>\n<hr>\n"
              "<ul type=square>\n<li>File : <a href=\"shapes.hpp.html\">shapes.hpp</a></ul>\n"
              "<ul type=square>\n<li>File : <a href=\"point.h.html\">point.h</a></ul>\n" +
                  kPageEnd);
    EXPECT_EQ(dir.read("out/cpp.html"),
              "<HTML>\n<HEAD>\n<title>Files cpp (c,cxx) library</title>\n</HEAD>\n<BODY>\n"
              "<font size=5><b>Files library : </font> cpp(c,cxx)</b><p>\n"
              "<font size=4><b>Authors : </font>ann,bob</b><p>\n"
              "<font size=4><b>Version : </font>2.5</b><p>\n"
              "1 Files\n<p>\n<hr>\n"
              "<ul type=square>\n<li>File : <a href=\"main.cpp.html\">main.cpp</a></ul>\n"
              "<ul type=square>\n</ul>\n" +
                  kPageEnd);
}

// The head of a file page up to its rule; included files are named by the
// path the preprocessor opened them under.
std::string filePageHead(const std::string& name, const std::string& path,
                         const std::string& authors, const std::string& version) {
    return "<HTML>\n<HEAD>\n<title>File :" + name + "</title>\n</HEAD>\n<BODY>\n" +
           "<font size=5><b>File : </font><a href=\"http://localhost/" + path + "\">" + name +
           "</a></b><p>\n" +
           "<font size=4><b>Author : </font><font size=3>" + authors + "</font></b><p>\n" +
           "<font size=4><b>Version : </font><font size=3>" + version + "</font></b><p>\n" +
           "<font size=4><b>Update : </font><font size=3>" + kSourceDate + "</font></b><p>\n" +
           "<p>\n<hr><p>\n";
}

TEST_F(PagesIndex, FilePagesShowClassesTypedefsAndPrototypes) {
    EXPECT_EQ(dir.read("out/point.h.html"),
              filePageHead("point.h", "./point.h", "carol", "3.0") +
                  "<i>Plain points.</i>"
                  "<h3><i>Classes definition :</i></h3>\n"
                  "<ul type=square>\n<li>Struct : <a href=\"Point.html\">Point</a></ul>\n"
                  "<h3><i>Typedef definition :</i></h3>\n"
                  "<ul type=square>\n<li>typedef : Colour\n</ul>\n"
                  "<h3><i>Function prototype definition :</i></h3>\n"
                  "<ul type=square>\n"
                  "<li><font size=4><A HREF=\"Point.html\">Point</A>  <b>origin</b> ( ) "
                  ";</font>\n"
                  "</ul>\n" +
                  kPageEnd);
    // A pointer typedef keeps the whole text built for it.
    EXPECT_EQ(dir.read("out/shapes.hpp.html"),
              filePageHead("shapes.hpp", "./shapes.hpp", "", "") +
                  "<h3><i>Classes definition :</i></h3>\n"
                  "<ul type=square>\n"
                  "<li>Class : <a href=\"GeoCircle.html\">GeoCircle</a>"
                  "<li>Class : <a href=\"Shape.html\">Shape</a></ul>\n"
                  "<h3><i>Typedef definition :</i></h3>\n"
                  "<ul type=square>\n<li>typedef :  Shape  * ShapePtr\n</ul>\n" +
                  kPageEnd);
    // The class heading stands even when the file declares no class.
    EXPECT_EQ(dir.read("out/main.cpp.html"),
              filePageHead("main.cpp", "main.cpp", "", "") +
                  "<h3><i>Classes definition :</i></h3>\n"
                  "<ul type=square>\n</ul>\n"
                  "<h3><i>Function prototype definition :</i></h3>\n"
                  "<ul type=square>\n"
                  "<li><font size=4>int <b>drawAll</b> ( <A HREF=\"Shape.html\">Shape *</A>  "
                  "first, int count) ;</font>\n"
                  "</ul>\n" +
                  kPageEnd);
}

std::string libraryPageHead(const std::string& name, const std::string& authors,
                            const std::string& version) {
    return "<HTML>\n<HEAD>\n"
           "<!--" + kPagesWrittenBy + "!-->\n<title>library" + name + "</title>\n</HEAD>\n<BODY>\n" +
           "<font size=5><b>library : </font>" + name + "</b><p>\n" +
           "<font size=4><b>Authors : </font>" + authors + "</b><p>\n" +
           "<font size=4><b>Version : </font>" + version + "</b><p>\n" + "<p>\n<hr>\n";
}

TEST_F(PagesIndex, LibraryPagesListTheirClasses) {
    EXPECT_EQ(dir.read("out/geometry.html"),
              libraryPageHead("geometry", "dan", "1.1") +
                  "<font size=4><b>Description :</b></font>\n"
                  "<i>Circles and<br>other round things.</i>"
                  "<ul type=square>\n<li>Class : <a href=\"GeoCircle.html\">GeoCircle</a></ul>\n"
                  "1 Classes\n" +
                  kPageEnd);
    // Without a companion file the texts stay empty, not the defaults.
    EXPECT_EQ(dir.read("out/misc.html"),
              libraryPageHead("misc", "", "") +
                  "<ul type=square>\n"
                  "<li>Struct : <a href=\"Point.html\">Point</a>"
                  "<li>Class : <a href=\"Shape.html\">Shape</a></ul>\n"
                  "2 Classes\n" +
                  kPageEnd);
    EXPECT_NE(dir.read("out/GeoCircle.html")
                  .find("<td><b>: <a href=\"geometry.html\">geometry</a></b>\n"),
              std::string::npos);
}

TEST(PagesFiles, HeadersOfOneNameInTwoFoldersHaveTwoPages) {
    TempDir dir;
    writeSources(dir, {{"main.h", "#include \"a/list.h\"\n#include \"b/list.h\"\n"},
                       {"a/list.h", "class First {\n};\n"},
                       {"b/list.h", "class Second {\n};\n"}});
    dir.makeDirectory("out");
    RunResult run = runPages(dir, {"-lo", "out", "main.h"});
    EXPECT_EQ(run.status, 0);
    // The file met first is the one marked.
    EXPECT_NE(dir.read("out/hpp.html")
                  .find("<ul type=square>\n"
                        "<li>File : <a href=\"list.h.html\">list.h</a>"
                        "<li>File : <a href=\"list.h(1).html\">list.h(1)</a>"
                        "<li>File : <a href=\"main.h.html\">main.h</a></ul>\n"),
              std::string::npos);
    EXPECT_NE(dir.read("out/list.h(1).html").find("<a href=\"First.html\">First</a>"),
              std::string::npos);
    EXPECT_NE(dir.read("out/list.h.html").find("<a href=\"Second.html\">Second</a>"),
              std::string::npos);
    // A class page's file link leads to the page of the file it came from.
    EXPECT_NE(dir.read("out/First.html").find("<a href=\"list.h(1).html\">list.h</a>"),
              std::string::npos);
    EXPECT_NE(dir.read("out/Second.html").find("<a href=\"list.h.html\">list.h</a>"),
              std::string::npos);
}

}  // namespace
}  // namespace zivrat::test
