// End-to-end runs of the index rebuild (-i) over class databases made by
// the test: missing, good, damaged and left half-updated.
#include <gtest/gtest.h>

#include <unistd.h>

#include "common/console_texts.h"
#include "common/child_process.h"
#include "common/run_zivrat.h"
#include "common/temp_dir.h"
#include "database/btree_on_disk.h"
#include "support/text_set.h"

namespace zivrat::test {
namespace {

const std::string kHead = kConsoleHead + "rebuild :\n";

void storeClasses(const std::string& path, const std::vector<std::string>& names,
                  const std::string& library = "misc") {
    yBTreeOnDisk database;
    database.open(path);
    for (const std::string& name : names) {
        VarDB record;
        record.pageFile = name + ".html";
        record.library = library;
        record.sourcePath = "/inc/" + name + ".h";
        database.insertIfAbsent(name, record);
    }
    database.close();
}

TEST(DatabaseRebuild, AMissingDatabaseEndsTheRun) {
    TempDir dir;
    RunResult run = runZivrat(dir.path(), {"-i"});
    EXPECT_EQ(run.out, kHead + "SYSTEM Error : DataBase file 'dico.dat' is not present\n\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 255);
    EXPECT_FALSE(dir.exists("dico.dat"));
}

TEST(DatabaseRebuild, TheDatabaseDirectoryStandsRightAfterTheWords) {
    TempDir dir;
    dir.makeDirectory("db");
    RunResult run = runZivrat(dir.path(), {"-lb", "db", "-i"});
    EXPECT_EQ(run.out, kHead + "SYSTEM Error : DataBase filedb/ 'dico.dat' is not present\n\n");
    EXPECT_EQ(run.status, 255);
}

TEST(DatabaseRebuild, TheIndexAndLibraryPagesListEveryRecordedClass) {
    TempDir dir;
    dir.makeDirectory("db");
    dir.makeDirectory("out");
    storeClasses(dir.file("db/dico.dat"), {"Shape", "Circle", "Arc"}, "geometry");
    storeClasses(dir.file("db/dico.dat"), {"Stack", "Arc"}, "containers");
    std::string before = dir.read("db/dico.dat");
    RunResult run = runZivrat(dir.path(), {"-lbdb", "-lo", "out", "-i"});

    TextSet libraries;
    libraries.add("geometry");
    libraries.add("containers");
    std::string lines;
    for (const std::string& name : libraries.inOrder()) lines += "lib : " + name + "\n";
    EXPECT_EQ(run.out, kHead + lines + "\nOk\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(dir.read("db/dico.dat"), before);

    std::string index = dir.read("out/index.html");
    EXPECT_NE(index.find("<a href=\"geometry.html\">geometry</a>"), std::string::npos);
    EXPECT_NE(index.find("<a href=\"containers.html\">containers</a>"), std::string::npos);
    // The first record of Arc holds: it is a geometry class.
    std::string geometry = dir.read("out/geometry.html");
    std::size_t arc = geometry.find(">Arc</a>");
    std::size_t circle = geometry.find(">Circle</a>");
    std::size_t shape = geometry.find(">Shape</a>");
    EXPECT_LT(arc, circle);
    EXPECT_LT(circle, shape);
    EXPECT_NE(shape, std::string::npos);
    std::string containers = dir.read("out/containers.html");
    EXPECT_NE(containers.find(">Stack</a>"), std::string::npos);
    EXPECT_EQ(containers.find(">Arc</a>"), std::string::npos);
}

TEST(DatabaseRebuild, ADamagedDatabaseIsReportedAndKept) {
    TempDir dir;
    storeClasses(dir.file("dico.dat"), {"Shape"});
    std::string damaged = dir.read("dico.dat");
    damaged[12] = '\x34';  // the magic number of the older form
    dir.write("dico.dat", damaged);
    RunResult run = runZivrat(dir.path(), {"-i"});
    EXPECT_EQ(run.out, kHead + "\n");
    EXPECT_EQ(run.err, "[MAGIC] Bad magic number: 4660 (should be 4661)\n");
    EXPECT_EQ(run.status, 255);
    EXPECT_EQ(dir.read("dico.dat"), damaged);
}

TEST(DatabaseRebuild, AFileLeftHalfCreatedDoesNotCount) {
    TempDir dir;
    // A first add step killed before its commit ends: the journal that marks
    // the file as new, and part of the file.
    runInChildProcess([&] {
        yBTreeOnDisk database;
        database.open(dir.file("dico.dat"));
        database.insertIfAbsent("Shape", VarDB());
        _exit(0);
    });
    ASSERT_TRUE(dir.exists("dico.dat"));
    ASSERT_TRUE(dir.exists("dico.dat-journal"));
    RunResult run = runZivrat(dir.path(), {"-i"});
    EXPECT_EQ(run.out, kHead + "SYSTEM Error : DataBase file 'dico.dat' is not present\n\n");
    EXPECT_EQ(run.err, "WARNING : dico.dat: the changes of an update that did not finish "
                       "were undone\n");
    EXPECT_FALSE(dir.exists("dico.dat"));
    EXPECT_FALSE(dir.exists("dico.dat-journal"));
}

}  // namespace
}  // namespace zivrat::test
