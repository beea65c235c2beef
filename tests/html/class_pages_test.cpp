// Class pages on hand-built models: items, sections, the table, and whole
// pages without and with frames.

#include "ground/banner.h"
#include "html/class_pages.h"
#include "html/page_fixture.h"

namespace zivrat::test {
namespace {

class ClassPages : public PageTest {
protected:
    // Foo, then Shape declared in shape.h (dated kPageEpoch) with every
    // kind of member.
    ClassTag& buildShape() {
        addClass("Foo");
        sourcePath = dir.write("shape.h", "");
        dir.touch("shape.h", kPageEpoch);
        addFile(sourcePath);
        ClassTag& shape = addClass("Shape", Class, sourcePath);
        shape.authors = "ann,bob";
        shape.version = "1.2";
        shape.description = "A shape.";
        shape.example = "s.area();";
        shape.data = {data("int", "count"), data("char", "name", Protected, PointerShape),
                      data("Foo", "ref", Private, ReferenceShape)};
        shape.data[0].description = "how many";
        FunctionTag callback = function("int", "callback", {param("int", "")}, FunctionPointer,
                                        Private);
        FunctionTag destructor = function("virtual", "Shape", {}, Destructor | HasBody);
        FunctionTag draw = function("void", "draw", {param("Foo*", "target"), param("...", "")},
                                    Ordinary, Protected);
        draw.description = "draws";
        shape.functions = {
            function("", "Shape", {}, Constructor),
            destructor,
            function("Shape&", "operator=", {param("const Shape&", "other")}, Operator),
            function("virtual double", "area", {}, Ordinary | Pure | Const),
            draw,
            function("static int", "counter", {param("void (*f)(int)", "f", FunctionPointerShape)},
                     Ordinary, Private),
            callback,
        };
        return shape;
    }

    std::string head(const std::string& title) const {
        return "<HTML>\n<HEAD>\n<!--\n\n" + decodedHeadLine() + "\n!-->\n\n<TITLE>" + title +
               "</TITLE><P>\n";
    }

    std::string shapeTable(const std::string& target) const {
        return "<table>\n<th align=left><font size=5>Class abstract</font><th>: <font "
               "size=5>Shape</font>\n"
               "<tr align=left><td><font size=4><b>Library</font></b><td><b>: <a href=\"misc.html\"" +
               target + ">misc</a></b>\n<td><font size=4><b>Source :</font><a href=\"http://localhost/" +
               sourcePath + "\"" + target +
               ">shape.h</a></b><td><font size=4><b>File :</font><a href=\"shape.h.html\"" + target +
               ">shape.h</a></b>\n"
               "<tr align=left><td><font size=4><b>Author :</font></b><td><b>: ann,bob</b><td><font "
               "size=4><b>Update :</font><font size=3>" +
               kPageDate +
               "</font></b><tr align=left><td><font size=4><b>Version :</font></b><td><b>: "
               "1.2</b>\n</table>\n";
    }

    std::string shapeBody(const std::string& target) const {
        const std::string fooLink = "<A HREF=\"Foo.html\"" + target + ">";
        return "<i>A shape.</i><pre>s.area();</pre>\n"
               "<font size=4><b>Public Data :</b></font><p>\n<ul>\n"
               "<li><font size=4>int count ;</font>\n<i>how many</i></ul>\n"
               "<font size=4><b>Protected Data :</b></font><p>\n<ul>\n"
               "<li><font size=4>char* name ;</font>\n</ul>\n"
               "<font size=4><b>Private Data :</b></font><p>\n<ul>\n"
               "<li><font size=4>" +
               fooLink +
               "Foo</A> & ref ;</font>\n"
               "<li><font size=4>int (*<b>callback</b>) ( int ) ;</font>\n</ul>\n"
               "<font size=4><b>Constructors :</b></font><p>\n<ul>\n"
               "<li><font size=4><i>public</i>  <b>Shape</b> ( ) ;</font>\n</ul>\n"
               "<font size=4><b>Destructors :</b></font><p>\n<ul>\n"
               "<li><font size=4><i>public</i> inline virtual ~ <b>Shape</b> ( ) ;</font>\n</ul>\n"
               "<font size=4><b>Operators :</b></font><p>\n<ul>\n"
               "<li><font size=4><i>public</i> Shape& <b>operator=</b> ( const Shape& other) "
               ";</font>\n</ul>\n"
               "<font size=4><b>Public Function :</b></font><p>\n<ul>\n"
               "<li><font size=4>virtual double <b>area</b> ( ) const = 0;</font>\n</ul>\n"
               "<font size=4><b>Protected Function :</b></font><p>\n<ul>\n"
               "<li><font size=4>void <b>draw</b> ( " +
               fooLink +
               "Foo*</A>  target, ... ) ;</font>\n<i>draws</i></ul>\n"
               "<font size=4><b>Private Function :</b></font><p>\n<ul>\n"
               "<li><font size=4>static int <b>counter</b> ( void (*f)(int)) ;</font>\n</ul>\n" +
               footer() + "</BODY>\n</HTML>\n";
    }

    std::string sourcePath;
};

TEST_F(ClassPages, FunctionItemOfTheMemberExample) {
    addClass("Foo");
    ClassTag& bar = addClass("Bar");
    FunctionTag size = function("virtual int", "size", {param("const Foo&", "f")}, Ordinary | Const);
    PageText page;
    writeFunctionItem(page, &bar, size);
    EXPECT_EQ(page.text(),
              "<li><font size=4>virtual int <b>size</b> ( <A HREF=\"Foo.html\">const Foo&</A>  f) "
              "const ;</font>\n");
}

TEST_F(ClassPages, WholePageWithoutFrames) {
    ClassTag& shape = buildShape();
    writeClassPage(shape);
    EXPECT_EQ(dir.read("Shape.html"),
              head("Class : Shape") + "</HEAD>\n<BODY>\n" + shapeTable("") + "<hr><p>\n" +
                  shapeBody(""));
}

TEST_F(ClassPages, FramesetAndFramePages) {
    runSettings().htmlVersion = 3;
    runSettings().frames = true;
    configuration().words.generatorHtmlFrameBodyBgcolor = "white";
    ClassTag& shape = buildShape();
    writeClassFrames(docModel(), shape);
    const std::string top = " TARGET=\"_top\"";
    EXPECT_EQ(dir.read("Shape.html"),
              head("Class : Shape") +
                  "</HEAD>\n<FRAMESET ROWS=\"20%,80%\">\n<FRAME SRC=\"Shape_u.html\">\n<FRAME "
                  "SRC=\"Shape_d.html\">\n</FRAMESET>\n</HTML>\n");
    EXPECT_EQ(dir.read("Shape_u.html"), head("Class : Shape") +
                                            "</HEAD>\n<BODY BGCOLOR=\"#E0E0A0\">\n" +
                                            shapeTable(top) + "</BODY>\n</HTML>\n");
    EXPECT_EQ(dir.read("Shape_d.html"),
              head("Class : Shape") + "</HEAD>\n<BODY BGCOLOR=\"white\">\n" + shapeBody(top));
}

TEST_F(ClassPages, PicturesReplaceTheSourceAndFileWords) {
    runSettings().pictures = true;
    ClassTag& shape = buildShape();
    PageText page;
    writeClassTable(page, shape);
    EXPECT_EQ(page.text(),
              "<table>\n<th align=left><font size=5>Class abstract</font><th>: <font "
              "size=5>Shape</font>\n"
              "<tr align=left><td><font size=4><b>Library</font></b><td><b>: <a "
              "href=\"misc.html\">misc</a></b>\n<td><a href=\"http://localhost/" +
                  sourcePath +
                  "\"><img src=\"i1.jpg\"></a><td><a href=\"shape.h.html\"><img "
                  "src=\"i2.jpg\"></a>\n"
                  "<tr align=left><td><font size=4><b>Author :</font></b><td><b>: ann,bob</b><td><font "
                  "size=4><b>Update :</font><font size=3>" +
                  kPageDate +
                  "</font></b><tr align=left><td><font size=4><b>Version :</font></b><td><b>: "
                  "1.2</b>\n</table>\n");
}

TEST_F(ClassPages, TemplateWithBasesAndNoSource) {
    addClass("Base");
    ClassTag& stack = addClass("Stack", Struct);
    stack.isTemplate = true;
    stack.templateParams = {data("class", "T")};
    stack.baseNames = {"Base"};
    stack.baseAccess = {PublicBase};
    PageText head, table;
    writeClassPageHead(head, stack);
    writeClassTable(table, stack);
    EXPECT_EQ(head.text(), "<!--\n\n" + decodedHeadLine() +
                              "\n!-->\n\n<TITLE>template Struct : Stack</TITLE><P>\n");
    EXPECT_EQ(table.text(),
              "<font size=5><b>Template</b> &lt class T &gt </font>\n"
              "<table>\n<th align=left><font size=5>Struct</font><th>: <font size=5>Stack</font>\n"
              "<th><font size=4><b> : public <A HREF=\"Base.html\">Base</A> </b></font>\n"
              "<tr align=left><td><font size=4><b>Library</font></b><td><b>: <a "
              "href=\"misc.html\">misc</a></b>\n<td><font size=4><b>Source :</font><a "
              "href=\"http://localhost/\"></a></b><td><font size=4><b>File :</font><a "
              "href=\".html\"></a></b>\n"
              "<tr align=left><td><font size=4><b>Author :</font></b><td><b>: nobody</b><td><font "
              "size=4><b>Update :</font><font size=3></font></b>"
              "<tr align=left><td><font size=4><b>Version :</font></b><td><b>: unknown</b>\n"
              "</table>\n");
}

TEST_F(ClassPages, HeaderFileGoesIntoEveryHead) {
    ClassTag& plain = addClass("Plain");
    runSettings().useHeaderFile = true;
    runSettings().headerFileName = dir.write("head.inc", "<META name=x>\n");
    PageText page;
    writeClassPageHead(page, plain);
    EXPECT_EQ(page.text(), "<!--\n\n" + decodedHeadLine() +
                              "\n!-->\n\n<TITLE>Class : Plain</TITLE><P>\n<META name=x>\n");
    runSettings().headerFileName = dir.file("missing.inc");
    PageText missing;
    writeClassPageHead(missing, plain);
    EXPECT_EQ(missing.text(),
              "<!--\n\n" + decodedHeadLine() + "\n!-->\n\n<TITLE>Class : Plain</TITLE><P>\n");
}

TEST_F(ClassPages, EmptyClassHasNoSections) {
    ClassTag& empty = addClass("Empty");
    PageText page;
    writeDataSections(page, empty);
    writeFunctionSections(page, empty);
    EXPECT_EQ(page.text(), "");
    empty.functions = {function("void", "run", {}, Ordinary, Public)};
    writeDataSections(page, empty);
    EXPECT_EQ(page.text(), "");
}

TEST_F(ClassPages, FunctionWithSeveralSectionBitsIsListedInEach) {
    ClassTag& odd = addClass("Odd");
    odd.functions = {function("int", "operator int", {}, Operator | Ordinary, Protected)};
    PageText page;
    writeFunctionSections(page, odd);
    const std::string item = "<li><font size=4>int <b>operator int</b> ( ) ;</font>\n";
    EXPECT_EQ(page.text(), "<font size=4><b>Operators :</b></font><p>\n<ul>\n" + item +
                              "</ul>\n<font size=4><b>Protected Function :</b></font><p>\n<ul>\n" +
                              item + "</ul>\n");
}

TEST_F(ClassPages, UnwritablePageIsSkipped) {
    ClassTag& shape = addClass("Shape");
    runSettings().htmlPath = dir.file("missing/");
    writeClassPage(shape);
    writeClassFrames(docModel(), shape);
    EXPECT_FALSE(dir.exists("missing"));
}

}  // namespace
}  // namespace zivrat::test
