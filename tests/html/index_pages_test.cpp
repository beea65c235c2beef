// The index, file-list, file and library pages on hand-built models, and
// the generation driver's order, names and switches.
#include <filesystem>
#include <set>

#include "ground/banner.h"
#include "html/generate.h"
#include "html/index_pages.h"
#include "html/page_fixture.h"

namespace zivrat::test {
namespace {

using IndexPages = PageTest;

const char* const kPageEnd = "</BODY>\n</HTML>\n";

std::set<std::string> filesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_regular_file()) names.insert(entry.path().filename().string());
    }
    return names;
}

TEST_F(IndexPages, MainIndexWithLibrariesFilesAndApplet) {
    runSettings().groupware = true;
    addFile("shape.h");
    TextSet libraries;
    libraries.add("misc");
    testing::internal::CaptureStdout();
    writeIndexPage(libraries);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "lib : misc\n");
    EXPECT_EQ(dir.read("index.html"),
              "<HTML>\n<HEAD>\n<title>My doc</title>\n</HEAD>\n<BODY>\n<font size=5><b>Main Index : "
              "</font>index</b><p>\n<font size=4><b>Authors : </font>nobody</b><p>\n<font "
              "size=4><b>Version : </font>unknown</b><p>\n<p>\n<hr>\n"
              "<h4>list of libraries :</h4>\n<ul type=square>\n"
              "<li>Library : <a href=\"misc.html\">misc</a>\n</ul>\n"
              "<h4>List of files :</h4>\n<ul type=square>\n"
              "<li>File :<a href=\"hpp.html\">h, hpp, hxx</a>\n</ul>\n"
              "<applet code=Kwt.class width=60 height=30></applet>\n" +
                  footer() + kPageEnd);
}

TEST_F(IndexPages, MainIndexWithoutFilesAndWithCommentTexts) {
    docModel().commentTexts = {true, "ann,bob", true, "2.5"};
    configuration().words.generatorFirstpage = "start.html";
    addFile("main.cpp");
    testing::internal::CaptureStdout();
    writeIndexPage(TextSet());
    testing::internal::GetCapturedStdout();
    std::string page = dir.read("start.html");
    EXPECT_NE(page.find("Authors : </font>ann,bob</b>"), std::string::npos);
    EXPECT_NE(page.find("Version : </font>2.5</b>"), std::string::npos);
    EXPECT_NE(page.find("<ul type=square>\n<li>File :<a href=\"cpp.html\">c, cpp, cxx</a>\n</ul>\n"),
              std::string::npos);
    docModel().clear();
    writeIndexPage(TextSet());
    EXPECT_EQ(dir.read("start.html").find("<h4>List of files"), std::string::npos);
}

TEST_F(IndexPages, HeaderListHasOneListPerKind) {
    addFile("a.hpp");
    addFile("b.h");
    writeFileListPages();
    EXPECT_EQ(dir.read("hpp.html"),
              "<HTML>\n<HEAD>\n<title>Files hpp (h,hxx) library</title>\n</HEAD>\n<BODY>\n<font "
              "size=5><b>Files library : </font> hpp(h,hxx)</b><p>\n2 Files\n<p>\n<hr>\n"
              "<ul type=square>\n<li>File : <a href=\"a.hpp.html\">a.hpp</a></ul>\n"
              "<ul type=square>\n<li>File : <a href=\"b.h.html\">b.h</a></ul>\n" +
                  footer() + kPageEnd);
    EXPECT_EQ(dir.read("cpp.html"),
              "<HTML>\n<HEAD>\n<title>Files cpp (c,cxx) library</title>\n</HEAD>\n<BODY>\n<font "
              "size=5><b>Files library : </font> cpp(c,cxx)</b><p>\n<font size=4><b>Authors : "
              "</font>nobody</b><p>\n<font size=4><b>Version : </font>unknown</b><p>\n0 "
              "Files\n<p>\n<hr>\n<ul type=square>\n</ul>\n<ul type=square>\n</ul>\n" +
                  footer() + kPageEnd);
    EXPECT_TRUE(dir.exists("a.hpp.html"));
    EXPECT_TRUE(dir.exists("b.h.html"));
}

TEST_F(IndexPages, FilePageWithDocClassesTypedefsAndFunctions) {
    std::string path = dir.write("b.h", "");
    dir.touch("b.h", kPageEpoch);
    dir.write("doc/b.h.doc", "AUTHORS{ann}VERSION{2}COMMENT{About b.}");
    FileTag& file = addFile(path);
    addClass("Stack<T>", Class, path);
    addClass(kAnonymousClassName, Struct, path);
    addClass("Point", Struct, path);
    file.typedefNames = {"Count"};
    file.functions = {function("int", "main", {param("int", "argc"), param("Point&", "p")})};
    testing::internal::CaptureStdout();
    writeFileListPages();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "!");
    EXPECT_EQ(dir.read("b.h.html"),
              "<HTML>\n<HEAD>\n<title>File :b.h</title>\n</HEAD>\n<BODY>\n<font size=5><b>File : "
              "</font><a href=\"http://localhost/" +
                  path +
                  "\">b.h</a></b><p>\n<font size=4><b>Author : </font><font "
                  "size=3>ann</font></b><p>\n<font size=4><b>Version : </font><font "
                  "size=3>2</font></b><p>\n<font size=4><b>Update : </font><font size=3>" +
                  kPageDate +
                  "</font></b><p>\n<p>\n<hr><p>\n<i>About b.</i>"
                  "<h3><i>Classes definition :</i></h3>\n<ul type=square>\n"
                  "<li>Struct : <a href=\"Point.html\">Point</a>"
                  "<li>Class : <a href=\"Stack_T_.html\">Stack&lt T&gt </a></ul>\n"
                  "<h3><i>Typedef definition :</i></h3>\n<ul type=square>\n<li>typedef : "
                  "Count\n</ul>\n"
                  "<h3><i>Function prototype definition :</i></h3>\n<ul type=square>\n"
                  "<li><font size=4>int <b>main</b> ( int argc, <A HREF=\"Point.html\">Point&</A>  "
                  "p) ;</font>\n</ul>\n" +
                  footer() + kPageEnd);
}

TEST_F(IndexPages, FilePageWithoutClassesStillHasTheHeading) {
    addFile("empty.h");
    runSettings().verboseLevel = 0;
    testing::internal::CaptureStdout();
    writeFileListPages();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Doc file for File empty.h in Dir " + runSettings().docPath + " not found\n");
    std::string page = dir.read("empty.h.html");
    EXPECT_NE(page.find("<hr><p>\n<h3><i>Classes definition :</i></h3>\n<ul type=square>\n</ul>\n" +
                        footer()),
              std::string::npos);
}

TEST_F(IndexPages, DuplicateBaseNamesGetTheirOwnPages) {
    addFile("one/x.h");
    addFile("two/x.h");
    writeFileListPages();
    EXPECT_TRUE(dir.exists("x.h.html"));
    EXPECT_TRUE(dir.exists("x.h(1).html"));
    EXPECT_NE(dir.read("hpp.html").find("<li>File : <a href=\"x.h.html\">x.h</a>"
                                        "<li>File : <a href=\"x.h(1).html\">x.h(1)</a></ul>\n"),
              std::string::npos);
}

TEST_F(IndexPages, LibraryPagesWithAndWithoutDoc) {
    configuration().libraryTypeList.push_back({Pattern("^Geo"), "geo"});
    addClass("GeoPoint");
    addClass("Zeta");
    addClass("Alpha", Struct);
    addClass(kAnonymousClassName);
    addClass("Stack<T>");
    addClass("GeoLine");
    dir.write("doc/geo.doc", "COMMENT{Shapes.}\nAUTHORS{zed}\nVERSION{3.1}\nEXAMPLE{unused}");
    TextSet libraries;
    libraries.add("misc");
    libraries.add("geo");
    testing::internal::CaptureStdout();
    writeLibraryPages(libraries);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "*");
    const std::string headLine = "<HTML>\n<HEAD>\n<!--" + decodedHeadLine() + "!-->\n";
    EXPECT_EQ(dir.read("misc.html"),
              headLine +
                  "<title>librarymisc</title>\n</HEAD>\n<BODY>\n<font size=5><b>library : "
                  "</font>misc</b><p>\n<font size=4><b>Authors : </font></b><p>\n<font "
                  "size=4><b>Version : </font></b><p>\n<p>\n<hr>\n<ul type=square>\n"
                  "<li>Struct : <a href=\"Alpha.html\">Alpha</a>"
                  "<li>Class : <a href=\"Stack_T_.html\">Stack&lt T&gt </a>"
                  "<li>Class : <a href=\"Zeta.html\">Zeta</a></ul>\n3 Classes\n" +
                  footer() + kPageEnd);
    EXPECT_EQ(dir.read("geo.html"),
              headLine +
                  "<title>librarygeo</title>\n</HEAD>\n<BODY>\n<font size=5><b>library : "
                  "</font>geo</b><p>\n<font size=4><b>Authors : </font>zed</b><p>\n<font "
                  "size=4><b>Version : </font>3.1</b><p>\n<p>\n<hr>\n<i>Shapes.</i>"
                  "<ul type=square>\n<li>Class : <a href=\"GeoLine.html\">GeoLine</a>"
                  "<li>Class : <a href=\"GeoPoint.html\">GeoPoint</a></ul>\n2 Classes\n" +
                  footer() + kPageEnd);
}

TEST_F(IndexPages, GenerateWritesEveryPageInOrder) {
    addFile("shape.h");
    addClass("Shape", Class, "shape.h");
    addClass("Circle", Class, "shape.h");
    dir.write("doc/Shape.doc", "COMMENT{Merged before the page.}");
    testing::internal::CaptureStdout();
    generateOutput();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "generating ...\nlib : misc\n.");
    EXPECT_EQ(filesIn(dir.path()), (std::set<std::string>{"index.html", "hpp.html", "cpp.html",
                                                          "shape.h.html", "misc.html", "Shape.html",
                                                          "Circle.html"}));
    EXPECT_NE(dir.read("Shape.html").find("<i>Merged before the page.</i>"), std::string::npos);
    EXPECT_NE(dir.read("misc.html").find("2 Classes"), std::string::npos);
}

TEST_F(IndexPages, GenerateWithFramesAndShortNames) {
    runSettings().htmlVersion = 3;
    runSettings().frames = true;
    runSettings().shortNames = true;
    addClass("A");
    addClass("B");
    testing::internal::CaptureStdout();
    generateOutput();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(filesIn(dir.path()),
              (std::set<std::string>{"index.html", "hpp.html", "cpp.html", "misc.html", "doc0.htm",
                                     "doc1.htm", "doc2.htm", "doc3.htm", "doc4.htm", "doc5.htm"}));
    EXPECT_NE(dir.read("doc0.htm").find("<FRAME SRC=\"doc2.htm\">\n<FRAME SRC=\"doc3.htm\">\n"),
              std::string::npos);
    EXPECT_NE(dir.read("doc1.htm").find("<FRAME SRC=\"doc4.htm\">\n<FRAME SRC=\"doc5.htm\">\n"),
              std::string::npos);
    EXPECT_NE(dir.read("doc2.htm").find("<TITLE>Class : A</TITLE>"), std::string::npos);
    EXPECT_NE(dir.read("doc5.htm").find("<TITLE>Class : B</TITLE>"), std::string::npos);
    EXPECT_EQ(docModel().shortNameCounter, 6u);
}

TEST_F(IndexPages, NoPagesWithVersionOneButSkeletons) {
    runSettings().htmlVersion = -1;
    runSettings().docSkeleton = true;
    addClass("A");
    testing::internal::CaptureStdout();
    generateOutput();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "doc :\n");
    EXPECT_EQ(filesIn(dir.path()), std::set<std::string>{});
    EXPECT_TRUE(dir.exists("doc/A.doc"));
}

TEST_F(IndexPages, AnonymousClassAloneGivesOnlyIndexPages) {
    addClass(kAnonymousClassName);
    testing::internal::CaptureStdout();
    generateOutput();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "generating ...\n");
    EXPECT_EQ(filesIn(dir.path()), (std::set<std::string>{"index.html", "hpp.html", "cpp.html"}));
}

}  // namespace
}  // namespace zivrat::test
