// The file-system seam over a memory file system: what reaches the file
// system within a run and outside one.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "common/memory_file_system.h"

namespace zivrat::test {
namespace {

class FileSeam : public ::testing::Test {
protected:
    void TearDown() override { endFileRun(); }

    int timesWritten(const std::string& path) const {
        const auto& written = seam.memory.written;
        return static_cast<int>(std::count(written.begin(), written.end(), path));
    }
    int timesOpened(const std::string& path) const {
        const auto& opened = seam.memory.opened;
        return static_cast<int>(std::count(opened.begin(), opened.end(), path));
    }

    MemoryFileSystemInUse seam;
};

TEST_F(FileSeam, APageWrittenAgainInARunReachesTheFileOnceMoreWithItsLastContent) {
    beginFileRun();
    writeTestPage("index.html", "first");
    EXPECT_EQ(seam.memory.files["out/index.html"], "first");
    writeTestPage("index.html", "second");
    writeTestPage("index.html", "third");
    writeTestPage("other.html", "other");
    EXPECT_EQ(seam.memory.files["out/index.html"], "first");
    // Whatever reads the page meanwhile sees its last content.
    std::string read;
    ASSERT_TRUE(readWholeFile("out/index.html", read));
    EXPECT_EQ(read, "third");
    writeTestPage("index.html", "fourth");
    endFileRun();
    EXPECT_EQ(seam.memory.files["out/index.html"], "fourth");
    EXPECT_EQ(timesWritten("out/index.html"), 3);  // created, settled by the read, at the end
    EXPECT_EQ(timesWritten("out/other.html"), 1);
}

TEST_F(FileSeam, APageNameThatLeadsOutsideTheFolderIsRefusedBeforeAnythingIsCreated) {
    for (const char* name : {"../escape.html", "/etc/escape.html", "a/../../escape.html", ".."}) {
        PageOutput page;
        EXPECT_EQ(page.open("out/", name), PageOpening::kOutsideFolder) << name;
    }
    PageOutput inside;
    EXPECT_EQ(inside.open("out/", "a..b/..c.html"), PageOpening::kOpened);
    inside.close("kept");
    EXPECT_EQ(seam.memory.written, std::vector<std::string>{"out/a..b/..c.html"});
}

TEST_F(FileSeam, OutsideARunEveryPageGoesStraightToTheFile) {
    writeTestPage("index.html", "first");
    writeTestPage("index.html", "second");
    EXPECT_EQ(seam.memory.files["out/index.html"], "second");
    EXPECT_EQ(timesWritten("out/index.html"), 2);
}

TEST_F(FileSeam, APageKeptBackIsWrittenWhenTheRunEndsByAFailure) {
    try {
        struct Run {
            Run() { beginFileRun(); }
            ~Run() { endFileRun(); }
        } run;
        writeTestPage("hpp.html", "input one");
        writeTestPage("hpp.html", "input two, stopped");
        throw std::runtime_error("break");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(seam.memory.files["out/hpp.html"], "input two, stopped");
}

TEST_F(FileSeam, MissingCompanionFilesAreLookedUpInOneListingOfTheirFolder) {
    seam.memory.files["doc/Found.doc"] = "COMMENT{found}";
    beginFileRun();
    std::string content;
    for (const char* name : {"A", "B", "C", "A"}) {
        EXPECT_FALSE(readListedFile(std::string("doc/") + name + ".doc", content));
    }
    ASSERT_TRUE(readListedFile("doc/Found.doc", content));
    EXPECT_EQ(content, "COMMENT{found}");
    EXPECT_EQ(seam.memory.listings, 1);
    EXPECT_EQ(seam.memory.opened, std::vector<std::string>{"doc/Found.doc"});
    // A file the run writes itself is found afterwards; one it removes is not.
    ASSERT_TRUE(writeWholeFile("doc/A.doc", "skeleton"));
    EXPECT_TRUE(readListedFile("doc/A.doc", content));
    ASSERT_TRUE(removeFile("doc/Found.doc"));
    EXPECT_FALSE(readListedFile("doc/Found.doc", content));
    EXPECT_EQ(seam.memory.listings, 1);
}

TEST_F(FileSeam, OutsideARunCompanionFilesAreOpenedEveryTime) {
    std::string content;
    EXPECT_FALSE(readListedFile("doc/A.doc", content));
    seam.memory.files["doc/A.doc"] = "new";
    EXPECT_TRUE(readListedFile("doc/A.doc", content));
    EXPECT_EQ(seam.memory.listings, 0);
    EXPECT_EQ(timesOpened("doc/A.doc"), 2);
}

TEST_F(FileSeam, ModificationTimesAreAskedOncePerRunUntilTheSeamChangesTheFile) {
    seam.memory.files["src/a.h"] = "int a;";
    beginFileRun();
    std::time_t when;
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(modificationTime("src/a.h", when));
    EXPECT_FALSE(modificationTime("src/missing.h", when));
    EXPECT_FALSE(modificationTime("src/missing.h", when));
    EXPECT_EQ(seam.memory.statusQueries, 2);
    ASSERT_TRUE(writeWholeFile("src/missing.h", "now here"));
    EXPECT_TRUE(modificationTime("src/missing.h", when));
    EXPECT_EQ(seam.memory.statusQueries, 3);
    endFileRun();
    EXPECT_TRUE(modificationTime("src/a.h", when));
    EXPECT_EQ(seam.memory.statusQueries, 4);
}

TEST_F(FileSeam, StreamsReadWriteAndSeekThroughTheSeam) {
    std::FILE* out = openFileStream("data.bin", "w+b");
    ASSERT_NE(out, nullptr);
    std::fputs("abcdef", out);
    std::fseek(out, 2, SEEK_SET);
    std::fputc('X', out);
    std::fclose(out);
    EXPECT_EQ(seam.memory.files["data.bin"], "abXdef");
    ASSERT_TRUE(resizeFile("data.bin", 3));
    EXPECT_EQ(seam.memory.files["data.bin"], "abX");
    EXPECT_EQ(openFileStream("absent.bin", "rb"), nullptr);
}

std::string readStream(std::FILE* stream) {
    std::string text;
    if (stream == nullptr) return "(none)";
    for (int c = std::fgetc(stream); c != EOF; c = std::fgetc(stream)) text += static_cast<char>(c);
    std::fclose(stream);
    return text;
}

TEST_F(FileSeam, ASourceOpenedAgainInARunIsServedFromMemory) {
    seam.memory.files["common.h"] = "int shared;\n";
    beginFileRun();
    for (int input = 0; input < 4; ++input) {
        EXPECT_EQ(readStream(openSourceStream("common.h")), "int shared;\n") << input;
    }
    // Opened once, then read once whole on the second opening.
    EXPECT_EQ(timesOpened("common.h"), 2);
    EXPECT_FALSE(isSourceFolder("common.h"));
    // A change through the seam is seen at the next opening.
    ASSERT_TRUE(writeWholeFile("common.h", "int changed;\n"));
    EXPECT_EQ(readStream(openSourceStream("common.h")), "int changed;\n");
    EXPECT_EQ(readStream(openSourceStream("missing.h")), "(none)");
    EXPECT_EQ(readStream(openSourceStream("missing.h")), "(none)");
    endFileRun();

    // Outside a run every opening reaches the file system.
    const int before = timesOpened("common.h");
    readStream(openSourceStream("common.h"));
    readStream(openSourceStream("common.h"));
    EXPECT_EQ(timesOpened("common.h"), before + 2);
}

TEST_F(FileSeam, AFileHeldInMemoryNeverReachesTheFileSystem) {
    beginFileRun();
    holdInMemory("zvpp0.tmp");
    std::FILE* out = openFileStream("zvpp0.tmp", "w");
    ASSERT_NE(out, nullptr);
    std::fputs("class A { int a; };\n", out);
    std::fclose(out);
    // Read twice, as a whole and from the start again.
    for (int pass = 0; pass < 2; ++pass) {
        std::FILE* in = openFileStream("zvpp0.tmp", "rb");
        ASSERT_NE(in, nullptr);
        char text[64] = {};
        EXPECT_EQ(std::fread(text, 1, sizeof text - 1, in), 20u);
        EXPECT_STREQ(text, "class A { int a; };\n");
        std::fclose(in);
    }
    // Written again, it holds only the new text; an empty one reads as empty.
    out = openFileStream("zvpp0.tmp", "w");
    std::fclose(out);
    std::FILE* in = openFileStream("zvpp0.tmp", "rb");
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(std::fgetc(in), EOF);
    std::fclose(in);
    EXPECT_TRUE(removeFile("zvpp0.tmp"));
    EXPECT_EQ(timesOpened("zvpp0.tmp"), 0);
    EXPECT_EQ(seam.memory.files.count("zvpp0.tmp"), 0u);
    // Once removed, the name is the file system's again.
    EXPECT_EQ(openFileStream("zvpp0.tmp", "rb"), nullptr);

    // The end of a run drops what is still held.
    holdInMemory("zvpp1.tmp");
    endFileRun();
    EXPECT_EQ(openFileStream("zvpp1.tmp", "rb"), nullptr);
}

}  // namespace
}  // namespace zivrat::test
