// The incremental state file: what is written is read back whole, whatever
// the paths and texts hold, and file stamps see the changes that matter.
#include <gtest/gtest.h>

#include <cstdio>

#include "common/temp_dir.h"
#include "driver/incremental_state.h"

namespace zivrat {
namespace {

using test::TempDir;

IncrementalState sampleState(const std::string& oddText) {
    IncrementalState state;
    state.version = "1.0.2";
    state.fingerprint = "0123456789abcdef";
    state.runEndPages = {"index.html", "misc.html", oddText + ".html"};
    InputRecord input;
    input.name = oddText;
    input.result = -1;
    input.parsed = true;
    input.warnings = 3;
    input.declarationsSkipped = 2;
    input.start.comments = CommentTexts{true, oddText, false, ""};
    input.start.shortNameCounter = 4;
    input.end.comments = CommentTexts{true, "ann", true, "2.0"};
    input.end.shortNameCounter = 9;
    input.filesRead = {{oddText, FileStamp{true, 12, -5, 0}}};
    input.absent = {AbsentFiles{"sub/", {"gone.h", oddText}}, AbsentFiles{"", {"x.doc"}}};
    input.pages = {"A.html", oddText};
    input.files = {DocumentedFile{HeaderHpp, "x.h", "sub/x.h", 1}};
    input.classes = {DocumentedClass{"Stack<T>", Struct, "Stack_T_.html", oddText, "x.h", "sub/x.h"}};
    state.inputs = {input, input};
    state.inputs[1].name = "second.h";
    return state;
}

void expectSameRecords(const InputRecord& got, const InputRecord& want) {
    EXPECT_EQ(got.name, want.name);
    EXPECT_EQ(got.result, want.result);
    EXPECT_EQ(got.parsed, want.parsed);
    EXPECT_EQ(got.warnings, want.warnings);
    EXPECT_EQ(got.declarationsSkipped, want.declarationsSkipped);
    EXPECT_TRUE(got.start == want.start);
    EXPECT_TRUE(got.end == want.end);
    ASSERT_EQ(got.filesRead.size(), want.filesRead.size());
    for (std::size_t i = 0; i < want.filesRead.size(); ++i) {
        EXPECT_EQ(got.filesRead[i].first, want.filesRead[i].first);
        EXPECT_EQ(got.filesRead[i].second.exists, want.filesRead[i].second.exists);
        EXPECT_EQ(got.filesRead[i].second.size, want.filesRead[i].second.size);
        EXPECT_EQ(got.filesRead[i].second.modifiedNs, want.filesRead[i].second.modifiedNs);
    }
    ASSERT_EQ(got.absent.size(), want.absent.size());
    for (std::size_t i = 0; i < want.absent.size(); ++i) {
        EXPECT_EQ(got.absent[i].folder, want.absent[i].folder);
        EXPECT_EQ(got.absent[i].names, want.absent[i].names);
    }
    EXPECT_EQ(got.pages, want.pages);
    ASSERT_EQ(got.files.size(), 1u);
    EXPECT_EQ(got.files[0].path, want.files[0].path);
    EXPECT_EQ(got.files[0].duplicateMark, want.files[0].duplicateMark);
    ASSERT_EQ(got.classes.size(), 1u);
    EXPECT_EQ(got.classes[0].name, want.classes[0].name);
    EXPECT_EQ(got.classes[0].library, want.classes[0].library);
}

TEST(IncrementalState, RoundTripsTabsLineEndsAndBackslashesInTexts) {
    TempDir dir;
    const std::string odd = "we\tird\\name\nwith\rend\\t";
    const IncrementalState written = sampleState(odd);
    ASSERT_TRUE(writeStateFile(dir.file("state"), written));
    IncrementalState read;
    std::string problem;
    ASSERT_TRUE(readStateFile(dir.file("state"), read, problem)) << problem;
    EXPECT_EQ(read.version, written.version);
    EXPECT_EQ(read.fingerprint, written.fingerprint);
    EXPECT_EQ(read.runEndPages, written.runEndPages);
    ASSERT_EQ(read.inputs.size(), 2u);
    expectSameRecords(read.inputs[0], written.inputs[0]);
    expectSameRecords(read.inputs[1], written.inputs[1]);
    EXPECT_FALSE(dir.exists("state.new"));

    // Records read back are written as they were read.
    ASSERT_TRUE(writeStateFile(dir.file("again"), read));
    EXPECT_EQ(test::readFile(dir.file("again")), test::readFile(dir.file("state")));
    EXPECT_FALSE(read.inputs[1].lines.empty());
}

TEST(IncrementalState, RefusesEveryDamageItCanSee) {
    TempDir dir;
    ASSERT_TRUE(writeStateFile(dir.file("state"), sampleState("a.h")));
    const std::string good = test::readFile(dir.file("state"));
    std::string problem;
    IncrementalState read;
    EXPECT_FALSE(readStateFile(dir.file("missing"), read, problem));
    EXPECT_EQ(problem, "missing");

    // Every single-byte change and every cut is seen.
    for (std::size_t at = 0; at < good.size(); at += 7) {
        std::string damaged = good;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x20);
        test::writeFile(dir.file("state"), damaged);
        EXPECT_FALSE(readStateFile(dir.file("state"), read, problem)) << at;
        test::writeFile(dir.file("state"), good.substr(0, at));
        EXPECT_FALSE(readStateFile(dir.file("state"), read, problem)) << at;
    }
    test::writeFile(dir.file("state"), "something else\n");
    EXPECT_FALSE(readStateFile(dir.file("state"), read, problem));
    EXPECT_EQ(problem, "not an incremental state file");
}

TEST(IncrementalState, ALineOutOfPlaceIsDamageEvenUnderAGoodChecksum) {
    TempDir dir;
    const std::string body = "zivrat-incremental\t2\npage\tA.html\n";
    char checksum[17];
    std::snprintf(checksum, sizeof checksum, "%016llx",
                  static_cast<unsigned long long>(hashText(body)));
    test::writeFile(dir.file("state"), body + "end\t" + checksum + "\n");
    IncrementalState read;
    std::string problem;
    EXPECT_FALSE(readStateFile(dir.file("state"), read, problem));
    EXPECT_EQ(problem, "damaged (a 'page' line before any input)");

    // Run-wide lines come before the records, which are written back whole.
    const std::string late = "zivrat-incremental\t2\ninput\ta.h\t0\t1\t0\t0\nend-page\tx.html\n";
    std::snprintf(checksum, sizeof checksum, "%016llx",
                  static_cast<unsigned long long>(hashText(late)));
    test::writeFile(dir.file("state"), late + "end\t" + checksum + "\n");
    EXPECT_FALSE(readStateFile(dir.file("state"), read, problem));
    EXPECT_EQ(problem, "damaged (a 'end-page' line among the inputs)");
}

TEST(FileStamp, SeesEditsThatKeepSizeAndTime) {
    TempDir dir;
    dir.write("x.h", "int a;\n");
    const FileStamp stamp = stampOf(dir.file("x.h"));
    EXPECT_TRUE(stamp.exists);
    EXPECT_TRUE(stampHolds(stamp, dir.file("x.h")));

    // Just written: the content is kept, and an edit of the same size
    // within the same clock tick still shows.
    dir.write("x.h", "int b;\n");
    dir.touch("x.h", stamp.modifiedNs / 1'000'000'000);
    FileStamp sameTick = stamp;
    sameTick.modifiedNs = stampOf(dir.file("x.h")).modifiedNs;
    EXPECT_FALSE(stampHolds(sameTick, dir.file("x.h")));

    // An old file is judged by size and time alone.
    dir.touch("x.h", 880000000);
    const FileStamp old = stampOf(dir.file("x.h"));
    EXPECT_EQ(old.contentHash, 0u);
    EXPECT_TRUE(stampHolds(old, dir.file("x.h")));
    dir.write("x.h", "int bb;\n");
    dir.touch("x.h", 880000000);
    EXPECT_FALSE(stampHolds(old, dir.file("x.h")));

    // A file that appears where there was none, or goes away.
    const FileStamp none = stampOf(dir.file("y.h"));
    EXPECT_FALSE(none.exists);
    EXPECT_TRUE(stampHolds(none, dir.file("y.h")));
    dir.write("y.h", "");
    EXPECT_FALSE(stampHolds(none, dir.file("y.h")));
    EXPECT_FALSE(stampHolds(old, dir.file("gone.h")));
    // A folder is no file.
    dir.makeDirectory("z.h");
    EXPECT_FALSE(stampOf(dir.file("z.h")).exists);
}

}  // namespace
}  // namespace zivrat
