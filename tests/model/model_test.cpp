// The model's rules: file kinds, file identity and duplicate marks, page
// and library names, access tags, and what a clear keeps.
#include "model/model.h"

#include <gtest/gtest.h>

#include "common/run_state.h"

#include "ground/page_words.h"
#include "ground/settings.h"

namespace zivrat {
namespace {

class ModelTest : public test::RunStateTest {
protected:
    ClassTag& addClass(const std::string& name) {
        auto tag = std::make_unique<ClassTag>();
        tag->name = name;
        return model.addClass(std::move(tag));
    }

    DocModel model;
};

TEST_F(ModelTest, FileKindsAreSubstringTestsInOrder) {
    struct Case {
        const char* name;
        bool known;
        FileKind kind;
    } cases[] = {
        {"a.cpp", true, SourceCpp},  {"a.cxx", true, SourceCpp}, {"a.hpp", true, HeaderHpp},
        {"a.hxx", true, HeaderHpp},  {"a.c", true, SourceC},     {"a.cc", true, SourceC},
        {"a.h", true, HeaderH},      {"a.hh", true, HeaderH},    {"x.cpp.h", true, SourceCpp},
        {"my.codes", true, SourceC}, {"vector", false, HeaderH}, {"a.txt", false, HeaderH},
    };
    for (const Case& c : cases) {
        FileKind kind = HeaderH;
        EXPECT_EQ(fileKindOf(c.name, kind), c.known) << c.name;
        if (c.known) {
            EXPECT_EQ(kind, c.kind) << c.name;
        }
    }
}

TEST_F(ModelTest, FilesAreIdentifiedByPathAndKind) {
    FileTag* first = model.findOrCreateFile("list.h", "a/list.h");
    FileTag* again = model.findOrCreateFile("list.h", "a/list.h");
    EXPECT_EQ(first, again);
    EXPECT_EQ(first->duplicateMark, 0u);
    FileTag* other = model.findOrCreateFile("list.h", "b/list.h");
    EXPECT_NE(first, other);
    EXPECT_EQ(first->duplicateMark, 1u);  // the earlier file is marked
    EXPECT_EQ(other->duplicateMark, 0u);
    EXPECT_EQ(model.fileTables[HeaderH].size(), 2u);
    EXPECT_EQ(model.findOrCreateFile("vector", "inc/vector"), nullptr);
    EXPECT_TRUE(model.hasFiles());
}

TEST_F(ModelTest, PageFilesAndShortNamesRunOverTheWholeRun) {
    EXPECT_EQ(makePageFile(model, "A<T>"), "A_T_.html");
    runSettings().shortNames = true;
    EXPECT_EQ(makePageFile(model, "A"), "doc0.htm");
    EXPECT_EQ(makePageFile(model, "B"), "doc1.htm");
    model.clear();
    EXPECT_EQ(makePageFile(model, "C"), "doc2.htm");  // the clear keeps the counter
}

TEST_F(ModelTest, LibraryComesFromTheFirstMatchingPattern) {
    EXPECT_EQ(libraryFor("Anything"), "misc");
    configuration().words.generatorLibDefaultName = "base";
    configuration().libraryTypeList.push_back({Pattern("^Gui"), "gui"});
    configuration().libraryTypeList.push_back({Pattern("Button"), "buttons"});
    EXPECT_EQ(libraryFor("GuiButton"), "gui");
    EXPECT_EQ(libraryFor("MyButton"), "buttons");
    EXPECT_EQ(libraryFor("Other"), "base");
    configuration().libraryTypeList.push_back({Pattern("[x"), "bad"});
    EXPECT_THROW(libraryFor("Other"), PatternFailure);
}

TEST_F(ModelTest, AccessTags) {
    EXPECT_EQ(accessTagFor(kNoAccessWritten, false, Class), PrivateBase);
    EXPECT_EQ(accessTagFor(kNoAccessWritten, false, Struct), PublicBase);
    EXPECT_EQ(accessTagFor(kNoAccessWritten, false, Union), PublicBase);
    EXPECT_EQ(accessTagFor(kNoAccessWritten, true, Class), VirtualPrivateBase);
    EXPECT_EQ(accessTagFor(kNoAccessWritten, true, Struct), VirtualPublicBase);
    EXPECT_EQ(accessTagFor(Protected, true, Struct), VirtualProtectedBase);
    EXPECT_EQ(accessTagFor(Public, false, Class), PublicBase);
}

TEST_F(ModelTest, AbstractTestAndCounters) {
    ClassTag& tag = addClass("Shape");
    EXPECT_FALSE(tag.isAbstract());
    FunctionTag area;
    area.access = Private;
    area.isPure = true;
    tag.functions.push_back(area);
    tag.functions.push_back(FunctionTag());
    DataTag member;
    member.access = Protected;
    tag.data.push_back(member);
    EXPECT_TRUE(tag.isAbstract());
    MemberCounters counts = tag.counters();
    EXPECT_EQ(counts.privateFunctions, 1u);
    EXPECT_EQ(counts.publicFunctions, 1u);
    EXPECT_EQ(counts.protectedData, 1u);
    EXPECT_EQ(counts.publicData, 0u);
}

TEST_F(ModelTest, ClassesGoToTheCurrentFileAndTheFirstRegisteredWins) {
    model.currentFile = model.findOrCreateFile("a.h", "a.h");
    ClassTag& first = addClass("Point");
    ClassTag& anonymous = addClass(kAnonymousClassName);
    addClass("Point");
    EXPECT_EQ(model.findClass("Point"), &first);
    EXPECT_EQ(model.currentFile->classes.size(), 3u);
    model.renameClass(anonymous, "Size");
    EXPECT_EQ(model.findClass("Size"), &anonymous);
    model.renameClass(first, "Old");
    EXPECT_EQ(model.findClass("Point"), model.classes[2].get());
    EXPECT_EQ(model.findClass("Missing"), nullptr);
    // An earlier class renamed to a later one's name takes the name over;
    // the later one renamed again leaves it with the earlier one.
    model.renameClass(first, "Point");
    EXPECT_EQ(model.findClass("Point"), &first);
    model.renameClass(*model.classes[2], "Later");
    EXPECT_EQ(model.findClass("Point"), &first);
    EXPECT_EQ(model.findClass("Later"), model.classes[2].get());
    EXPECT_EQ(model.findClass(std::string("Old")), nullptr);
}

TEST_F(ModelTest, KnownNamesAndClearing) {
    resetKnownTypeNames(model);
    EXPECT_TRUE(model.knownTypeNames.contains("long double"));
    EXPECT_TRUE(model.knownTypeNames.contains("wchar_t"));
    EXPECT_EQ(model.knownTypeNames.size(), 12u);
    model.knownTypeNames.addFront(kAnonymousClassName);
    model.knownTypeNames.renameFront("Point");
    EXPECT_FALSE(model.knownTypeNames.contains(kAnonymousClassName));
    EXPECT_EQ(*model.knownTypeNames.front(), "Point");
    model.knownTypeNames.addFront("Point");
    model.knownTypeNames.dropFront();
    EXPECT_TRUE(model.knownTypeNames.contains("Point"));  // one copy is left

    model.currentFile = model.findOrCreateFile("a.h", "a.h");
    model.currentClass = &addClass("A");
    model.pushClass();
    model.commentTexts.hasAuthors = true;
    model.clear();
    EXPECT_TRUE(model.classes.empty());
    EXPECT_FALSE(model.hasFiles());
    EXPECT_TRUE(model.classStack.empty());
    EXPECT_EQ(model.knownTypeNames.size(), 0u);
    EXPECT_EQ(model.currentClass, nullptr);
    EXPECT_EQ(model.currentFile, nullptr);
    EXPECT_TRUE(model.commentTexts.hasAuthors);  // authors carry over
    model.popClass();  // an empty stack leaves the current class
}

TEST_F(ModelTest, CurrentAuthorAndVersionTexts) {
    EXPECT_EQ(currentAuthorText(model), "nobody");
    EXPECT_EQ(currentVersionText(model), "unknown");
    configuration().words.commentAuthorNobody = "personne";
    EXPECT_EQ(currentAuthorText(model), "personne");
    model.commentTexts = {true, "ann,bob", true, "1.2"};
    EXPECT_EQ(currentAuthorText(model), "ann,bob");
    EXPECT_EQ(currentVersionText(model), "1.2");
}

}  // namespace
}  // namespace zivrat
