// Code text and written-on-purpose HTML as they reach the page: every
// character the source holds is shown, and HTML meant as HTML still works.

#include "html/class_pages.h"
#include "html/html_text.h"
#include "html/index_pages.h"
#include "html/page_fixture.h"

namespace zivrat::test {
namespace {

using CodeText = PageTest;

std::string descriptionText(const std::string& text, bool withHeading) {
    PageText page;
    writeDescription(page, text, withHeading);
    return page.text();
}

std::string exampleText(const std::string& text) {
    PageText page;
    writeExample(page, text);
    return page.text();
}

TEST_F(CodeText, AnglesAndAmpersandsThatStartEntities) {
    EXPECT_EQ(escapeCode("operator<<"), "operator&lt;&lt;");
    EXPECT_EQ(escapeCode("List<Map<int,char>>"), "List&lt;Map&lt;int,char&gt;&gt;");
    // A "&" before a blank, another "&" or the end is read as text already.
    EXPECT_EQ(escapeCode("Pt& o"), "Pt& o");
    EXPECT_EQ(escapeCode("const Pt & o"), "const Pt & o");
    EXPECT_EQ(escapeCode("a && b&"), "a && b&");
    EXPECT_EQ(escapeCode("Pt &o"), "Pt &amp;o");
    EXPECT_EQ(escapeCode("x&#1"), "x&amp;#1");
    // The spaced form of type links keeps its bytes and gains only the "&".
    EXPECT_EQ(escapeHtml("map<int, char>"), "map&lt int, char&gt ");
    EXPECT_EQ(escapeHtml("List<T&x>"), "List&lt T&amp;x&gt ");
    // Code written straight to a page follows the same rule.
    for (const char* text : {"a && b&", "Pt &o", "plain_name", "x<y>"}) {
        PageText page;
        writeCode(page, text);
        EXPECT_EQ(page.text(), escapeCode(text)) << text;
    }
}

TEST_F(CodeText, ProseKeepsKnownTagsAndEntities) {
    for (const char* kept :
         {"<b>bold</b> <I>it</I>", "<a href=\"x.html\">x</a>", "line<br>next<br/>last",
          "<h3>head</h3><hr><p>", "<table><tr><td>1</td></tr></table>", "<font size=2>s</font>",
          "&copy; &#169; &#xA9; &nbsp;", "&lt pages write this&gt ", "AT & T", "x && y"}) {
        EXPECT_EQ(escapeProse(kept), kept);
    }
}

TEST_F(CodeText, ProseShowsOtherAnglesAndAmpersandsAsText) {
    EXPECT_EQ(escapeProse("a Stack<int> of shapes"), "a Stack&lt;int> of shapes");
    EXPECT_EQ(escapeProse("#include <list.h>"), "#include &lt;list.h>");
    EXPECT_EQ(escapeProse("if a < b or <p.h> or </x> or x<b"),
              "if a &lt; b or &lt;p.h> or &lt;/x> or x&lt;b");
    EXPECT_EQ(escapeProse("AT&T &lte; &#define &#x; &amplify"),
              "AT&amp;T &lte; &amp;#define &amp;#x; &amp;amplify");
}

TEST_F(CodeText, DescriptionAndExampleBlocksEscapeButKeepTheirLayout) {
    EXPECT_EQ(descriptionText("a List<T>*\nof <b>shapes</b>", false),
              "<i>a List&lt;T>*<br>of <b>shapes</b></i>");
    // 79 characters as written: no heading and no paragraph, although the
    // escaped text is longer.
    std::string text = std::string(70, 'x') + "<<<<<<<<<";
    EXPECT_EQ(descriptionText(text, true), "<i>" + std::string(70, 'x') + "&lt;&lt;&lt;&lt;&lt;&lt;"
                                               "&lt;&lt;&lt;</i>");
    EXPECT_EQ(exampleText("#include <list.h>\nList<int> l;"),
              "<b>sample</b>\n<pre>#include &lt;list.h><br>List&lt;int> l;</pre>\n");
}

TEST_F(CodeText, ClassPageShowsEveryCharacterOfItsCode) {
    addClass("List");
    ClassTag& tag = addClass("Holder<T>");
    tag.isTemplate = true;
    DataTag sized = data("int", "N = (1<<4)");
    tag.templateParams = {data("class", "T"), sized};
    tag.baseNames = {"List<T>"};
    tag.baseAccess = {PublicBase};
    tag.data = {data("List", "<int> &items"), data("int", "io_ok")};
    tag.data[1].description = "did <an> IO error occur? AT&T";
    tag.functions = {function("bool", "operator <", {param("const Holder&", "o")}, Operator),
                     function("Holder&", "operator <<", {param("List", "<int> &where")}, Operator),
                     function("void", "a", {param("List", "<int>x = List<int>()")})};
    PageText page;
    writeClassTable(page, tag);
    writeDataSections(page, tag);
    writeFunctionSections(page, tag);
    std::string text = page.text();
    for (const char* expected :
         {"<font size=5><b>Template</b> &lt class T, int N = (1&lt;&lt;4) &gt </font>\n",
          "<font size=5>Holder&lt T&gt </font>\n",
          "<b> : public <A HREF=\"List.html\">List&lt T&gt </A> </b>",
          "<li><font size=4><A HREF=\"List.html\">List</A>  &lt;int&gt; &amp;items ;</font>\n",
          "<i>did &lt;an> IO error occur? AT&amp;T</i>",
          "<i>public</i> bool <b>operator &lt;</b> ( const Holder& o) ;",
          "<i>public</i> Holder& <b>operator &lt;&lt;</b> ( <A HREF=\"List.html\">List</A>  "
          "&lt;int&gt; &amp;where) ;",
          "void <b>a</b> ( <A HREF=\"List.html\">List</A>  &lt;int&gt;x = List&lt;int&gt;()) ;"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\nin\n" << text;
    }
}

TEST_F(CodeText, FilePageShowsTypedefsAndPrototypesWhole) {
    FileTag& file = addFile(dir.write("t.h", ""));
    file.typedefNames = {" List < int > IntList", "Pair<A&B>"};
    file.functions = {function("Out&", "operator<<", {param("Out", "&o"), param("const Pt &", "p")},
                               Operator)};
    writeFileListPages();
    std::string page = dir.read("t.h.html");
    EXPECT_NE(page.find("<li>typedef :  List &lt; int &gt; IntList\n<li>typedef : "
                        "Pair&lt;A&amp;B&gt;\n</ul>\n"),
              std::string::npos)
        << page;
    EXPECT_NE(page.find("<li><font size=4><i>public</i> Out& <b>operator&lt;&lt;</b> ( Out "
                        "&amp;o, const Pt & p) ;</font>\n"),
              std::string::npos)
        << page;
}

}  // namespace
}  // namespace zivrat::test
