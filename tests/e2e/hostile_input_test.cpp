// Runs over configurations and databases that are damaged or hostile: no
// page is written outside the output folder, and configuration items reach
// the preprocessor only as definitions and include folders.
#include <gtest/gtest.h>

#include "common/run_zivrat.h"
#include "common/temp_dir.h"
#include "database/btree_on_disk.h"
#include "database/disk_file.h"

namespace zivrat::test {
namespace {

// The configuration with the first value of the key replaced.
std::string withValue(std::string ini, const std::string& key, const std::string& value) {
    std::string line = key + " = \"";
    std::size_t at = ini.find(line);
    std::size_t end = ini.find('"', at + line.size());
    ini.replace(at, end + 1 - at, line + value + "\"");
    return ini;
}

// The sample configuration with one value replaced.
std::string configurationWith(const std::string& key, const std::string& value) {
    return withValue(readFile(sourceDirectory() + "/config/zivrat.ini"), key, value);
}

class PageNamesFromData : public ::testing::Test {
protected:
    void SetUp() override {
        root.makeDirectory("work/out");
        root.write("work/a.h", "class A { int x; };\n");
    }

    RunResult run(const std::vector<std::string>& args) { return runZivrat(work, args); }

    TempDir root;
    const std::string work = root.file("work");
};

TEST_F(PageNamesFromData, AFirstPageNameLeadingOutIsRefused) {
    root.write("work/zivrat.ini", configurationWith("generator.firstpage", "../../escaped.html"));
    RunResult result = run({"-lo", "out", "a.h"});
    EXPECT_FALSE(root.exists("escaped.html"));
    EXPECT_EQ(result.err,
              "SYSTEM Error : page '../../escaped.html' would be written outside the output "
              "folder: refused\n");
    EXPECT_EQ(result.out.find("Ok"), std::string::npos);
    EXPECT_EQ(result.status, 255);
}

TEST_F(PageNamesFromData, AnAbsoluteFirstPageNameIsRefused) {
    root.write("work/zivrat.ini", configurationWith("generator.firstpage", root.file("abs.html")));
    RunResult result = run({"-lo", "out", "a.h"});
    EXPECT_FALSE(root.exists("abs.html"));
    EXPECT_EQ(result.status, 255);
}

TEST_F(PageNamesFromData, ConfiguredLibraryNamesLeadingOutAreRefused) {
    root.write("work/zivrat.ini", configurationWith("generator.lib.default.name", "../lost"));
    EXPECT_EQ(run({"-lo", "out", "a.h"}).status, 255);
    EXPECT_FALSE(root.exists("work/lost.html"));

    root.write("work/zivrat.ini", withValue(configurationWith("generator.lib.type", "^A"),
                                            "generator.lib.name", "x/../../lost"));
    EXPECT_EQ(run({"-lo", "out", "a.h"}).status, 255);
    EXPECT_FALSE(root.exists("work/lost.html"));
}

TEST_F(PageNamesFromData, NamesThatStayInsideAreWritten) {
    root.makeDirectory("work/out/sub");
    root.write("work/zivrat.ini", configurationWith("generator.firstpage", "sub/..index.html"));
    RunResult result = run({"-lo", "out", "a.h"});
    EXPECT_TRUE(root.exists("work/out/sub/..index.html"));
    EXPECT_EQ(result.status, 0);
}

TEST_F(PageNamesFromData, ALibraryNameFromTheDatabaseLeadingOutIsRefused) {
    {
        yBTreeOnDisk database;
        database.open(root.file("work/dico.dat"));
        VarDB record;
        record.pageFile = "A.html";
        record.library = "../../lost";
        database.insertIfAbsent("A", record);
        database.close();
    }
    RunResult result = run({"-lo", "out", "-i"});
    EXPECT_FALSE(root.exists("lost.html"));
    EXPECT_NE(result.out.find("SYSTEM Error : page '../../lost.html' would be written outside "
                              "the output folder: refused\n"),
              std::string::npos);
    EXPECT_EQ(result.out.find("Ok"), std::string::npos);
    EXPECT_EQ(result.status, 255);
}

TEST(ForgedJournal, TheRebuildEndsAndTheDatabaseStaysAsItIs) {
    TempDir dir;
    {
        yBTreeOnDisk database;
        database.open(dir.file("dico.dat"));
        database.insertIfAbsent("A", VarDB());
        database.close();
    }
    std::string before = dir.read("dico.dat");
    Journal forged;
    forged.storedSize = 256u << 20;
    std::vector<std::uint8_t> bytes = encodeJournal(forged);
    dir.write("dico.dat-journal", std::string(bytes.begin(), bytes.end()));
    RunResult run = runZivrat(dir.path(), {"-i"});
    EXPECT_EQ(run.err, "[JOURNAL] dico.dat-journal does not belong to dico.dat: both are left as "
                       "they are (remove the journal to use the file)\n");
    EXPECT_EQ(run.out.find("Ok"), std::string::npos);
    EXPECT_EQ(dir.read("dico.dat"), before);
    EXPECT_TRUE(dir.exists("dico.dat-journal"));
}

TEST(ConfigurationPreprocessorItems, ItemsThatAreNoDefinitionsAreDropped) {
    TempDir dir;
    dir.write("zivrat.ini",
              withValue(configurationWith("generator.preprocessor.define", "o -DSIZE=4 -DTWO"),
                        "generator.preprocessor.include", "-Iinc -P"));
    dir.write("inc/b.h", "class B {};\n");
    dir.write("a.h", "#include <b.h>\nclass A { int x[SIZE + TWO]; };\n");
    RunResult run = runZivrat(dir.path(), {"-1", "-K", "a.h"});
    EXPECT_FALSE(dir.exists("-o"));
    EXPECT_NE(run.out.find("Zivrat Warning : generator.preprocessor.define item '-o' is neither a "
                           "definition nor an include folder: ignored\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("Zivrat Warning : generator.preprocessor.include item '-P' is neither "
                           "a definition nor an include folder: ignored\n"),
              std::string::npos);
    std::string preprocessed = dir.read("zvpp0.$$$");
    EXPECT_NE(preprocessed.find("class A { int x[4 + 1]; };"), std::string::npos);
    EXPECT_NE(preprocessed.find("class B {};"), std::string::npos);
    EXPECT_NE(run.out.find("Ok"), std::string::npos);
    EXPECT_EQ(run.status, 0);
}

}  // namespace
}  // namespace zivrat::test
