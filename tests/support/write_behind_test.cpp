// Pages written behind the run by a thread of their own: what waits for
// them, and what the folder holds when the run ends.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "common/memory_file_system.h"
#include "common/temp_dir.h"

namespace zivrat::test {
namespace {

// A memory file system that two threads may use at once, and whose page
// writes can be held back.
class SharedMemoryFileSystem : public MemoryFileSystem {
public:
    bool concurrent() const override { return true; }

    bool writeWhole(const std::string& path, const std::string& content) override {
        std::unique_lock<std::mutex> lock(mutex_);
        released_.wait(lock, [this] { return !holding_; });
        return MemoryFileSystem::writeWhole(path, content);
    }
    bool readWhole(const std::string& path, std::string& content) override {
        std::lock_guard<std::mutex> lock(mutex_);
        return MemoryFileSystem::readWhole(path, content);
    }
    FileStatus status(const std::string& path) override {
        std::lock_guard<std::mutex> lock(mutex_);
        return MemoryFileSystem::status(path);
    }
    bool listFolder(const std::string& folder, std::vector<std::string>& names) override {
        std::lock_guard<std::mutex> lock(mutex_);
        return MemoryFileSystem::listFolder(folder, names);
    }

    void hold() {
        std::lock_guard<std::mutex> lock(mutex_);
        holding_ = true;
    }
    // Lets the writes through after a while, from another thread: whatever
    // the test does meanwhile has to wait for them to see the pages.
    std::thread releaseLater() {
        return std::thread([this] {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            std::lock_guard<std::mutex> lock(mutex_);
            holding_ = false;
            released_.notify_all();
        });
    }
    std::size_t fileCount() {
        std::lock_guard<std::mutex> lock(mutex_);
        return files.size();
    }

private:
    std::mutex mutex_;
    std::condition_variable released_;
    bool holding_ = false;
};

class WrittenBehind : public ::testing::Test {
protected:
    void SetUp() override {
        useFileSystem(&shared);
        beginFileRun();
    }
    void TearDown() override { useFileSystem(nullptr); }

    SharedMemoryFileSystem shared;
};

TEST_F(WrittenBehind, WhateverTouchesAPageOnItsWayFindsItWritten) {
    shared.hold();
    writeTestPage("read.html", "read content");
    writeTestPage("status.html", "12345");
    writeTestPage("listed.html", "x");
    EXPECT_EQ(shared.fileCount(), 0u);  // all three wait behind the held writer
    std::thread release = shared.releaseLater();
    std::string read;
    EXPECT_TRUE(readWholeFile("out/read.html", read));
    EXPECT_EQ(read, "read content");
    release.join();

    shared.hold();
    writeTestPage("status.html", "kept back");  // written again: kept to the end
    writeTestPage("sized.html", "123456789");
    release = shared.releaseLater();
    EXPECT_EQ(fileSize("out/sized.html"), 9u);
    release.join();

    shared.hold();
    writeTestPage("late.html", "y");
    release = shared.releaseLater();
    // A folder listed for the first time holds every page handed over.
    EXPECT_TRUE(mayExistIn("out/", "late.html"));
    EXPECT_TRUE(mayExistIn("out/", "listed.html"));
    EXPECT_FALSE(mayExistIn("out/", "never.html"));
    release.join();

    endFileRun();
    EXPECT_EQ(shared.files["out/status.html"], "kept back");
}

TEST_F(WrittenBehind, EveryPageArrivesInOrderBeforeARunThatFailsHasEnded) {
    // More pages and more bytes than may wait at once: the run waits for
    // the writer rather than holding them all.
    const std::string big(3 << 20, 'b');
    try {
        for (int page = 0; page < 3000; ++page) {
            writeTestPage("p" + std::to_string(page) + ".html",
                          page % 1000 == 999 ? big : std::to_string(page));
        }
        writeTestPage("p0.html", "last");
        throw std::runtime_error("the run fails");
    } catch (const std::runtime_error&) {
        endFileRun();
    }
    ASSERT_EQ(shared.fileCount(), 3000u);
    EXPECT_EQ(shared.files["out/p0.html"], "last");
    EXPECT_EQ(shared.files["out/p998.html"], "998");
    EXPECT_EQ(shared.files["out/p999.html"].size(), big.size());
    ASSERT_EQ(shared.written.size(), 3001u);
    for (int page = 0; page < 3000; ++page) {
        EXPECT_EQ(shared.written[page], "out/p" + std::to_string(page) + ".html");
    }
}

TEST(WrittenBehindOnDisk, APageThatCannotBeCreatedIsSkippedAndTheRunGoesOn) {
    TempDir folder;
    folder.makeDirectory("out/taken.html");
    const std::string out = folder.file("out/");
    beginFileRun();
    {
        PageOutput taken;
        EXPECT_EQ(taken.open(out, "taken.html"), PageOpening::kOpened);
        taken.close("lost");
    }
    {
        PageOutput before;
        ASSERT_EQ(before.open(out, "before.html"), PageOpening::kOpened);
        before.close("before");
    }
    {
        PageOutput after;
        ASSERT_EQ(after.open(out, "after.html"), PageOpening::kOpened);
        after.close("after");
    }
    endFileRun();
    EXPECT_TRUE(isDirectory(out + "taken.html"));
    EXPECT_EQ(folder.read("out/before.html"), "before");
    EXPECT_EQ(folder.read("out/after.html"), "after");
}

}  // namespace
}  // namespace zivrat::test
