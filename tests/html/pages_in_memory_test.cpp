// Page generation over a memory file system: every page and companion file
// goes through the seam, and pages that each input rewrites reach the file
// system once per run.
#include <algorithm>

#include "common/memory_file_system.h"
#include "html/generate.h"
#include "html/html_text.h"
#include "html/page_fixture.h"
#include "model/doc_files.h"

namespace zivrat::test {
namespace {

class PagesInMemory : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        runSettings().htmlPath = "out/";
        runSettings().docPath = "doc/";
    }
    void TearDown() override {
        endFileRun();
        PageTest::TearDown();
    }

    // One input's model: a file with a class, and the shared class.
    void generateInput(const std::string& name) {
        docModel().clear();
        addFile("src/" + name + ".h");
        addClass(name, Class, "src/" + name + ".h");
        addFile("src/common.h");
        addClass("Common", Class, "src/common.h");
        std::string console;
        ConsoleCapture capture(console);
        generateOutput();
    }

    int timesWritten(const std::string& path) const {
        const auto& written = seam.memory.written;
        return static_cast<int>(std::count(written.begin(), written.end(), path));
    }

    MemoryFileSystemInUse seam;
};

TEST_F(PagesInMemory, EveryPageAndCompanionFileGoesThroughTheSeam) {
    seam.memory.files["doc/Shape.doc"] = "AUTHORS{ann}VERSION{2.0}COMMENT{A shape in memory.}";
    addFile("src/shape.h");
    addClass("Shape", Class, "src/shape.h");
    std::string console;
    {
        ConsoleCapture capture(console);
        generateOutput();
    }
    for (const char* page : {"index.html", "hpp.html", "cpp.html", "misc.html", "shape.h.html",
                             "Shape.html"}) {
        EXPECT_EQ(seam.memory.files.count(std::string("out/") + page), 1u) << page;
    }
    const std::string& shape = seam.memory.files["out/Shape.html"];
    EXPECT_NE(shape.find("<b>: ann</b>"), std::string::npos);
    EXPECT_NE(shape.find("<i>A shape in memory.</i>"), std::string::npos);
    EXPECT_NE(shape.find(footer()), std::string::npos);
}

TEST_F(PagesInMemory, PagesThatEachInputRewritesAreWrittenOnceMoreAtTheEndOfTheRun) {
    beginFileRun();
    generateInput("First");
    generateInput("Second");
    generateInput("Third");
    EXPECT_EQ(seam.memory.files["out/hpp.html"].find("Third"), std::string::npos);
    endFileRun();
    const std::string& list = seam.memory.files["out/hpp.html"];
    EXPECT_NE(list.find("Third.h.html"), std::string::npos);
    EXPECT_EQ(list.find("Second.h.html"), std::string::npos);
    for (const char* page : {"index.html", "hpp.html", "cpp.html", "misc.html", "common.h.html",
                             "Common.html"}) {
        EXPECT_EQ(timesWritten(std::string("out/") + page), 2) << page;
    }
    EXPECT_EQ(timesWritten("out/Second.html"), 1);
    // The companion files were missing: one listing, no open of any of them.
    EXPECT_EQ(seam.memory.listings, 1);
    for (const std::string& path : seam.memory.opened) {
        EXPECT_EQ(path.compare(0, 4, "out/"), 0) << path;
    }
}

TEST_F(PagesInMemory, ABreakInsideAListPageLeavesWhatWasWrittenOfIt) {
    beginFileRun();
    generateInput("First");
    addFile("src/broken.h");
    {
        // The file pages of a list are written while the list page is open:
        // a failure among them leaves the list page as far as it got.
        PageFile page;
        ASSERT_TRUE(page.open("hpp.html"));
        page << "<HTML>\n<HEAD>\n";
    }
    endFileRun();
    EXPECT_EQ(seam.memory.files["out/hpp.html"], "<HTML>\n<HEAD>\n");
}

}  // namespace
}  // namespace zivrat::test
