// The shared page pieces: escaping, words, links, index lists, text blocks,
// footer, file times and page names.
#include <algorithm>
#include <random>

#include "html/html_text.h"
#include "html/page_fixture.h"

namespace zivrat::test {
namespace {

using HtmlText = PageTest;

std::string linkText(const ClassTag* current, const std::string& type,
                     const std::string& display) {
    PageText page;
    writeTypeLink(page, current, type, display);
    return page.text();
}

std::string listText(const IndexList& list) {
    PageText page;
    writeIndexList(list, page, "square");
    return page.text();
}

IndexList numberedList(int count) {
    IndexList list(2);
    for (int i = 0; i < count; ++i) {
        std::string key = "k" + std::string(i < 10 ? "0" : "") + std::to_string(i);
        list.add(key, key);
    }
    return list;
}

// The number of entries in each column of a table list.
std::vector<int> columnSizes(const std::string& text) {
    std::vector<int> sizes(1, 0);
    for (std::size_t at = 0; (at = text.find('<', at)) != std::string::npos; ++at) {
        if (text.compare(at, 4, "<li>") == 0) ++sizes.back();
        if (text.compare(at, 18, "<td valign=top>\n<u") == 0 && at > 30) sizes.push_back(0);
    }
    return sizes;
}

TEST_F(HtmlText, EscapesOnlyAngleBrackets) {
    EXPECT_EQ(escapeHtml("map<int, char>"), "map&lt int, char&gt ");
    EXPECT_EQ(escapeHtml("a & \"b\" 'c'"), "a & \"b\" 'c'");
}

TEST_F(HtmlText, WordTablesWithUnknownCodes) {
    EXPECT_STREQ(accessWord(0), "public");
    EXPECT_STREQ(accessWord(4), "virtual protected");
    EXPECT_STREQ(accessWord(6), "Unknow Access Tag");
    EXPECT_STREQ(classKindWord(2), "Union");
    EXPECT_STREQ(classKindWord(3), "Unknow Class Type");
}

TEST_F(HtmlText, ClassNameInTypeCutsAndSkipsSpecifiers) {
    EXPECT_EQ(classNameInType("const Foo &"), "Foo");
    EXPECT_EQ(classNameInType("List<int>"), "List");
    EXPECT_EQ(classNameInType("virtual Bar*"), "Bar");
    EXPECT_EQ(classNameInType("int"), "int");
    EXPECT_EQ(classNameInType("struct S"), "struct S");
    EXPECT_EQ(classNameInType("void (*)(int)"), "void");
    EXPECT_EQ(classNameInType("static const Foo"), "Foo");
    EXPECT_EQ(classNameInType("friend class Foo"), "class Foo");
    // The specifiers are skipped only where they stand alone.
    EXPECT_EQ(classNameInType("constant_t"), "constant_t");
    EXPECT_EQ(classNameInType("Pipeline"), "Pipeline");
    EXPECT_EQ(classNameInType("staticData"), "staticData");
    // A specifier at the end skips to the end of the text.
    EXPECT_EQ(classNameInType("Foo const"), "");
    // Specifiers are skipped in a fixed order, each in what the ones before
    // it left.
    EXPECT_EQ(classNameInType("inline const inline Foo"), "Foo");
    EXPECT_EQ(classNameInType("inline const Foo"), "Foo");
    EXPECT_EQ(classNameInType("const Foo static Bar"), "Bar");
}

TEST_F(HtmlText, FindClassForTypeTakesFirstRegisteredAndSkipsAnonymous) {
    ClassTag& first = addClass("Foo");
    addClass("Foo");
    addClass(kAnonymousClassName);
    EXPECT_EQ(findClassForType("const Foo &"), &first);
    EXPECT_EQ(findClassForType("int"), nullptr);
    EXPECT_EQ(findClassForType(kAnonymousClassName), nullptr);
}

TEST_F(HtmlText, TypeLinks) {
    ClassTag& foo = addClass("Foo");
    ClassTag& bar = addClass("Bar");
    EXPECT_EQ(linkText(&bar, "Foo*", "Foo*"), "<A HREF=\"Foo.html\">Foo*</A> ");
    EXPECT_EQ(linkText(nullptr, "Foo*", "Foo*"), "<A HREF=\"Foo.html\">Foo*</A> ");
    EXPECT_EQ(linkText(&foo, "Foo*", "Foo*"), "Foo*");
    EXPECT_EQ(linkText(&bar, "inline Foo", "inline Foo"), "<A HREF=\"Foo.html\"> Foo</A> ");
    EXPECT_EQ(linkText(&bar, "const char*", "const char*"), "const char*");
    EXPECT_EQ(linkText(&bar, "Pipeline", "Pipeline"), "Pipeline");
    EXPECT_EQ(linkText(&bar, "Foo<int>", "Foo<int>"), "<A HREF=\"Foo.html\">Foo&lt int&gt </A> ");
    runSettings().frames = true;
    EXPECT_EQ(linkText(&bar, "Foo*", "Foo*"), "<A HREF=\"Foo.html\" TARGET=\"_top\">Foo*</A> ");
    runSettings().frames = false;

    // Links follow the model of the moment: from input to input the class
    // of a name comes and goes.
    docModel().clear();
    EXPECT_EQ(linkText(nullptr, "Foo*", "Foo*"), "Foo*");
    addClass("Foo").pageFile = "doc7.htm";
    EXPECT_EQ(linkText(nullptr, "Foo*", "Foo*"), "<A HREF=\"doc7.htm\">Foo*</A> ");
}

TEST_F(HtmlText, BaseListAndTemplateParameters) {
    addClass("Base");
    ClassTag& derived = addClass("Derived");
    derived.baseNames = {"Base", "Other<int>"};
    derived.baseAccess = {PublicBase, VirtualPrivateBase};
    derived.templateParams = {data("class", "T"), data("int", "n"),
                              data("Base", "b", Public, PointerShape)};
    PageText bases, params;
    writeBaseList(bases, derived);
    writeTemplateParams(params, derived);
    EXPECT_EQ(bases.text(),
              "public <A HREF=\"Base.html\">Base</A> , virtual private Other&lt int&gt ");
    EXPECT_EQ(params.text(), "class T, int n, <A HREF=\"Base.html\">Base</A> * b");
}

TEST_F(HtmlText, IndexListOrderIsByteWiseAndStable) {
    IndexList list(2);
    for (const char* key : {"a", "B", "ab", "a", "Z", "b"}) list.add(key, std::string(key) + "#");
    list.add("a", "third a");
    std::vector<std::string> texts;
    for (const SortedItem& item : list.entries()) texts.push_back(item.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"B#", "Z#", "a#", "a#", "third a", "ab#", "b#"}));
    list.clear();
    EXPECT_EQ(list.size(), 0u);
    list.add("x", "x");
    EXPECT_EQ(list.entries().front().text, "x");
}

TEST_F(HtmlText, LargeIndexListStaysStable) {
    std::mt19937 random(7);
    IndexList list(2);
    const int count = 200000;
    for (int i = 0; i < count; ++i) {
        std::string key = std::to_string(random() % 1000);
        list.add(key, std::to_string(i));
    }
    const auto& entries = list.entries();
    ASSERT_EQ(entries.size(), static_cast<std::size_t>(count));
    for (std::size_t i = 1; i < entries.size(); ++i) {
        ASSERT_LE(entries[i - 1].key, entries[i].key);
        if (entries[i - 1].key == entries[i].key) {
            ASSERT_LT(std::stoi(entries[i - 1].text), std::stoi(entries[i].text));
        }
    }
}

TEST_F(HtmlText, ShortIndexListIsOneList) {
    EXPECT_EQ(listText(numberedList(5)),
              "<ul type=square>\n<li>k00<li>k01<li>k02<li>k03<li>k04</ul>\n");
    EXPECT_EQ(listText(numberedList(0)), "<ul type=square>\n</ul>\n");
}

TEST_F(HtmlText, SixEntriesMakeColumnsOfFourAndTwo) {
    EXPECT_EQ(listText(numberedList(6)),
              "<table>\n<tr><td valign=top>\n<ul type=square>\n"
              "<li>k00<br>\n<li>k01<br>\n<li>k02<br>\n<li>k03<br>\n"
              "</ul>\n<td valign=top>\n<ul type=square>\n"
              "<li>k04<br>\n<li>k05<br>\n"
              "</ul>\n</table>\n");
    runSettings().htmlVersion = 3;
    std::string text = listText(numberedList(6));
    EXPECT_NE(text.find("<li>k00\n<li>k01\n"), std::string::npos);
    EXPECT_EQ(text.find("<br>"), std::string::npos);
}

TEST_F(HtmlText, ColumnCountsGrowWithLength) {
    EXPECT_EQ(columnSizes(listText(numberedList(61))), (std::vector<int>{31, 30}));
    EXPECT_EQ(columnSizes(listText(numberedList(62))), (std::vector<int>{21, 21, 20}));
    EXPECT_EQ(columnSizes(listText(numberedList(182))), (std::vector<int>{61, 61, 60}));
    EXPECT_EQ(columnSizes(listText(numberedList(183))), (std::vector<int>{46, 46, 46, 45}));
}

TEST_F(HtmlText, DescriptionThresholds) {
    auto described = [](const std::string& text, bool heading) {
        PageText page;
        writeDescription(page, text, heading);
        return page.text();
    };
    const std::string heading = "<font size=4><b>Description :</b></font>\n";
    const std::string short79(79, 'x'), long80(80, 'x');
    EXPECT_EQ(described("", true), "");
    EXPECT_EQ(described(short79, true), "<i>" + short79 + "</i>");
    EXPECT_EQ(described(long80, true), heading + "<i>" + long80 + "</i><p>\n");
    EXPECT_EQ(described(long80, false), "<i>" + long80 + "</i>");
    EXPECT_EQ(described("one\ntwo", true), heading + "<i>one<br>two</i>");
    EXPECT_EQ(described("a<p>b", true), "<i>a<p>b</i><p>\n");
    // Line feeds count after their replacement: 76 characters and two line
    // feeds become 84.
    EXPECT_EQ(described(std::string(38, 'y') + "\n" + std::string(38, 'y') + "\n", true),
              heading + "<i>" + std::string(38, 'y') + "<br>" + std::string(38, 'y') +
                  "<br></i><p>\n");
}

TEST_F(HtmlText, ExampleBlock) {
    auto example = [](const std::string& text) {
        PageText page;
        writeExample(page, text);
        return page.text();
    };
    EXPECT_EQ(example(""), "");
    EXPECT_EQ(example("f(1);"), "<pre>f(1);</pre>\n");
    EXPECT_EQ(example("a;\nb;"), "<b>sample</b>\n<pre>a;<br>b;</pre>\n");
    EXPECT_EQ(example(std::string(80, 'z')),
              "<b>sample</b>\n<pre>" + std::string(80, 'z') + "</pre>\n<p>\n");
}

TEST_F(HtmlText, FooterUsesTheReproducibleDate) {
    PageText page;
    writeFooter(page);
    EXPECT_EQ(page.text(), footer());
    configuration().words.footerName = "Mise a jour :";
    configuration().words.footerBy = " par ";
    PageText french;
    writeFooter(french);
    EXPECT_EQ(french.text(), std::string("<!--$$-->\n<hr><font size=2><b>Mise a jour : </b>") +
                                kPageDate + "</font> par <i>" + kProgramAndVersion + "</i><p>\n");
}

TEST_F(HtmlText, FileTimeText) {
    dir.write("a.h", "");
    dir.touch("a.h", kPageEpoch);
    EXPECT_EQ(fileTimeText(dir.file("a.h")), kPageDate);
    EXPECT_EQ(fileTimeText(""), "");
    EXPECT_EQ(fileTimeText(dir.file("missing.h")), "");
}

TEST_F(HtmlText, FileDisplayNamesAndClassFileLinks) {
    addFile("one/list.h");
    ClassTag& early = addClass("Early", Class, "one/list.h");
    addFile("two/list.h");
    ClassTag& late = addClass("Late", Class, "two/list.h");
    FileTag* first = docModel().fileTables[HeaderH].find("one/list.h", HeaderH);
    FileTag* second = docModel().fileTables[HeaderH].find("two/list.h", HeaderH);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(fileDisplayName(*first), "list.h(1)");
    EXPECT_EQ(fileDisplayName(*second), "list.h");
    EXPECT_EQ(classFilePageName(early), "list.h(1).html");
    EXPECT_EQ(classFilePageName(late), "list.h.html");
    ClassTag& elsewhere = addClass("Elsewhere", Class, "gen/defs.inl");
    EXPECT_EQ(classFilePageName(elsewhere), "defs.inl.html");
}

TEST_F(HtmlText, FramePageNamesLongAndShort) {
    ClassTag& stack = addClass("Stack<T>");
    FramePageNames names = nameFramePages(docModel(), stack);
    EXPECT_EQ(stack.pageFile, "Stack_T_.html");
    EXPECT_EQ(names.upper, "Stack_T__u.html");
    EXPECT_EQ(names.lower, "Stack_T__d.html");
    runSettings().shortNames = true;
    ClassTag& a = addClass("A");
    ClassTag& b = addClass("B");
    EXPECT_EQ(a.pageFile, "doc0.htm");
    EXPECT_EQ(b.pageFile, "doc1.htm");
    names = nameFramePages(docModel(), a);
    EXPECT_EQ(names.upper, "doc2.htm");
    EXPECT_EQ(names.lower, "doc3.htm");
}

TEST_F(HtmlText, PagePathJoinsByConcatenation) {
    EXPECT_EQ(pagePath("index.html"), dir.path() + "/index.html");
    runSettings().htmlPath.clear();
    EXPECT_EQ(pagePath("index.html"), "index.html");
}

}  // namespace
}  // namespace zivrat::test
