// Updates that stop half way: the next open finds the previous complete file.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

#include "common/child_process.h"
#include "common/temp_dir.h"
#include "database/disk_file.h"
#include "database/space_manager.h"
#include "database_files.h"

namespace zivrat::test {
namespace {

std::vector<std::string> someKeys(int first, int count) {
    std::vector<std::string> keys;
    for (int i = first; i < first + count; ++i) keys.push_back(numberedKey(i));
    return keys;
}

void limitFileSize(std::uint64_t bytes) {
    struct rlimit limit;
    limit.rlim_cur = limit.rlim_max = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

class InterruptedUpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        storeKeys(path, someKeys(0, 40));
        before = fileBytes(path);
    }

    // The file-size limit kills a child while it writes the grown file,
    // after the journal (smaller than the limit) is complete.
    void killDuringTheCommit() {
        std::optional<Ending> ending = runInChildProcess([&] {
            limitFileSize(before.size() + 16384);
            storeKeys(path, someKeys(40, 2000));
        });
        ASSERT_TRUE(ending);
        ASSERT_EQ(ending->signal, SIGXFSZ);
        ASSERT_TRUE(dir.exists("dico.dat-journal"));
        EXPECT_NE(fileBytes(path), before);
    }

    TempDir dir;
    const std::string path = dir.file("dico.dat");
    Bytes before;
};

TEST_F(InterruptedUpdateTest, AProgramKilledDuringTheCommitLeavesThePreviousFile) {
    killDuringTheCommit();

    testing::internal::CaptureStderr();
    EXPECT_EQ(keysOf(path), someKeys(0, 40));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "WARNING : " + path + ": the changes of an update that did not finish were undone\n");
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_FALSE(dir.exists("dico.dat-journal"));
}

TEST_F(InterruptedUpdateTest, AJournalWhoseFileWasRemovedIsDropped) {
    killDuringTheCommit();
    std::remove(path.c_str());
    EXPECT_TRUE(keysOf(path).empty());
    EXPECT_FALSE(dir.exists("dico.dat-journal"));
}

TEST_F(InterruptedUpdateTest, AFailedWritePutsThePreviousFileBackAtOnce) {
    std::optional<Ending> ending = runInChildProcess([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        limitFileSize(before.size() + 16384);
        testing::internal::CaptureStderr();
        std::string failure = failureOf([&] { storeKeys(path, someKeys(40, 2000)); });
        testing::internal::GetCapturedStderr();
        _exit(failure == "[WRITEERR] Write error\n" ? 0 : 1);
    });
    ASSERT_TRUE(ending);
    ASSERT_EQ(ending->signal, 0);
    EXPECT_EQ(ending->exitCode, 0);
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_FALSE(dir.exists("dico.dat-journal"));
}

TEST_F(InterruptedUpdateTest, ChangesWithoutACommitNeverReachTheFile) {
    EXPECT_NE(failureOf([&] {
                  yBTreeOnDisk database;
                  database.open(path);
                  for (const std::string& key : someKeys(40, 500)) {
                      database.insertIfAbsent(key, recordFor(key));
                  }
                  throw TextFailure{"stopped\n"};
              }),
              "");
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_FALSE(dir.exists("dico.dat-journal"));
}

TEST_F(InterruptedUpdateTest, AFileThatWasBeingCreatedIsRemoved) {
    const std::string fresh = dir.file("fresh.dat");
    // Stopped without any clean-up, as a killed program would be.
    std::optional<Ending> ending = runInChildProcess([&] {
        DiskFile file(fresh);
        SpaceManager space(file);
        _exit(0);
    });
    ASSERT_TRUE(ending);
    ASSERT_EQ(ending->signal, 0);
    ASSERT_TRUE(dir.exists("fresh.dat"));
    ASSERT_TRUE(dir.exists("fresh.dat-journal"));
    testing::internal::CaptureStderr();
    recoverInterruptedUpdate(fresh);
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(dir.exists("fresh.dat"));
    EXPECT_FALSE(dir.exists("fresh.dat-journal"));

    // Dropped without a commit in the same program: removed too.
    { DiskFile file(fresh); }
    EXPECT_FALSE(dir.exists("fresh.dat"));
    EXPECT_FALSE(dir.exists("fresh.dat-journal"));
}

TEST_F(InterruptedUpdateTest, AnIncompleteJournalIsDroppedAndTheFileKept) {
    // The program stopped while writing the journal: the file was not touched.
    dir.write("dico.dat-journal", std::string("ZVJRNL1\n\0\0\0\0\x10\x27\0\0\x01\0", 18));
    testing::internal::CaptureStderr();
    EXPECT_EQ(keysOf(path), someKeys(0, 40));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_FALSE(dir.exists("dico.dat-journal"));
}

// A journal with a valid checksum that no interrupted update of the file
// can have left: recovery refuses it and touches neither file.
class ForeignJournalTest : public InterruptedUpdateTest {
protected:
    // The journal of a real interrupted update, and the file it belongs to.
    void SetUp() override {
        InterruptedUpdateTest::SetUp();
        killDuringTheCommit();
        ASSERT_TRUE(decodeJournal(fileBytes(journalPath), journal));
        ASSERT_FALSE(journal.entries.empty());
        grown = fileBytes(path);
    }

    void expectRefused(const Journal& forged) {
        Bytes forgedBytes = encodeJournal(forged);
        writeBytes(journalPath, forgedBytes);
        EXPECT_EQ(failureOf([&] { recoverInterruptedUpdate(path); }),
                  "[JOURNAL] " + journalPath + " does not belong to " + path +
                      ": both are left as they are (remove the journal to use the file)\n");
        EXPECT_EQ(fileBytes(path), grown);
        EXPECT_EQ(fileBytes(journalPath), forgedBytes);
    }

    const std::string journalPath = dir.file("dico.dat-journal");
    Journal journal;
    Bytes grown;
};

TEST_F(ForeignJournalTest, AHugeSizeDoesNotGrowTheFile) {
    Journal forged = journal;
    forged.storedSize = 256u << 20;
    expectRefused(forged);
    forged.entries.clear();
    expectRefused(forged);
}

TEST_F(ForeignJournalTest, EntriesMustBeWholePagesInOrder) {
    Journal forged = journal;
    forged.entries[0].offset += 8;
    expectRefused(forged);
    forged = journal;
    forged.entries[0].bytes.pop_back();
    expectRefused(forged);
    forged = journal;
    forged.entries.push_back(forged.entries[0]);
    expectRefused(forged);
}

TEST_F(ForeignJournalTest, ACreatedFileHasNothingToPutBack) {
    Journal forged = journal;
    forged.flags = kJournalCreatedFlag;
    expectRefused(forged);
    forged.flags = 6;
    expectRefused(forged);
}

TEST_F(ForeignJournalTest, TheRealJournalStillRestoresTheFile) {
    writeBytes(journalPath, encodeJournal(journal));
    testing::internal::CaptureStderr();
    recoverInterruptedUpdate(path);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_FALSE(dir.exists("dico.dat-journal"));
}

TEST_F(InterruptedUpdateTest, AReadOnlyUseWritesNothing) {
    keysOf(path);
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_FALSE(dir.exists("dico.dat-journal"));
}

}  // namespace
}  // namespace zivrat::test
