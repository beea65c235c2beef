// Companion .doc files: blocks, entries, messages, and the skeletons that
// read back onto their own members.
#include <gtest/gtest.h>

#include <memory>

#include "common/run_state.h"
#include "common/temp_dir.h"
#include "ground/settings.h"
#include "model/doc_files.h"
#include "model/model.h"

namespace zivrat::test {
namespace {

class DocFiles : public RunStateTest {
protected:
    void SetUp() override {
        RunStateTest::SetUp();
        runSettings().docPath = dir.path() + "/";
    }

    // Class Foo: int count, char* name, Foo& self; Foo(int), virtual ~Foo(),
    // int size() const, int size(int), virtual void draw() = 0.
    ClassTag& buildFoo() {
        auto tag = std::make_unique<ClassTag>();
        tag->name = "Foo";
        tag->authors = "ann";
        tag->version = "1.0";
        tag->description = "From the header.";
        tag->data = {member("int", "count", PlainShape), member("char", "name", PointerShape),
                     member("Foo", "self", ReferenceShape)};
        tag->functions = {method("", "Foo", {"int"}, Constructor),
                          method("virtual", "Foo", {}, Destructor),
                          method("int", "size", {}, Ordinary | Const),
                          method("int", "size", {"int"}, Ordinary),
                          method("virtual void", "draw", {}, Ordinary | Pure)};
        return docModel().addClass(std::move(tag));
    }

    static DataTag member(const std::string& type, const std::string& name, std::uint32_t shape) {
        DataTag data;
        data.type = type;
        data.name = name;
        data.flags = shape;
        return data;
    }

    static FunctionTag method(const std::string& returnType, const std::string& name,
                              const std::vector<std::string>& paramTypes, std::uint32_t flags) {
        FunctionTag function;
        function.returnType = returnType;
        function.name = name;
        for (const std::string& type : paramTypes) function.params.push_back(member(type, "", 0));
        function.flags = flags;
        function.isConst = (flags & Const) != 0;
        function.isPure = (flags & Pure) != 0;
        return function;
    }

    // Merges Foo's companion file at a verbose level; what the console shows.
    std::string mergeAt(ClassTag& tag, int verbose) {
        runSettings().verboseLevel = verbose;
        testing::internal::CaptureStdout();
        mergeClassDoc(tag);
        return testing::internal::GetCapturedStdout();
    }

    TempDir dir;
};

TEST_F(DocFiles, BlocksReplaceTheClassTexts) {
    ClassTag& foo = buildFoo();
    dir.write("Foo.doc", "VERSION{2.0}\nAUTHORS{bob,\ncyd}\nCOMMENT{Hand written.}\n"
                         "EXAMPLE{Foo f(1);\nf.size();}\nAUTHORS{later}");
    EXPECT_EQ(mergeAt(foo, 2), ".");
    EXPECT_EQ(foo.version, "2.0");
    EXPECT_EQ(foo.authors, "bob,\ncyd");
    EXPECT_EQ(foo.description, "Hand written.");
    EXPECT_EQ(foo.example, "Foo f(1);\nf.size();");
}

TEST_F(DocFiles, MissingBlocksEmptyTextsButAShortCommentKeepsTheDescription) {
    ClassTag& foo = buildFoo();
    dir.write("Foo.doc", "COMMENT{\n}");
    mergeAt(foo, 2);
    EXPECT_EQ(foo.authors, "");
    EXPECT_EQ(foo.version, "");
    EXPECT_EQ(foo.example, "");
    EXPECT_EQ(foo.description, "From the header.");
    // A block's text runs to the next "}", braces inside included.
    dir.write("Foo.doc", "COMMENT{if (x) { y; } else z;}");
    mergeAt(foo, 2);
    EXPECT_EQ(foo.description, "if (x) { y; ");
}

TEST_F(DocFiles, MissingFileLeavesTheClassAndSaysSoAtLevelZero) {
    ClassTag& foo = buildFoo();
    EXPECT_EQ(mergeAt(foo, 2), "");
    EXPECT_EQ(mergeAt(foo, 0),
              "Doc file for class Foo in Dir " + runSettings().docPath + " not found\n");
    EXPECT_EQ(foo.authors, "ann");
    EXPECT_EQ(foo.version, "1.0");
}

TEST_F(DocFiles, EntriesMatchBySignatureWithTheirMessages) {
    dir.write("Foo.doc",
              "[data]\n"
              "int count{Counts things.}\n"
              "char* name{<br>\n}\n"
              "Foo &self{ab}\n"
              "[function]\n"
              "int   size ( ) const {Returns the size.}\n"
              "intsize(int){ab}\n"
              "virtual ~ Foo() {<br>\n}\n"
              "virtual void draw() = 0{Draws it.}\n"
              "int size(int n){named}\n"
              "// accessors\n"
              "int size() const{Never read.}\n");
    const std::string expected =
        ".size def is less than 3 cars, in [function] of file Foo.doc\n"
        "Foo def is empty, in [function] of file Foo.doc\n"
        "Unmatch function 'intsize(intn)' in file Foo.doc\n"
        "Unmatch function '//accessorsintsize()const' in file Foo.doc\n"
        "name def is empty, in [data] of file Foo.doc\n";
    ClassTag& foo = buildFoo();
    EXPECT_EQ(mergeAt(foo, 0), expected);
    EXPECT_EQ(foo.functions[2].description, "Returns the size.");
    EXPECT_EQ(foo.functions[3].description, "");
    EXPECT_EQ(foo.functions[4].description, "Draws it.");
    EXPECT_EQ(foo.data[0].description, "Counts things.");
    EXPECT_EQ(foo.data[1].description, "");
    // The data threshold is 2 characters.
    EXPECT_EQ(foo.data[2].description, "ab");

    docModel().clear();
    ClassTag& quiet = buildFoo();
    EXPECT_EQ(mergeAt(quiet, 1), expected);
    docModel().clear();
    ClassTag& silent = buildFoo();
    EXPECT_EQ(mergeAt(silent, 2), ".");
}

TEST_F(DocFiles, EveryMemberOfAnEqualSignatureGetsTheBody) {
    ClassTag& foo = buildFoo();
    foo.functions.push_back(foo.functions[2]);
    dir.write("Foo.doc", "[function]\nint size() const{Twice.}");
    mergeAt(foo, 2);
    EXPECT_EQ(foo.functions[2].description, "Twice.");
    EXPECT_EQ(foo.functions[5].description, "Twice.");
}

TEST_F(DocFiles, FunctionSectionBeforeDataSectionAppliesNoData) {
    ClassTag& foo = buildFoo();
    dir.write("Foo.doc", "[function]\n[data]\nint count{Counted.}\n");
    EXPECT_EQ(mergeAt(foo, 0), ".Unmatch function '[data]intcount' in file Foo.doc\n");
    EXPECT_EQ(foo.data[0].description, "");
}

TEST_F(DocFiles, UnclosedBlockAndEntryAreIgnoredWithAWarning) {
    ClassTag& foo = buildFoo();
    dir.write("Foo.doc", "VERSION{3}\n[function]\nint size() const{Returns\nAUTHORS{zed\n");
    testing::internal::CaptureStderr();
    mergeAt(foo, 2);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "WARNING : Missing '}' after AUTHORS{ in file Foo.doc, ignored\n"
              "WARNING : Missing '}' after entry 'intsize()const' in file Foo.doc, ignored\n");
    EXPECT_EQ(foo.authors, "ann");
    EXPECT_EQ(foo.version, "3");
    EXPECT_EQ(foo.functions[2].description, "");
}

TEST_F(DocFiles, SkeletonOfAClass) {
    buildFoo();
    auto anonymous = std::make_unique<ClassTag>();
    anonymous->name = kAnonymousClassName;
    docModel().addClass(std::move(anonymous));
    runSettings().verboseLevel = 0;
    testing::internal::CaptureStdout();
    writeDocSkeletons();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "doc :\nGenerate doc for class : Foo, ");
    EXPECT_EQ(dir.read("Foo.doc"),
              "//\n//File description for class Foo\n//\n//\n\nVERSION{0.1}\nAUTHORS{unknow}\n"
              "COMMENT{\n}\n\n\n[data]\n\n"
              "int count{<br>\n}\n\nchar* name{<br>\n}\n\nFoo& self{<br>\n}\n\n"
              "\n[function]\n\n"
              "Foo(int) {<br>\n}\n\nvirtual ~ Foo() {<br>\n}\n\nint size() const {<br>\n}\n\n"
              "int size(int) {<br>\n}\n\nvirtual void draw() = 0{<br>\n}\n\n");
    EXPECT_FALSE(dir.exists(std::string(kAnonymousClassName) + ".doc"));
}

TEST_F(DocFiles, SkeletonReadsBackOntoItsOwnMembers) {
    ClassTag& foo = buildFoo();
    testing::internal::CaptureStdout();
    writeDocSkeletons();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(mergeAt(foo, 0),
              ".Foo def is empty, in [function] of file Foo.doc\n"
              "Foo def is empty, in [function] of file Foo.doc\n"
              "size def is empty, in [function] of file Foo.doc\n"
              "size def is empty, in [function] of file Foo.doc\n"
              "draw def is empty, in [function] of file Foo.doc\n"
              "count def is empty, in [data] of file Foo.doc\n"
              "name def is empty, in [data] of file Foo.doc\n"
              "self def is empty, in [data] of file Foo.doc\n");
    EXPECT_EQ(foo.version, "0.1");
    EXPECT_EQ(foo.authors, "unknow");
    EXPECT_EQ(foo.description, "From the header.");
}

TEST_F(DocFiles, UnwritableSkeletonIsSkipped) {
    buildFoo();
    runSettings().docPath = dir.file("missing/");
    testing::internal::CaptureStdout();
    writeDocSkeletons();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "doc :\n");
    EXPECT_FALSE(dir.exists("missing"));
}

TEST_F(DocFiles, FileAndLibraryCompanions) {
    FileTag file;
    file.baseName = "shape.h";
    LibraryDoc library;
    library.name = "geo";
    dir.write("shape.h.doc", "AUTHORS{ann}VERSION{1}COMMENT{Shapes.}EXAMPLE{draw();}");
    dir.write("geo.doc", "COMMENT{Geometry.}");
    testing::internal::CaptureStdout();
    mergeFileDoc(file);
    mergeLibraryDoc(library);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "!*");
    EXPECT_EQ(file.authors, "ann");
    EXPECT_EQ(file.version, "1");
    EXPECT_EQ(file.description, "Shapes.");
    EXPECT_EQ(file.example, "draw();");
    EXPECT_EQ(library.description, "Geometry.");
    EXPECT_EQ(library.authors, "");

    FileTag other;
    other.baseName = "other.h";
    LibraryDoc misc;
    misc.name = "misc";
    runSettings().verboseLevel = 0;
    testing::internal::CaptureStdout();
    mergeFileDoc(other);
    mergeLibraryDoc(misc);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Doc file for File other.h in Dir " + runSettings().docPath +
                  " not found\nDoc file for Lib misc in Dir " + runSettings().docPath +
                  " not found\n");
}

TEST_F(DocFiles, SignaturesHoldTypesOnly) {
    ClassTag& foo = buildFoo();
    EXPECT_EQ(functionSignature(foo.functions[1]), "virtual~Foo()");
    EXPECT_EQ(functionSignature(foo.functions[4]), "virtualvoiddraw()=0");
    EXPECT_EQ(dataSignature(foo.data[1]), "char*name");
}

}  // namespace
}  // namespace zivrat::test
