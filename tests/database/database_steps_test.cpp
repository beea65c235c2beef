// The add step and the index rebuild on models made by hand.
#include "database/database.h"

#include <gtest/gtest.h>

#include "common/run_state.h"
#include "common/temp_dir.h"
#include "database/btree_on_disk.h"
#include "database_files.h"
#include "driver/run.h"
#include "ground/settings.h"
#include "model/model.h"
#include "support/paths.h"
#include "support/text_set.h"

namespace zivrat::test {
namespace {

class DatabaseStepsTest : public RunStateTest {
protected:
    void SetUp() override {
        RunStateTest::SetUp();
        runSettings().buildDatabase = true;
        runSettings().databasePath = dir.path() + "/";
        runSettings().htmlPath = dir.path() + "/";
        runSettings().docPath = dir.path() + "/";
    }

    ClassTag& addClass(const std::string& name, const std::string& library = "misc",
                       const std::string& sourcePath = "/inc/shapes.h") {
        auto tag = std::make_unique<ClassTag>();
        tag->name = name;
        tag->pageFile = name + ".html";
        tag->library = library;
        tag->sourcePath = sourcePath;
        tag->sourceFile = sourcePath.empty() ? "" : baseNameOf(sourcePath);
        return docModel().addClass(std::move(tag));
    }

    // Runs a step and returns what it wrote on the console and its failure.
    template <typename Step>
    std::pair<std::string, std::string> run(Step step) {
        testing::internal::CaptureStdout();
        std::string failure = failureOf(step);
        return {testing::internal::GetCapturedStdout(), failure};
    }

    // Runs an add step over the model, then empties the model.
    std::pair<std::string, std::string> addStep() {
        auto result = run(addModelToDatabase);
        docModel().clear();
        return result;
    }

    std::map<std::string, VarDB> records() {
        std::map<std::string, VarDB> all;
        yBTreeOnDisk database;
        database.open(path);
        database.visitAll([&](const std::string& key, const VarDB& record) { all[key] = record; });
        database.close();
        return all;
    }

    TempDir dir;
    const std::string path = dir.file("dico.dat");
    const std::pair<std::string, std::string> addedOk{"DataBase :\n", ""};
};

TEST_F(DatabaseStepsTest, TheAddStepRecordsEveryNamedClass) {
    ClassTag& shape = addClass("Shape", "geo");
    shape.kind = Struct;
    shape.data.resize(3);
    shape.data[1].access = Protected;
    shape.functions.resize(2);
    shape.functions[0].access = Private;
    addClass(kAnonymousClassName, "", "");
    addClass("Point", "geo", "");  // no source file: the page of its own name

    EXPECT_EQ(addStep(), addedOk);
    auto all = records();
    ASSERT_EQ(all.size(), 2u);
    const VarDB& record = all["Shape"];
    EXPECT_EQ(record.sourcePage, "shapes.h.html");
    EXPECT_EQ(record.pageFile, "Shape.html");
    EXPECT_EQ(record.library, "geo");
    EXPECT_EQ(record.sourcePath, "/inc/shapes.h");
    EXPECT_EQ(record.kind, static_cast<std::uint32_t>(Struct));
    const MemberCounters& counts = record.counters;
    EXPECT_EQ(counts.publicData, 2u);
    EXPECT_EQ(counts.protectedData, 1u);
    EXPECT_EQ(counts.privateData, 0u);
    EXPECT_EQ(counts.publicFunctions, 1u);
    EXPECT_EQ(counts.privateFunctions, 1u);
    EXPECT_EQ(all["Point"].sourcePage, "Point.html");
}

TEST_F(DatabaseStepsTest, BuildingRefusesAnExistingFileAtEveryStep) {
    addClass("Shape");
    EXPECT_EQ(addStep(), addedOk);
    const Bytes built = fileBytes(path);

    addClass("Circle");
    EXPECT_EQ(addStep(), std::make_pair(std::string("DataBase :\n"),
                                        std::string("DataBase file 'dico.dat' already present\n")));
    EXPECT_EQ(fileBytes(path), built);
    int level = -1;
    run([&] {
        try {
            addModelToDatabase();
        } catch (const yError& error) {
            level = error.level();
        }
    });
    EXPECT_EQ(level, kSystem);
}

TEST_F(DatabaseStepsTest, AddingKeepsTheFirstRecordOfAName) {
    runSettings().addToDatabase = true;
    addClass("Shape", "geo");
    EXPECT_EQ(addStep(), addedOk);
    // A later input with the same class in another library, twice.
    addClass("Shape", "other");
    addClass("Circle", "first");
    addClass("Circle", "second");
    EXPECT_EQ(addStep(), addedOk);
    auto all = records();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all["Shape"].library, "geo");
    EXPECT_EQ(all["Circle"].library, "first");
}

TEST_F(DatabaseStepsTest, AddingCreatesAMissingFile) {
    runSettings().addToDatabase = true;
    addClass("Shape");
    EXPECT_EQ(addStep(), addedOk);
    EXPECT_EQ(records().size(), 1u);
}

TEST_F(DatabaseStepsTest, AFileThatCannotBeCreated) {
    runSettings().databasePath = dir.path() + "/missing/";
    addClass("Shape");
    EXPECT_EQ(addStep(), std::make_pair(std::string("DataBase :\n"),
                                        "ybtondsk(150): can't open file " + dir.path() +
                                            "/missing/dico.dat\n"));
}

TEST_F(DatabaseStepsTest, TheRebuildNeedsTheFile) {
    dir.makeDirectory("db");
    runSettings().databasePath = dir.path() + "/db/";
    EXPECT_EQ(run(rebuildIndexesFromDatabase),
              std::make_pair(std::string("rebuild :\n"),
                             "DataBase file" + dir.path() + "/db/ 'dico.dat' is not present\n"));
    EXPECT_FALSE(dir.exists("db/dico.dat"));
}

TEST_F(DatabaseStepsTest, AFileWhoseTreeCannotBeSetUp) {
    storeKeys(path, {"Shape"});
    Bytes bytes = fileBytes(path);
    setWord(bytes, 282 + 16, 0);  // key length
    writeBytes(path, bytes);
    const std::string cantOpen = "Can't open 'dico.dat'\n";
    runSettings().addToDatabase = true;
    EXPECT_EQ(addStep().second, cantOpen);
    EXPECT_EQ(run(rebuildIndexesFromDatabase).second, cantOpen);
    EXPECT_EQ(fileBytes(path), bytes);
}

TEST_F(DatabaseStepsTest, ADamagedFileFailsTheStepAndStaysAsItIs) {
    storeKeys(path, {"Shape"});
    Bytes bytes = fileBytes(path);
    bytes[12] = 0;
    writeBytes(path, bytes);
    runSettings().addToDatabase = true;
    addClass("Circle");
    EXPECT_EQ(addStep().second, "[MAGIC] Bad magic number: 4608 (should be 4661)\n");
    EXPECT_EQ(fileBytes(path), bytes);
}

TEST_F(DatabaseStepsTest, TheRebuildRefillsTheModelInKeyOrder) {
    runSettings().addToDatabase = true;
    addClass("Zeta", "geo", "/inc/shapes.h").kind = Union;
    addClass("Alpha", "misc", "/src/alpha.cpp");
    addClass("Mid", "geo", "/inc/shapes.h");
    addClass("Loose", "misc", "/doc/README");  // a path of no file kind
    EXPECT_EQ(addStep(), addedOk);

    yBTreeOnDisk database;
    ASSERT_TRUE(database.open(path));
    DocModel& model = docModel();
    TextSet libraries;
    fillModelFromDatabase(database, model, libraries);
    database.close();

    std::vector<std::string> names;
    for (const auto& tag : model.classes) names.push_back(tag->name);
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "Loose", "Mid", "Zeta"}));
    EXPECT_EQ(libraries.size(), 2u);
    EXPECT_TRUE(libraries.contains("geo"));
    EXPECT_TRUE(libraries.contains("misc"));

    const ClassTag& zeta = *model.classes[3];
    EXPECT_EQ(zeta.kind, static_cast<std::uint32_t>(Union));
    EXPECT_EQ(zeta.pageFile, "Zeta.html");
    EXPECT_EQ(zeta.library, "geo");
    EXPECT_TRUE(zeta.sourcePath.empty());
    EXPECT_TRUE(zeta.authors.empty());

    FileTag* alpha = model.fileTables[SourceCpp].find("/src/alpha.cpp", SourceCpp);
    ASSERT_NE(alpha, nullptr);
    EXPECT_EQ(alpha->baseName, "alpha.cpp");
    // "Loose" has no file of its own: it joins the file current before it.
    ASSERT_EQ(alpha->classes.size(), 2u);
    EXPECT_EQ(alpha->classes[1]->name, "Loose");
    FileTag* shapes = model.fileTables[HeaderH].find("/inc/shapes.h", HeaderH);
    ASSERT_NE(shapes, nullptr);
    EXPECT_EQ(shapes->classes.size(), 2u);
    EXPECT_EQ(model.currentFile, shapes);
}

TEST_F(DatabaseStepsTest, TheRebuildStepWritesThePagesAndLeavesAnEmptyModel) {
    addClass("Shape");
    EXPECT_EQ(addStep(), addedOk);
    const Bytes built = fileBytes(path);
    EXPECT_EQ(run(rebuildIndexesFromDatabase),
              std::make_pair(std::string("rebuild :\nlib : misc\n"), std::string()));
    EXPECT_TRUE(dir.exists("index.html"));
    EXPECT_NE(dir.read("misc.html").find(">Shape</a>"), std::string::npos);
    EXPECT_TRUE(docModel().classes.empty());
    EXPECT_EQ(fileBytes(path), built);
}

}  // namespace
}  // namespace zivrat::test
