// Damaged, truncated and hostile database files: every one gives a clear
// failure, and the file is left as it was.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "common/temp_dir.h"
#include "database/disk_file.h"
#include "database_files.h"

namespace zivrat::test {
namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFFu;

// What an add step and a rebuild do with a file: open, visit, look up, insert.
void useDatabase(const std::string& path) {
    yBTreeOnDisk database;
    if (!database.open(path)) throw yError("Can't open 'dico.dat'\n", kSystem);
    std::size_t visited = 0;
    database.visitAll([&](const std::string&, const VarDB&) { ++visited; });
    std::uint32_t position;
    database.find("K030", position);
    database.insertIfAbsent("Zebra", recordFor("Zebra"));
    database.close();
}

class DamagedFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<std::string> keys;
        for (int i = 0; i < 60; ++i) keys.push_back(numberedKey(i));
        storeKeys(path, keys);
        good = fileBytes(path);
        root = wordIn(good, 282);
        StoredNode node = nodeAt(good, root);
        firstChild = node.children[0];
        secondChild = node.children[1];
        firstRecord = nodeAt(good, firstChild).values[0];
    }

    // Writes the damaged file, uses it, and checks that it was not changed.
    std::string failureWith(const Bytes& damaged) {
        writeBytes(path, damaged);
        std::string failure = failureOf([&] { useDatabase(path); });
        if (!failure.empty()) {
            EXPECT_EQ(fileBytes(path), damaged) << failure;
        }
        EXPECT_FALSE(dir.exists("dico.dat-journal"));
        return failure;
    }

    std::string failureWith(const std::function<void(Bytes&)>& damage) {
        Bytes bytes = good;
        damage(bytes);
        return failureWith(bytes);
    }

    static std::string damaged(const std::string& detail) {
        return "[DAMAGED] The database file " + detail;
    }

    TempDir dir;
    const std::string path = dir.file("dico.dat");
    Bytes good;
    std::uint32_t root = 0, firstChild = 0, secondChild = 0, firstRecord = 0;
};

TEST_F(DamagedFileTest, TheGoodFileWorks) {
    EXPECT_EQ(failureOf([&] { useDatabase(path); }), "");
    EXPECT_EQ(keysOf(path).size(), 61u);
}

TEST_F(DamagedFileTest, TruncatedFiles) {
    const std::string readError = "[READERR] Read error\n";
    EXPECT_EQ(failureWith(Bytes(good.begin(), good.begin() + 5)), readError);
    for (std::size_t cut : {200, 300}) {
        const std::string past = failureWith(Bytes(good.begin(), good.begin() + cut));
        EXPECT_EQ(past.rfind(damaged(path + " is damaged: its end of data"), 0), 0u) << past;
    }
    // Up to 3 bytes of rounding at the end may be missing: files of other
    // writers end so.
    EXPECT_EQ(failureWith(Bytes(good.begin(), good.end() - 1)), "");
    for (std::size_t cut : {good.size() - 8, good.size() - 700, good.size() / 2}) {
        EXPECT_NE(failureWith(Bytes(good.begin(), good.begin() + cut)), "") << cut;
    }
}

TEST_F(DamagedFileTest, BadHeaderWords) {
    const std::string head = path + " is damaged: ";
    EXPECT_EQ(failureWith([](Bytes& b) { setWord(b, 4, 0xFFFFFF00u); }),
              damaged(head + "its end of data (4294967040) lies outside the file\n"));
    EXPECT_EQ(failureWith([](Bytes& b) { setWord(b, 4, 100); }),
              damaged(head + "its end of data (100) lies outside the file\n"));
    EXPECT_EQ(failureWith([](Bytes& b) { setWord(b, 0, 7); }),
              damaged(head + "its first allocation (7) lies outside the data\n"));
    EXPECT_EQ(failureWith([](Bytes& b) { setWord(b, 278, 0); }),
              damaged(head + "the length word at 278 runs past the end of data\n"));
}

TEST_F(DamagedFileTest, BadFreeLists) {
    const std::string head = path + " is damaged: ";
    EXPECT_EQ(failureWith([](Bytes& b) { setWord(b, 270, 33); }),
              damaged(head + "the free-list block at 12 counts 33 ranges\n"));
    EXPECT_EQ(failureWith([](Bytes& b) { setWord(b, 274, 0x7FFFFFF0); }),
              damaged(head + "a free-list block at 2147483632 lies outside the data\n"));
    EXPECT_EQ(failureWith([](Bytes& b) {
                  setWord(b, 270, 1);
                  setWord(b, 14, 20);
                  setWord(b, 142, 8);
              }),
              damaged(head + "the free-list block at 12 holds a wrong range\n"));
    // A second block whose next link comes back to itself, not to 12.
    EXPECT_EQ(failureWith([](Bytes& b) {
                  std::uint32_t second = static_cast<std::uint32_t>(b.size());
                  b.resize(b.size() + 268, 0);
                  b[second] = 0x35;
                  b[second + 1] = 0x12;
                  setWord(b, second + 262, second);
                  setWord(b, 274, second);
                  setWord(b, 4, static_cast<std::uint32_t>(b.size()));
              }),
              damaged(head + "its free-list blocks loop without coming back to the first one\n"));
}

TEST_F(DamagedFileTest, BadTreeHeaders) {
    const std::string cantOpen = "Can't open 'dico.dat'\n";
    EXPECT_EQ(failureWith([](Bytes& b) { setWord(b, 282 + 16, 0); }), cantOpen);
    EXPECT_EQ(failureWith([](Bytes& b) { setWord(b, 282 + 20, 0); }), cantOpen);
    EXPECT_EQ(failureWith([](Bytes& b) { setWord(b, 282 + 20, 5000); }), cantOpen);
    // Larger nodes than the file holds.
    EXPECT_NE(failureWith([](Bytes& b) { setWord(b, 282 + 20, 1000); }), "");
    const std::string head = path + " is damaged: ";
    EXPECT_EQ(failureWith([](Bytes& b) { setWord(b, 282, 0xFFFFFFF0u); }),
              damaged(head + "the position 4294967280 lies outside the data\n"));
    EXPECT_EQ(failureWith([](Bytes& b) { setWord(b, 282, 12); }),
              damaged(head + "the position 12 lies outside the data\n"));
}

TEST_F(DamagedFileTest, BadNodes) {
    const std::string head = path + " is damaged: ";
    EXPECT_EQ(failureWith([&](Bytes& b) { setWord(b, root, 21); }),
              damaged(head + "the tree node at " + std::to_string(root) + " holds 21 keys\n"));
    EXPECT_EQ(failureWith([&](Bytes& b) { setWord(b, root - 4, 8); }),
              damaged(head + "a tree node at " + std::to_string(root) +
                      " is longer than its space\n"));
    // A child link back to the root, one shared by two keys, and one from a
    // leaf up to the root.
    const std::string twoLinks = damaged(head + "two links lead to the tree node at ");
    EXPECT_EQ(failureWith([&](Bytes& b) { setWord(b, root + 4, root); }),
              twoLinks + std::to_string(root) + "\n");
    EXPECT_EQ(failureWith([&](Bytes& b) { setWord(b, root + 8, firstChild); }),
              twoLinks + std::to_string(firstChild) + "\n");
    EXPECT_EQ(failureWith([&](Bytes& b) { setWord(b, secondChild + 4, root); }),
              twoLinks + std::to_string(root) + "\n");
    // A link into the middle of a record.
    EXPECT_NE(failureWith([&](Bytes& b) { setWord(b, root + 4, firstRecord + 8); }), "");
}

TEST_F(DamagedFileTest, LoopingLinksEndTheSearchToo) {
    Bytes bytes = good;
    setWord(bytes, root + 4, root);  // K000 lies left of the root's first key
    writeBytes(path, bytes);
    yBTreeOnDisk database;
    ASSERT_TRUE(database.open(path));
    std::uint32_t position;
    EXPECT_EQ(failureOf([&] { database.find("A", position); }),
              damaged(path + " is damaged: the child links of its tree nodes loop\n"));
    EXPECT_EQ(failureOf([&] { database.insertIfAbsent("A", recordFor("A")); }),
              damaged(path + " is damaged: the child links of its tree nodes loop\n"));
}

TEST_F(DamagedFileTest, BadRecords) {
    const std::string head = path + " is damaged: ";
    std::uint32_t valueSlot = firstChild + 88;
    EXPECT_EQ(failureWith([&](Bytes& b) { setWord(b, valueSlot, 3); }),
              damaged(head + "the position 3 lies outside the data\n"));
    EXPECT_EQ(failureWith([&](Bytes& b) { setWord(b, firstRecord, 0x7FFFFFFF); }),
              damaged(head + "the record at " + std::to_string(firstRecord) +
                      " runs past its space\n"));
    EXPECT_EQ(failureWith([&](Bytes& b) { setWord(b, firstRecord - 4, 0xFFFFFF00u); }),
              damaged(head + "the length word at " + std::to_string(firstRecord - 4) +
                      " runs past the end of data\n"));
}

// Random damage: a clear failure or a normal end, never a crash or a hang
// (run it under the sanitizers too).
TEST_F(DamagedFileTest, RandomDamage) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 400; ++round) {
        Bytes bytes = good;
        int changes = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < changes; ++i) {
            std::size_t at = random() % bytes.size();
            bytes[at] = static_cast<std::uint8_t>(random());
        }
        if (round % 5 == 0) bytes.resize(random() % bytes.size());
        writeBytes(path, bytes);
        std::string failure = failureOf([&] { useDatabase(path); });
        if (!failure.empty()) {
            EXPECT_EQ(fileBytes(path), bytes) << round << ": " << failure;
            EXPECT_EQ(failure.back(), '\n');
        }
    }
}

}  // namespace
}  // namespace zivrat::test
