// End-to-end runs that record inputs in the class database (-b, -a, -g)
// across several invocations, and a rebuild in the same run (-i).
#include <gtest/gtest.h>

#include <cstdio>

#include "common/run_zivrat.h"
#include "common/temp_dir.h"

namespace zivrat::test {
namespace {

const char* const kAlreadyPresent = "SYSTEM Error : DataBase file 'dico.dat' already present\n";

class DatabaseRuns : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("x.h", "class Shape {\npublic:\n  int area();\n};\n");
        dir.write("y.h", "struct Point {\n  int x;\n};\n");
    }

    RunResult run(const std::vector<std::string>& args) { return runZivrat(dir.path(), args); }

    TempDir dir;
};

TEST_F(DatabaseRuns, BuildingRefusesAnExistingDatabase) {
    for (const char* build : {"-b", "-g"}) {
        std::remove(dir.file("dico.dat").c_str());
        RunResult first = run({build, "-P", "x.h"});
        EXPECT_EQ(first.err, "") << build;
        EXPECT_EQ(first.status, 0) << build;
        ASSERT_TRUE(dir.exists("dico.dat")) << build;
        const std::string built = dir.read("dico.dat");

        RunResult again = run({build, "-P", "y.h"});
        EXPECT_EQ(again.err, kAlreadyPresent) << build;
        EXPECT_EQ(again.status, 255) << build;
        EXPECT_EQ(dir.read("dico.dat"), built) << build;
    }
}

TEST_F(DatabaseRuns, TheSecondInputOfABuildFindsTheFileOfTheFirst) {
    RunResult both = run({"-b", "-P", "x.h", "y.h"});
    EXPECT_EQ(both.err, kAlreadyPresent);
    EXPECT_EQ(both.status, 255);
    EXPECT_NE(both.out.find("y.h\nparsing ...\n"), std::string::npos);
    EXPECT_TRUE(dir.exists("dico.dat"));
}

TEST_F(DatabaseRuns, AddingWorksWithOrWithoutAFile) {
    RunResult created = run({"-a", "-P", "x.h"});
    EXPECT_EQ(created.err, "");
    EXPECT_EQ(created.status, 0);
    RunResult added = run({"-a", "-P", "y.h", "x.h"});
    EXPECT_EQ(added.err, "");
    EXPECT_EQ(added.status, 0);
    EXPECT_FALSE(dir.exists("dico.dat-journal"));
}

TEST_F(DatabaseRuns, ARebuildAfterTheInputsOfTheSameRun) {
    dir.makeDirectory("db");
    RunResult run = this->run({"-a", "-i", "-lb", "db", "-P", "x.h", "y.h"});
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
    std::size_t lastAdd = run.out.rfind("DataBase :\n");
    std::size_t rebuild = run.out.find("rebuild :\n");
    ASSERT_NE(lastAdd, std::string::npos);
    EXPECT_GT(rebuild, lastAdd);
    EXPECT_TRUE(dir.exists("db/dico.dat"));
}

}  // namespace
}  // namespace zivrat::test
