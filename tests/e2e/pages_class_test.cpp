// End-to-end class pages: one class page without frames, with pictures, as a
// frameset with its two frame pages, and with short page names.
#include <gtest/gtest.h>

#include "e2e/page_texts.h"

namespace zivrat::test {
namespace {

const char* const kWidgetSource =
    "/*{\n"
    "  AUTHORS: ann\n"
    "  VERSION: 1.5\n"
    "}*/\n"
    "/// The base of every widget.\n"
    "class Base {\n"
    "public:\n"
    "    virtual int size() const = 0;\n"
    "};\n"
    "\n"
    "/// A widget with a parent.\n"
    "class Widget : public Base {\n"
    "public:\n"
    "    Widget(int n);\n"
    "    ~Widget();\n"
    "    int size() const;\n"
    "    Widget& operator=(const Widget& other);\n"
    "    Base* parent;\n"
    "protected:\n"
    "    bool visible() const { return true; }\n"
    "private:\n"
    "    char* name;\n"
    "};\n";

// Documentation comments reach the parser with -C.
RunResult documentWidget(const TempDir& dir, std::vector<std::string> options) {
    writeSources(dir, {{"widget.h", kWidgetSource}});
    dir.makeDirectory("out");
    options.insert(options.end(), {"-C", "-lo", "out", "widget.h"});
    return runPages(dir, options);
}

const std::string kWidgetTableRows = classTableRows("widget.h", "ann", "1.5");

// Description and member sections of Widget; `target` is the target of
// links to other classes.
std::string widgetMembers(const std::string& target) {
    return "<i> A widget with a parent.</i>"
           "<font size=4><b>Public Data :</b></font><p>\n<ul>\n"
           "<li><font size=4><A HREF=\"Base.html\"" + target + ">Base*</A>  parent ;</font>\n"
           "</ul>\n"
           "<font size=4><b>Private Data :</b></font><p>\n<ul>\n"
           "<li><font size=4>char* name ;</font>\n"
           "</ul>\n"
           "<font size=4><b>Constructors :</b></font><p>\n<ul>\n"
           "<li><font size=4><i>public</i>  <b>Widget</b> ( int n) ;</font>\n"
           "</ul>\n"
           "<font size=4><b>Destructors :</b></font><p>\n<ul>\n"
           "<li><font size=4><i>public</i>  ~ <b>Widget</b> ( ) ;</font>\n"
           "</ul>\n"
           "<font size=4><b>Operators :</b></font><p>\n<ul>\n"
           "<li><font size=4><i>public</i> Widget& <b>operator =</b> ( const Widget & other) "
           ";</font>\n"
           "</ul>\n"
           "<font size=4><b>Public Function :</b></font><p>\n<ul>\n"
           "<li><font size=4>int <b>size</b> ( ) const ;</font>\n"
           "</ul>\n"
           "<font size=4><b>Protected Function :</b></font><p>\n<ul>\n"
           "<li><font size=4>inline bool <b>visible</b> ( ) const ;</font>\n"
           "</ul>\n" +
           kPageEnd;
}

TEST(PagesClass, PagesWithoutFrames) {
    TempDir dir;
    RunResult run = documentWidget(dir, {});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, kConsoleHead +
                           "widget.h\nparsing ...\nClass Base\nClass Widget\n\n"
                           "generating ...\nlib : misc\n\nOk\n");
    EXPECT_EQ(dir.read("out/Widget.html"),
              classPageHead("Class : Widget") + "</HEAD>\n<BODY>\n" +
                  "<table>\n"
                  "<th align=left><font size=5>Class</font><th>: <font size=5>Widget</font>\n"
                  "<th><font size=4><b> : public <A HREF=\"Base.html\">Base</A> </b></font>\n" +
                  kWidgetTableRows + "<hr><p>\n" + widgetMembers(""));
    // A pure function makes the class abstract.
    EXPECT_EQ(dir.read("out/Base.html"),
              classPageHead("Class : Base") + "</HEAD>\n<BODY>\n" +
                  "<table>\n"
                  "<th align=left><font size=5>Class abstract</font><th>: <font "
                  "size=5>Base</font>\n" +
                  kWidgetTableRows + "<hr><p>\n" +
                  "<i> The base of every widget.</i>"
                  "<font size=4><b>Public Function :</b></font><p>\n<ul>\n"
                  "<li><font size=4>virtual int <b>size</b> ( ) const = 0;</font>\n"
                  "</ul>\n" +
                  kPageEnd);
    EXPECT_FALSE(dir.exists("out/Widget_u.html"));
}

TEST(PagesClass, PicturesReplaceTheSourceAndFileWords) {
    TempDir dir;
    RunResult run = documentWidget(dir, {"-p"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(dir.read("out/Widget.html"),
              classPageHead("Class : Widget") + "</HEAD>\n<BODY>\n" +
                  "<table>\n"
                  "<th align=left><font size=5>Class</font><th>: <font size=5>Widget</font>\n"
                  "<th><font size=4><b> : public <A HREF=\"Base.html\">Base</A> </b></font>\n"
                  "<tr align=left><td><font size=4><b>Library</font></b><td><b>: <a "
                  "href=\"misc.html\">misc</a></b>\n"
                  "<td><a href=\"http://localhost/widget.h\"><img src=\"i1.jpg\"></a>"
                  "<td><a href=\"widget.h.html\"><img src=\"i2.jpg\"></a>\n"
                  "<tr align=left><td><font size=4><b>Author :</font></b><td><b>: ann</b>"
                  "<td><font size=4><b>Update :</font><font size=3>Thu Nov 20 04:26:40 "
                  "1997\n</font></b>"
                  "<tr align=left><td><font size=4><b>Version :</font></b><td><b>: 1.5</b>\n"
                  "</table>\n"
                  "<hr><p>\n" +
                  widgetMembers(""));
}

TEST(PagesClass, FramesetWithUpperAndLowerFrames) {
    TempDir dir;
    RunResult run = documentWidget(dir, {"-3", "-f"});
    EXPECT_EQ(run.status, 0);
    const std::string head = classPageHead("Class : Widget");
    EXPECT_EQ(dir.read("out/Widget.html"),
              head + "</HEAD>\n<FRAMESET ROWS=\"20%,80%\">\n"
                     "<FRAME SRC=\"Widget_u.html\">\n<FRAME SRC=\"Widget_d.html\">\n"
                     "</FRAMESET>\n</HTML>\n");
    // Every link of a frame replaces the whole frameset.
    EXPECT_EQ(dir.read("out/Widget_u.html"),
              head + "</HEAD>\n<BODY BGCOLOR=\"#E0E0A0\">\n" +
                  "<table>\n"
                  "<th align=left><font size=5>Class</font><th>: <font size=5>Widget</font>\n"
                  "<th><font size=4><b> : public <A HREF=\"Base.html\" "
                  "TARGET=\"_top\">Base</A> </b></font>\n" +
                  classTableRows("widget.h", "ann", "1.5", kTopTarget) +
                  "</BODY>\n</HTML>\n");
    EXPECT_EQ(dir.read("out/Widget_d.html"),
              head + "</HEAD>\n<BODY>\n" + widgetMembers(kTopTarget));
    // File and library pages link to the frameset without a target.
    EXPECT_NE(dir.read("out/misc.html")
                  .find("<li>Class : <a href=\"Base.html\">Base</a>"
                        "<li>Class : <a href=\"Widget.html\">Widget</a></ul>\n"),
              std::string::npos);
    EXPECT_TRUE(dir.exists("out/Base_u.html"));
    EXPECT_TRUE(dir.exists("out/Base_d.html"));
}

const char* const kShortSource =
    "class Part {\n"
    "};\n"
    "class Whole : public Part {\n"
    "public:\n"
    "    Part* first;\n"
    "};\n";

// The table of Whole, whose base Part has the page `partPage`.
std::string wholeTable(const std::string& partPage, const std::string& target) {
    return "<table>\n"
           "<th align=left><font size=5>Class</font><th>: <font size=5>Whole</font>\n"
           "<th><font size=4><b> : public <A HREF=\"" + partPage + "\"" + target +
           ">Part</A> </b></font>\n" +
           classTableRows("short.h", "nobody", "unknown", target);
}

std::string wholeMembers(const std::string& partPage, const std::string& target) {
    return "<font size=4><b>Public Data :</b></font><p>\n<ul>\n"
           "<li><font size=4><A HREF=\"" + partPage + "\"" + target +
           ">Part*</A>  first ;</font>\n</ul>\n" + kPageEnd;
}

TEST(PagesClass, ShortNamesCountOnAcrossInputs) {
    TempDir dir;
    writeSources(dir, {{"short.h", kShortSource}, {"more.h", "class Extra {\n};\n"}});
    dir.makeDirectory("out");
    RunResult run = runPages(dir, {"-S", "-lo", "out", "short.h", "more.h"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(dir.read("out/doc1.htm"),
              classPageHead("Class : Whole") + "</HEAD>\n<BODY>\n" + wholeTable("doc0.htm", "") +
                  "<hr><p>\n" + wholeMembers("doc0.htm", ""));
    EXPECT_NE(dir.read("out/doc0.htm").find("<TITLE>Class : Part</TITLE>"), std::string::npos);
    // The second input's class takes the next name; the list pages keep
    // their long names.
    EXPECT_NE(dir.read("out/doc2.htm").find("<TITLE>Class : Extra</TITLE>"), std::string::npos);
    EXPECT_NE(dir.read("out/misc.html").find("<li>Class : <a href=\"doc2.htm\">Extra</a></ul>\n"),
              std::string::npos);
    EXPECT_FALSE(dir.exists("out/Whole.html"));
}

TEST(PagesClass, ShortNamesWithFrames) {
    TempDir dir;
    writeSources(dir, {{"short.h", kShortSource}});
    dir.makeDirectory("out");
    RunResult run = runPages(dir, {"-S", "-3", "-f", "-lo", "out", "short.h"});
    EXPECT_EQ(run.status, 0);
    // Page names at registration, frame names when the frames are written.
    const std::string head = classPageHead("Class : Whole");
    EXPECT_EQ(dir.read("out/doc1.htm"),
              head + "</HEAD>\n<FRAMESET ROWS=\"20%,80%\">\n"
                     "<FRAME SRC=\"doc4.htm\">\n<FRAME SRC=\"doc5.htm\">\n"
                     "</FRAMESET>\n</HTML>\n");
    EXPECT_EQ(dir.read("out/doc4.htm"), head + "</HEAD>\n<BODY BGCOLOR=\"#E0E0A0\">\n" +
                                            wholeTable("doc0.htm", kTopTarget) +
                                            "</BODY>\n</HTML>\n");
    EXPECT_EQ(dir.read("out/doc5.htm"),
              head + "</HEAD>\n<BODY>\n" + wholeMembers("doc0.htm", kTopTarget));
    EXPECT_NE(dir.read("out/doc0.htm").find("<FRAME SRC=\"doc2.htm\">\n<FRAME SRC=\"doc3.htm\">\n"),
              std::string::npos);
    EXPECT_NE(dir.read("out/short.h.html")
                  .find("<li>Class : <a href=\"doc0.htm\">Part</a>"
                        "<li>Class : <a href=\"doc1.htm\">Whole</a></ul>\n"),
              std::string::npos);
}

}  // namespace
}  // namespace zivrat::test
