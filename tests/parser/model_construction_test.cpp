// What a parse records in the documentation model.
#include <gtest/gtest.h>

#include "ground/page_words.h"
#include "parse_fixture.h"

namespace zivrat::test {
namespace {

using ModelConstruction = RunStateTest;

std::vector<std::string> namesOf(const std::vector<DataTag>& records) {
    std::vector<std::string> names;
    for (const DataTag& record : records) names.push_back(record.name + ":" + record.type);
    return names;
}

TEST_F(ModelConstruction, ClassWithDataMemberAndFunctionBody) {
    ParsedText parsed("class A { public: int x; void f() { if (x) { x = 1; } } };");
    EXPECT_EQ(parsed.result, 0);
    EXPECT_EQ(parsed.console, "Class A\n");
    const ClassTag& a = parsed.classNamed("A");
    EXPECT_EQ(a.kind, Class);
    ASSERT_EQ(a.data.size(), 1u);
    EXPECT_EQ(a.data[0].name, "x");
    EXPECT_EQ(a.data[0].type, "int");
    EXPECT_EQ(a.data[0].access, Public);
    EXPECT_EQ(a.data[0].flags, PlainShape);
    ASSERT_EQ(a.functions.size(), 1u);
    EXPECT_EQ(a.functions[0].name, "f");
    EXPECT_EQ(a.functions[0].returnType, "void");
    EXPECT_EQ(a.functions[0].flags, static_cast<std::uint32_t>(HasBody | Ordinary));
    EXPECT_TRUE(a.functions[0].hasBody);
    EXPECT_EQ(a.pageFile, "A.html");
    EXPECT_EQ(a.library, "misc");
}

TEST_F(ModelConstruction, DefaultAccessAndPointerShapes) {
    ParsedText parsed("class A { int *p; struct S { int y; } *sp; int &r; };\n"
                      "struct B { int z; };");
    const ClassTag& a = parsed.classNamed("A");
    ASSERT_EQ(a.data.size(), 3u);
    // The member rules reset the mark: a plain pointer member keeps shape 0.
    EXPECT_EQ(a.data[0].type, "int*");
    EXPECT_EQ(a.data[0].flags, PlainShape);
    EXPECT_EQ(a.data[0].access, Private);
    EXPECT_EQ(a.data[1].name, "sp");
    EXPECT_EQ(a.data[1].type, "struct ");
    EXPECT_EQ(a.data[1].flags, PointerShape);
    EXPECT_EQ(a.data[2].type, "int&");
    EXPECT_EQ(parsed.classNamed("S").data.size(), 1u);
    EXPECT_EQ(parsed.classNamed("B").data[0].access, Public);
}

TEST_F(ModelConstruction, NestedClassGivesBackTheEnclosingClassAndAccess) {
    ParsedText parsed("class Outer {\n"
                      "  struct Inner { int a; };\n"
                      "  int b;\n"
                      "public:\n"
                      "  typedef struct { int c; } Named;\n"
                      "  int d;\n"
                      "};");
    EXPECT_EQ(parsed.result, 0);
    const ClassTag& outer = parsed.classNamed("Outer");
    ASSERT_EQ(namesOf(outer.data), (std::vector<std::string>{"b:int", "d:int"}));
    EXPECT_EQ(outer.data[0].access, Private);
    EXPECT_EQ(outer.data[1].access, Public);
    EXPECT_EQ(namesOf(parsed.classNamed("Named").data), (std::vector<std::string>{"c:int"}));
}

TEST_F(ModelConstruction, ExcludedClassLeavesNoTrace) {
    configuration().classExcludeList.emplace_back("^Hidden");
    {
        ParsedText parsed("class Base;\n"
                          "class Outer { class HiddenPart : public Base { int secret; }; int kept; };\n"
                          "HiddenPart *h;");
        EXPECT_EQ(parsed.console, "Class Outer\nClass HiddenPart (exclude)\n");
        EXPECT_EQ(docModel().classes.size(), 1u);
        EXPECT_TRUE(parsed.classNamed("Outer").baseNames.empty());
        EXPECT_EQ(namesOf(parsed.classNamed("Outer").data),
                  (std::vector<std::string>{"kept:int"}));
        // The name still counts as a type name.
        EXPECT_EQ(parsed.result, 0);
    }
}

TEST_F(ModelConstruction, TypedefNamesAnAnonymousStruct) {
    ParsedText parsed("typedef struct { int x; } Point;\nstruct { int y; } loose;");
    // Registered under the placeholder name, the struct has no console line.
    EXPECT_EQ(parsed.console, "");
    const ClassTag& point = parsed.classNamed("Point");
    EXPECT_EQ(point.pageFile, "Point.html");
    EXPECT_EQ(point.library, "misc");
    EXPECT_EQ(point.authors, "nobody");
    EXPECT_EQ(point.version, "unknown");
    const ClassTag& anonymous = parsed.classNamed("dumCl__");
    EXPECT_EQ(anonymous.pageFile, "");
}

TEST_F(ModelConstruction, ConstructorsDestructorsAndOperators) {
    ParsedText parsed("class A { public: A(int n); explicit A(const A& o) : n_(o.n_) { }\n"
                      "virtual ~A(); A& operator=(const A&); operator int() const;\n"
                      "virtual void pure() = 0; int get() const { return 1; } };");
    const ClassTag& a = parsed.classNamed("A");
    ASSERT_EQ(a.functions.size(), 7u);
    EXPECT_EQ(a.functions[0].flags, static_cast<std::uint32_t>(Constructor));
    EXPECT_EQ(namesOf(a.functions[0].params), (std::vector<std::string>{"n:int"}));
    EXPECT_EQ(a.functions[1].flags, static_cast<std::uint32_t>(Constructor | HasBody));
    EXPECT_EQ(a.functions[1].returnType, "explicit ");
    EXPECT_EQ(namesOf(a.functions[1].params), (std::vector<std::string>{"o:const A &"}));
    EXPECT_EQ(a.functions[2].name, "A");
    EXPECT_EQ(a.functions[2].returnType, "virtual ");
    EXPECT_EQ(a.functions[2].flags, static_cast<std::uint32_t>(Destructor));
    EXPECT_EQ(a.functions[3].name, "operator =");
    EXPECT_EQ(a.functions[3].returnType, "A&");
    EXPECT_EQ(a.functions[3].flags, static_cast<std::uint32_t>(Operator));
    EXPECT_EQ(a.functions[4].name, "operator int");
    EXPECT_EQ(a.functions[4].flags, static_cast<std::uint32_t>(Operator | Const));
    EXPECT_TRUE(a.functions[5].isPure);
    EXPECT_TRUE(a.isAbstract());
    EXPECT_EQ(a.functions[6].flags, static_cast<std::uint32_t>(Ordinary | Const | HasBody));
}

TEST_F(ModelConstruction, ParametersTheirTextsAndTheThrowList) {
    ParsedText parsed(
        "class E;\n"
        "class A { void f(int a) throw(E);\n"
        "void g(int v = 1<<2+3, const char* s = \"ab\" \"cd\", int (*cb)(int, char), ...);\n"
        "void h(unsigned, int[], long n[4], A::Inner &i); };");
    const ClassTag& a = parsed.classNamed("A");
    ASSERT_EQ(a.functions.size(), 3u);
    EXPECT_EQ(namesOf(a.functions[0].params), (std::vector<std::string>{"a:int", ":E"}));
    EXPECT_EQ(namesOf(a.functions[1].params),
              (std::vector<std::string>{"v = 1<<2+3:int", "s = \"abcd\":const char *",
                                        "cb:int(*cb)(int,char)", ":..."}));
    EXPECT_EQ(a.functions[1].params[2].flags, FunctionPointerShape);
    EXPECT_EQ(namesOf(a.functions[2].params),
              (std::vector<std::string>{":unsigned", "xx:int []", "n[4]:long", "i:A::Inner&"}));
}

TEST_F(ModelConstruction, ParametersOfOtherListsStayWithTheirDeclaration) {
    ParsedText parsed("# 1 \"a.h\"\n"
                      "template <class T> class Stack { void push(const T& v); };\n"
                      "template <class T> void Stack<T>::push(const T& v) { }\n"
                      "int after(int x);\n"
                      "class Host { typedef int (*Callback)(int c); int (*fp)(int, int);\n"
                      "  ~Host(); };\n");
    EXPECT_EQ(namesOf(parsed.file("a.h").functions[0].params),
              (std::vector<std::string>{"x:int"}));
    const ClassTag& host = parsed.classNamed("Host");
    ASSERT_EQ(host.functions.size(), 2u);
    EXPECT_EQ(host.functions[0].flags, static_cast<std::uint32_t>(FunctionPointer));
    EXPECT_EQ(namesOf(host.functions[0].params), (std::vector<std::string>{":int", ":int"}));
    EXPECT_TRUE(host.functions[1].params.empty());
}

TEST_F(ModelConstruction, CommentsAttachToTheNextRecord) {
    ParsedText parsed("/* the class */\nclass A {\n"
                      "  int x; // about y\n"
                      "  int y;\n"
                      "  /// about f\n"
                      "  void f();\n"
                      "  //// not taken\n"
                      "  int z;\n"
                      "};",
                      true);
    const ClassTag& a = parsed.classNamed("A");
    EXPECT_EQ(a.description, " the class ");
    EXPECT_EQ(a.data[0].description, "");
    EXPECT_EQ(a.data[1].description, " about y");
    EXPECT_EQ(a.functions[0].description, " about f");
    EXPECT_EQ(a.data[2].description, "");
}

TEST_F(ModelConstruction, CommentsKeepTheirLastCharacters) {
    ParsedText parsed("class A {\n"
                      "  // a List<T>*\n"
                      "  int x;\n"
                      "  /* two stars **/\n"
                      "  int y;\n"
                      "  /// ends in *\n"
                      "  int z;\n"
                      "};\n"
                      "/*{ COMMENT{ a C*} }*/\n"
                      "class B {};",
                      true);
    const ClassTag& a = parsed.classNamed("A");
    EXPECT_EQ(a.data[0].description, " a List<T>*");
    EXPECT_EQ(a.data[1].description, " two stars *");
    EXPECT_EQ(a.data[2].description, " ends in *");
    EXPECT_EQ(parsed.classNamed("B").description, " a C*");
}

TEST_F(ModelConstruction, TemplateTypedefsKeepTheDeclaredName) {
    ParsedText parsed("# 1 \"t.h\"\n"
                      "template <class T> class List { public: class Iter {}; };\n"
                      "typedef List < int > IntList;\n"
                      "typedef List<char> IntList;\n"
                      "typedef List<int>::Iter Walker;\n");
    EXPECT_EQ(parsed.result, 0);
    EXPECT_EQ(parsed.file("t.h").typedefNames,
              (std::vector<std::string>{" List < int > IntList", " List < char > IntList",
                                        " List < int >::Iter Walker"}));
}

TEST_F(ModelConstruction, TripleSlashCommentsWithoutInsertOption) {
    ParsedText parsed("class A {\n  /* plain */ int x;\n  ///\n  int y;\n  /// doc\n  int z;\n};");
    const ClassTag& a = parsed.classNamed("A");
    ASSERT_EQ(a.data.size(), 3u);
    EXPECT_EQ(a.data[0].description, "");
    EXPECT_EQ(a.data[1].description, "");
    EXPECT_EQ(a.data[2].description, " doc");
}

TEST_F(ModelConstruction, ClassTemplateAndItsParameters) {
    ParsedText parsed("template <class T, int N> class Cls { T items[N]; T first() const; };\n"
                      "T notAType;");
    const ClassTag& cls = parsed.classNamed("Cls");
    EXPECT_TRUE(cls.isTemplate);
    ASSERT_EQ(cls.templateParams.size(), 2u);
    EXPECT_EQ(namesOf(cls.templateParams), (std::vector<std::string>{"T:class", "N:int"}));
    ASSERT_EQ(cls.data.size(), 1u);
    EXPECT_EQ(cls.data[0].type, "T");
    // After the template, T is an identifier again: "T notAType;" is no
    // declaration of a type T.
    EXPECT_TRUE(docModel().templateParamNames.names().empty());
}

TEST_F(ModelConstruction, BasesWithTheirAccessTags) {
    ParsedText parsed("class B {}; template <class T> class Tpl {};\n"
                      "class D : B, virtual B, protected virtual B, public Tpl<int> {};\n"
                      "struct S : B, virtual B {};");
    const ClassTag& d = parsed.classNamed("D");
    EXPECT_EQ(d.baseNames, (std::vector<std::string>{"B", "B", "B", "Tpl<int>"}));
    EXPECT_EQ(d.baseAccess, (std::vector<std::uint32_t>{PrivateBase, VirtualPrivateBase,
                                                        VirtualProtectedBase, PublicBase}));
    EXPECT_EQ(parsed.classNamed("S").baseAccess,
              (std::vector<std::uint32_t>{PublicBase, VirtualPublicBase}));
}

TEST_F(ModelConstruction, AuthorsAndVersionFromDocumentationComments) {
    ParsedText parsed("class Before {};\n"
                      "/*{ LIBNAME: base AUTHORS: ann, bob VERSION: 1.2 COMMENT{ for After } }*/\n"
                      "class After {};");
    EXPECT_EQ(parsed.standardOutput, "libname : base\n\n");
    EXPECT_EQ(parsed.classNamed("Before").authors, "nobody");
    const ClassTag& after = parsed.classNamed("After");
    EXPECT_EQ(after.authors, "ann,bob");
    EXPECT_EQ(after.version, "1.2");
    EXPECT_EQ(after.description, " for After ");
}

TEST_F(ModelConstruction, FileLevelRecordsFollowLineMarkers) {
    ParsedText parsed("# 1 \"dir/one.h\"\n"
                      "int counter;\n"
                      "extern int shared;\n"
                      "int area(int w, int h);\n"
                      "inline int twice(int v) { return 2 * v; }\n"
                      "typedef unsigned int Size, *SizePtr;\n"
                      "struct Pair { int a; } pair;\n"
                      "struct Lone { int b; };\n"
                      "#line 7 \"notes.txt\"\n"
                      "class A { };\n"
                      "# 3 \"two.cpp\"\n"
                      "int A::count = 0;\n"
                      "void A::run(int x) { }\n");
    EXPECT_EQ(parsed.result, 0);
    const FileTag& one = parsed.file("one.h");
    EXPECT_EQ(one.path, "dir/one.h");
    EXPECT_EQ(one.kind, HeaderH);
    EXPECT_EQ(namesOf(one.data),
              (std::vector<std::string>{"counter:", "shared:", "pair:"}));
    ASSERT_EQ(one.functions.size(), 2u);
    EXPECT_EQ(one.functions[0].name, "area");
    EXPECT_EQ(namesOf(one.functions[0].params), (std::vector<std::string>{"w:int", "h:int"}));
    EXPECT_EQ(one.functions[1].returnType, "inline int");
    EXPECT_EQ(one.typedefNames, (std::vector<std::string>{"Size", " unsigned int  Size * SizePtr"}));
    // A marker naming a file of no known kind leaves the current file as it was.
    ASSERT_EQ(one.classes.size(), 3u);
    EXPECT_EQ(one.classes[2]->sourceFile, "notes.txt");
    const FileTag& two = parsed.file("two.cpp");
    EXPECT_TRUE(two.data.empty());
    EXPECT_TRUE(two.functions.empty());
}

TEST_F(ModelConstruction, StrayClosingBraceStopsTheParse) {
    ParsedText parsed("class A { int x; };\n}\nclass B {};");
    EXPECT_EQ(parsed.result, 1);
    EXPECT_EQ(parsed.console,
              "Class A\n2: parse error, expecting `OPERATOR' or `IDENTIFIER' or `TYPEDEFname' "
              "or `'(''\n");
    EXPECT_EQ(docModel().classes.size(), 1u);
}

std::string nestedStructs(int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += "struct S" + std::to_string(i) + " {\n";
    for (int i = 0; i < depth; ++i) text += "};\n";
    return text;
}

TEST_F(ModelConstruction, ThousandNestedClassesFitTheStack) {
    ParsedText parsed(nestedStructs(1000));
    EXPECT_EQ(parsed.result, 0);
    EXPECT_EQ(docModel().classes.size(), 1000u);
}

TEST_F(ModelConstruction, DeeperNestingOverflowsTheStack) {
    ParsedText parsed(nestedStructs(2000));
    EXPECT_EQ(parsed.result, 2);
    EXPECT_NE(parsed.console.find("\n1429: parser stack overflow\n"), std::string::npos);
    EXPECT_EQ(docModel().classes.size(), 1428u);
}

TEST_F(ModelConstruction, UnterminatedBodiesAndBlocksEndTheInput) {
    ParsedText body("class A { void f() { if (x) {\n");
    EXPECT_EQ(body.result, 1);
    EXPECT_EQ(body.console, "Class A\n2: End of File unexpected\n"
                            "2: parse error, expecting `','' or `';'' or `'('' or `':''\n");
    ParsedText block("/*{ COMMENT{ never closed");
    EXPECT_EQ(block.result, 1);
}

}  // namespace
}  // namespace zivrat::test
