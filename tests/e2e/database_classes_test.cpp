// End-to-end runs that record the classes of real headers in dico.dat over
// several invocations, read the file back with the database's own reader,
// and rebuild the index and library pages from it.
#include <gtest/gtest.h>

#include <map>

#include "common/run_zivrat.h"
#include "common/temp_dir.h"
#include "database/btree_on_disk.h"

namespace zivrat::test {
namespace {

// Shape has 1, 2 and 3 data members and 4, 5 and 6 member functions in its
// public, protected and private sections; an anonymous struct that no
// typedef names is on no page and in no record.
const char* const kShapes =
    "class Shape {\n"
    "public:\n"
    "  int a;\n"
    "  int area(); int width(); int height(); void draw(int x);\n"
    "protected:\n"
    "  int b; int c;\n"
    "  void p1(); void p2(); void p3(); void p4(); void p5();\n"
    "private:\n"
    "  int d; int e; int f;\n"
    "  void q1(); void q2(); void q3(); void q4(); void q5(); void q6();\n"
    "};\n"
    "struct { int z; } anonymous;\n"
    "typedef struct { int q; } Named;\n"
    "union Value { int i; float f; };\n";

// Circle is new; Shape comes again with other members.
const char* const kCircles =
    "class Circle { public: double r; };\n"
    "class Arc {};\n"
    "class Shape { public: int sides(); };\n";

const char* const kAlreadyPresent = "SYSTEM Error : DataBase file 'dico.dat' already present\n";

// Gives an empty key of the configuration text a value.
void setEmptyKey(std::string& ini, const std::string& key, const std::string& value) {
    const std::string empty = key + " = \"\"";
    std::size_t at = ini.find(empty);
    ASSERT_NE(at, std::string::npos) << key;
    ini.replace(at, empty.size(), key + " = \"" + value + "\"");
}

// The configuration of the sample file, with Shape, Circle and Arc in the
// library "geometry".
std::string geometryConfiguration() {
    std::string ini = readFile(sourceDirectory() + "/config/zivrat.ini");
    setEmptyKey(ini, "generator.lib.type", "Shape,Circle,Arc");
    setEmptyKey(ini, "generator.lib.name", "geometry,geometry,geometry");
    return ini;
}

std::map<std::string, VarDB> recordsOf(const std::string& path) {
    std::map<std::string, VarDB> records;
    yBTreeOnDisk database;
    if (!database.open(path)) return records;
    database.visitAll([&](const std::string& key, const VarDB& record) { records[key] = record; });
    database.close();
    return records;
}

std::vector<std::string> keysOf(const std::map<std::string, VarDB>& records) {
    std::vector<std::string> keys;
    for (const auto& entry : records) keys.push_back(entry.first);
    return keys;
}

VarDB record(const std::string& sourcePage, const std::string& pageFile, const std::string& library,
             const std::string& sourcePath, std::uint32_t kind, const MemberCounters& counters) {
    VarDB record;
    record.sourcePage = sourcePage;
    record.pageFile = pageFile;
    record.library = library;
    record.sourcePath = sourcePath;
    record.kind = kind;
    record.counters = counters;
    return record;
}

void expectSameRecord(const VarDB& actual, const VarDB& expected) {
    EXPECT_EQ(actual.sourcePage, expected.sourcePage);
    EXPECT_EQ(actual.pageFile, expected.pageFile);
    EXPECT_EQ(actual.library, expected.library);
    EXPECT_EQ(actual.sourcePath, expected.sourcePath);
    EXPECT_EQ(actual.kind, expected.kind);
    const MemberCounters& a = actual.counters;
    const MemberCounters& e = expected.counters;
    EXPECT_EQ((std::vector<std::uint32_t>{a.publicData, a.protectedData, a.privateData,
                                          a.publicFunctions, a.protectedFunctions,
                                          a.privateFunctions}),
              (std::vector<std::uint32_t>{e.publicData, e.protectedData, e.privateData,
                                          e.publicFunctions, e.protectedFunctions,
                                          e.privateFunctions}));
}

std::size_t countOf(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// Each part is in the text, after the one before it.
void expectInOrder(const std::string& text, const std::vector<std::string>& parts) {
    std::size_t from = 0;
    for (const std::string& part : parts) {
        std::size_t at = text.find(part, from);
        ASSERT_NE(at, std::string::npos) << part;
        from = at + part.size();
    }
}

TEST(DatabaseClasses, ABuildRecordsEachNamedClassWithItsFields) {
    TempDir dir;
    dir.write("inc/shapes.h", kShapes);
    RunResult run = runZivrat(dir.path(), {"-b", "inc/shapes.h"});
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
    std::map<std::string, VarDB> records = recordsOf(dir.file("dico.dat"));
    EXPECT_EQ(keysOf(records), (std::vector<std::string>{"Named", "Shape", "Value"}));

    expectSameRecord(records["Shape"], record("shapes.h.html", "Shape.html", "misc", "inc/shapes.h",
                                              Class, {1, 2, 3, 4, 5, 6}));
    expectSameRecord(records["Named"], record("shapes.h.html", "Named.html", "misc", "inc/shapes.h",
                                              Struct, {1, 0, 0, 0, 0, 0}));
    expectSameRecord(records["Value"], record("shapes.h.html", "Value.html", "misc", "inc/shapes.h",
                                              Union, {2, 0, 0, 0, 0, 0}));
}

TEST(DatabaseClasses, LaterRunsAddClassesButNeverChangeARecord) {
    TempDir dir;
    dir.write("shapes.h", kShapes);
    dir.write("circles.h", kCircles);
    ASSERT_EQ(runZivrat(dir.path(), {"-b", "shapes.h"}).status, 0);
    const std::string built = dir.read("dico.dat");
    const VarDB shape = recordsOf(dir.file("dico.dat"))["Shape"];

    RunResult again = runZivrat(dir.path(), {"-b", "circles.h"});
    EXPECT_EQ(again.err, kAlreadyPresent);
    EXPECT_EQ(again.status, 255);
    EXPECT_EQ(dir.read("dico.dat"), built);

    // Shape now belongs to another library and, with -S, has another page.
    dir.write("zivrat.ini", geometryConfiguration());
    RunResult added = runZivrat(dir.path(), {"-a", "-S", "circles.h"});
    EXPECT_EQ(added.err, "");
    EXPECT_EQ(added.status, 0);
    EXPECT_NE(dir.read("geometry.html").find("<a href=\"doc2.htm\">Shape</a>"), std::string::npos);

    std::map<std::string, VarDB> records = recordsOf(dir.file("dico.dat"));
    EXPECT_EQ(keysOf(records), (std::vector<std::string>{"Arc", "Circle", "Named", "Shape", "Value"}));
    expectSameRecord(records["Shape"], shape);
    expectSameRecord(records["Circle"], record("circles.h.html", "doc0.htm", "geometry", "circles.h",
                                               Class, {1, 0, 0, 0, 0, 0}));
}

// The index page and the database of one run over the shapes header.
std::pair<std::string, std::string> indexAndDatabaseOf(const std::string& option) {
    TempDir dir;
    dir.write("shapes.h", kShapes);
    RunResult run = runZivrat(dir.path(), {option, "shapes.h"}, reproducibleEnvironment());
    EXPECT_EQ(run.status, 0) << option;
    return {dir.read("index.html"), dir.read("dico.dat")};
}

TEST(DatabaseClasses, GroupwareBuildsLikeBuildAndAddsTheApplet) {
    auto [builtIndex, builtDatabase] = indexAndDatabaseOf("-b");
    auto [groupIndex, groupDatabase] = indexAndDatabaseOf("-g");
    EXPECT_FALSE(builtDatabase.empty());
    EXPECT_EQ(groupDatabase, builtDatabase);
    const std::string applet = "<applet code=Kwt.class width=60 height=30></applet>\n";
    std::size_t at = groupIndex.find(applet);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(groupIndex.erase(at, applet.size()), builtIndex);
}

TEST(DatabaseClasses, ARebuildListsTheClassesOfEveryEarlierRunInKeyOrder) {
    TempDir dir;
    dir.makeDirectory("db");
    dir.write("shapes.h", kShapes);
    dir.write("circles.h", kCircles);
    ASSERT_EQ(runZivrat(dir.path(), {"-b", "-lb", "db", "shapes.h"}).status, 0);
    dir.write("zivrat.ini", geometryConfiguration());
    ASSERT_EQ(runZivrat(dir.path(), {"-a", "-lb", "db", "circles.h"}).status, 0);
    EXPECT_FALSE(dir.exists("dico.dat"));
    for (const char* page : {"index.html", "misc.html", "geometry.html"}) {
        std::remove(dir.file(page).c_str());
    }

    RunResult rebuild = runZivrat(dir.path(), {"-lb", "db", "-i"});
    EXPECT_EQ(rebuild.err, "");
    EXPECT_EQ(rebuild.status, 0);
    EXPECT_EQ(countOf(rebuild.out, "lib : misc\n"), 1u);
    EXPECT_EQ(countOf(rebuild.out, "lib : geometry\n"), 1u);
    const std::string index = dir.read("index.html");
    EXPECT_EQ(countOf(index, "<a href=\"misc.html\">misc</a>"), 1u);
    EXPECT_EQ(countOf(index, "<a href=\"geometry.html\">geometry</a>"), 1u);

    // Shape stays in misc, where its first record put it.
    const std::string misc = dir.read("misc.html");
    expectInOrder(misc, {"Struct : <a href=\"Named.html\">Named</a>",
                         "Class : <a href=\"Shape.html\">Shape</a>",
                         "Union : <a href=\"Value.html\">Value</a>"});
    EXPECT_NE(misc.find("\n3 Classes\n"), std::string::npos);

    const std::string geometry = dir.read("geometry.html");
    expectInOrder(geometry, {"Class : <a href=\"Arc.html\">Arc</a>",
                             "Class : <a href=\"Circle.html\">Circle</a>"});
    EXPECT_EQ(geometry.find(">Shape</a>"), std::string::npos);
    EXPECT_NE(geometry.find("\n2 Classes\n"), std::string::npos);
}

}  // namespace
}  // namespace zivrat::test
