// The lenient parse: today's header constructs, recovery after a
// declaration the grammar cannot read, and one record per declarator.
#include <gtest/gtest.h>

#include <random>

#include "ground/run_counters.h"
#include "parse_fixture.h"

namespace zivrat::test {
namespace {

// "type name" per data member, "name()" per function, in order.
std::string membersOf(const ClassTag& tag) {
    std::string text;
    for (const DataTag& data : tag.data) text += data.type + " " + data.name + "; ";
    for (const FunctionTag& function : tag.functions) text += function.name + "(); ";
    return text;
}

std::string classNames() {
    std::string text;
    for (const auto& tag : docModel().classes) text += tag->name + " ";
    return text;
}

std::size_t parseErrors(const std::string& console) {
    std::size_t count = 0;
    for (std::size_t at = console.find("parse error"); at != std::string::npos;
         at = console.find("parse error", at + 1)) {
        ++count;
    }
    return count;
}

TEST(Lenient, ExportMacrosAndUnknownBaseAndMemberTypes) {
    ParsedText parsed("class FL_EXPORT Fl_Box : public Fl_Widget {\n"
                      "  CARD8 reqType;\n"
                      "  lib::Widget *m_peer;\n"
                      "public:\n"
                      "  FL_EXPORT void draw();\n"
                      "};\n",
                      false, true);
    EXPECT_EQ(parsed.result, 0);
    const ClassTag& box = parsed.classNamed("Fl_Box");
    ASSERT_EQ(box.baseNames.size(), 1u);
    EXPECT_EQ(box.baseNames[0], "Fl_Widget");
    EXPECT_EQ(membersOf(box), "CARD8 reqType; lib::Widget* m_peer; draw(); ");
}
TEST(Lenient, EveryDeclaratorIsItsOwnRecordAndBitFieldsShowTheirWidth) {
    ParsedText parsed("# 1 \"p.h\"\nstruct P { INT16 x, y; int *a, b[4]; unsigned flags : 3, mode : 2; };\n"
                      "int g1, g2;\n",
                      false, true);
    EXPECT_EQ(parsed.result, 0);
    EXPECT_EQ(membersOf(parsed.classNamed("P")),
              "INT16 x; INT16 y; int* a; int b; unsigned  flags : 3; unsigned  mode : 2; ");
    const FileTag& file = parsed.file("p.h");
    ASSERT_EQ(file.data.size(), 2u);
    EXPECT_EQ(file.data[0].name, "g1");
    EXPECT_EQ(file.data[1].name, "g2");
}

TEST(Lenient, NewerWordsAreReadOrDropped) {
    ParsedText parsed("class [[nodiscard]] A final : public B {\n"
                      "public:\n"
                      "  constexpr int size() const noexcept(true) { return 1; }\n"
                      "  void f() override;\n"
                      "  A(const A&) = delete;\n"
                      "  A& operator=(A&&) = default;\n"
                      "  virtual class Window* window();\n"
                      "  void volatile** raw;\n"
                      "  int attr __attribute__((aligned(8)));\n"
                      "  using Size = std::size_t;\n"
                      "  static_assert(sizeof(int) == 4, \"int\");\n"
                      "  int last;\n"
                      "};\n"
                      "enum class Color : unsigned char { Red, Green };\n"
                      "typedef struct timeval **TimePtr;\n"
                      "template<> class A<int> { int special; };\n"
                      "template<typename T, typename U = int> class Pair { T first; };\n",
                      false, true);
    // A copy constructor is beyond the grammar: only that member is lost.
    EXPECT_EQ(parseErrors(parsed.console), 1u);
    EXPECT_NE(parsed.console.find("line 5: parse error\nClass A<int>\nClass Pair\n"), std::string::npos);
    EXPECT_EQ(parsed.result, 0);
    EXPECT_EQ(membersOf(parsed.classNamed("A")),
              "void** raw; int attr; int last; size(); f(); operator =(); window(); ");
    EXPECT_EQ(membersOf(parsed.classNamed("Pair")), "T first; ");
}

TEST(Lenient, NamespacesAndQualifiedNames) {
    ParsedText parsed("namespace log4 {\n"
                      "namespace detail { }\n"
                      "class Category : public ::log4::Base<std::string> {\n"
                      "  std::map<std::string, Category*> table;\n"
                      "  const std::vector<int>::iterator& at(std::size_t i, const std::string& s = std::string());\n"
                      "};\n"
                      "}\n",
                      false, true);
    EXPECT_EQ(parsed.result, 0);
    const ClassTag& category = parsed.classNamed("Category");
    ASSERT_EQ(category.baseNames.size(), 1u);
    EXPECT_EQ(category.baseNames[0], "::log4::Base<std::string>");
    EXPECT_EQ(membersOf(category), "std::map<std::string, Category*> table; at(); ");
}

TEST(Lenient, RecoveryLosesOnlyTheDeclarationInError) {
    runCounters() = RunCounters();
    ParsedText parsed("class A {\n"
                      "  int before;\n"
                      "  garbage ( ) ( ) ;\n"
                      "  struct { int broken ) } inner;\n"
                      "  int after;\n"
                      "};\n"
                      "DECLARE_THING(x) }\n"
                      "struct B { int b; };\n",
                      false, true);
    // The nested struct keeps its declarator; only its broken member goes.
    EXPECT_EQ(classNames(), "A dumCl__ B ");
    EXPECT_EQ(membersOf(parsed.classNamed("A")), "int before; struct  inner; int after; ");
    EXPECT_EQ(membersOf(parsed.classNamed("B")), "int b; ");
    EXPECT_EQ(runCounters().declarationsSkipped, 3);
    EXPECT_NE(parsed.console.find("3: parse error"), std::string::npos);
}

// Members with initializers keep their record; default arguments, pure
// functions, enumerators and the initializers of other bodies are as before.
// The default mode still stops at the first initializer it cannot read.
TEST(Lenient, MemberInitializersAreDropped) {
    {
        ParsedText plain("class S { static const int ERR = -1; };\n");
        EXPECT_EQ(parseErrors(plain.console), 1u);
    }
    ParsedText parsed("int fileLevel = 5;\n"
                      "class S {\n"
                      "  static const int ERR = -1;\n  int k = 2;\n  double d = 1.5, e;\n"
                      "  int a[2] = {1, 2};\n  Foo f = Foo(1, (2));\n  struct In { int x = g(1, 2); } in;\n"
                      "  void h(int x = 3);\n  virtual void g() = 0;\n  S& operator=(const S&);\n"
                      "  enum { A = 1, B = 2 };\n  int unfinished = 7\n"
                      "};\n",
                      false, true);
    EXPECT_EQ(membersOf(parsed.classNamed("S")),
              "static const int ERR; int k; double d; double e; int a; Foo f; struct  in; h(); g(); operator =(); ");
    EXPECT_EQ(membersOf(parsed.classNamed("In")), "int x; ");
    EXPECT_EQ(parseErrors(parsed.console), 1u);  // the member without its ";"
}

TEST(Lenient, TheDefaultModeStillStopsAtTheFirstError) {
    runCounters() = RunCounters();
    ParsedText unknownType("struct P { INT16 x, y; };\n");
    EXPECT_EQ(parseErrors(unknownType.console), 1u);
}

TEST(Lenient, TheDefaultModeDoesNotRecover) {
    runCounters() = RunCounters();
    ParsedText parsed("class A { int before; garbage ( ) ( ) ; int after; };\n"
                      "class FL_EXPORT B : public Unknown { };\n");
    EXPECT_EQ(parsed.result, 1);
    EXPECT_EQ(parsed.console, "Class A\n1: parse error\n");
    EXPECT_EQ(membersOf(parsed.classNamed("A")), "int before; ");
    EXPECT_FALSE(parsed.hasClass("B"));
    EXPECT_EQ(runCounters().declarationsSkipped, 0);
}

TEST(Lenient, TheDefaultModeKeepsOneRecordPerDeclaration) {
    ParsedText known("struct P { int x, y; };\n");
    EXPECT_EQ(known.console, "Struct P\n");
    EXPECT_EQ(membersOf(known.classNamed("P")), "int x; ");
}

// An unknown name is typed by the token after it, which the filter may
// read from the characters ahead: every kind of blank, marks of one and two
// characters, and names that end where the scanner's buffer ends.
TEST(Lenient, NamesAreTypedByWhatFollowsThemAcrossBlanksAndBufferEnds) {
    ParsedText marks("struct S {\n"
                     "  Unknown\t*a;\n  Unknown\n&b;\n  Unknown \v\f*c;\n"
                     "  Unknown d, e;\n  Unknown f[4];\n  Unknown g [[deprecated]];\n"
                     "  void h(Unknown&&i, Unknown &j, Unknown* = 0);\n"
                     "};\n",
                     false, true);
    EXPECT_EQ(marks.result, 0);
    EXPECT_EQ(membersOf(marks.classNamed("S")),
              "Unknown* a; Unknown& b; Unknown* c; Unknown d; Unknown e; Unknown f; Unknown g; h(); ");

    std::string text = "struct Big {\n";
    constexpr int kMembers = 3000;
    for (int i = 0; i < kMembers; ++i) {
        text += "  Type" + std::to_string(i) + std::string(i % 7, ' ') + (i % 2 == 0 ? "*" : "&") + "m" +
                std::to_string(i) + ";\n";
    }
    text += "};\n";
    ParsedText big(text, false, true);
    EXPECT_EQ(big.result, 0);
    const ClassTag& tag = big.classNamed("Big");
    ASSERT_EQ(tag.data.size(), static_cast<std::size_t>(kMembers));
    for (int i = 0; i < kMembers; ++i) {
        EXPECT_EQ(tag.data[i].type, "Type" + std::to_string(i) + (i % 2 == 0 ? "*" : "&")) << i;
    }
}

// Random token soup and every cut of a real-looking header: the lenient
// parse always ends, whatever it is given.
TEST(Lenient, RecoveryEndsOnTokenSoupAndTruncatedHeaders) {
    const char* const pieces[] = {"class ", "struct ", "{ ", "} ", "; ", "( ", ") ", "< ", "> ", ":: ",
                                  "std", "x ", "int ", "* ", "& ", ", ", "= ", "template ", "typename ",
                                  "namespace ", "using ", "enum ", ": ", "public ", "0 ", "\"s\" ",
                                  "[[ ", "]] ", "noexcept ", "/*{ ", "}*/ ", "operator ", "~ ", "virtual "};
    std::mt19937 random(12);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
    for (int round = 0; round < 200; ++round) {
        std::string soup;
        for (int i = 0; i < 60; ++i) soup += pieces[pick(random)];
        ParsedText parsed(soup, false, true);
        EXPECT_GE(parsed.result, 0) << soup;
        EXPECT_LE(parsed.result, 2) << soup;
    }
    const std::string header = "namespace lib {\n"
                               "template<typename T> class Holder { T value_; };\n"
                               "class LIB_EXPORT Peer : public ::lib::Base {\n"
                               "public:\n"
                               "  std::map<std::string, Peer*> table;\n"
                               "  void f(int a = 1) const noexcept { if (a) { } }\n"
                               "  INT16 x, y;\n"
                               "};\n"
                               "}\n";
    for (std::size_t cut = 0; cut < header.size(); cut += 3) {
        ParsedText parsed(header.substr(0, cut), false, true);
        EXPECT_LE(parsed.result, 2);
    }
    ParsedText whole(header, false, true);
    EXPECT_EQ(whole.result, 0);
    EXPECT_EQ(membersOf(whole.classNamed("Peer")),
              "std::map<std::string, Peer*> table; INT16 x; INT16 y; f(); ");
}

}  // namespace
}  // namespace zivrat::test
