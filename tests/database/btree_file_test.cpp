// The database file byte by byte: a new file, node splits, long keys,
// present keys, the free list, and files of the older form.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "common/temp_dir.h"
#include "database/btree.h"
#include "database/btree_on_disk.h"
#include "database/disk_file.h"
#include "database/space_manager.h"
#include "database_files.h"

namespace zivrat::test {
namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFFu;

TEST(BTreeFile, NewFileAfterOneInsertion) {
    TempDir dir;
    const std::string path = dir.file("dico.dat");
    storeKeys(path, {"Shape"});
    Bytes bytes = fileBytes(path);

    // File header: first allocation, end of data, free-list block size.
    EXPECT_EQ(wordIn(bytes, 0), 282u);
    EXPECT_EQ(wordIn(bytes, 8), 266u);
    // The first free-list block: magic, 64 zero range words, no range, next 12.
    EXPECT_EQ(bytes[12], 0x35);
    EXPECT_EQ(bytes[13], 0x12);
    for (std::size_t at = 14; at < 270; ++at) ASSERT_EQ(bytes[at], 0) << at;
    EXPECT_EQ(wordIn(bytes, 270), 0u);
    EXPECT_EQ(wordIn(bytes, 274), 12u);
    // The tree header with its length word.
    EXPECT_EQ(wordIn(bytes, 278), 44u);
    // The record: "Shape.h.html", "Shape.html", "misc", "/src/Shape.h" and
    // seven words, 82 bytes asked for, 88 handed out.
    EXPECT_EQ(wordIn(bytes, 322), 88u);
    const std::uint32_t record = 326;
    EXPECT_EQ(wordIn(bytes, record), 12u);
    EXPECT_EQ(std::string(bytes.begin() + record + 4, bytes.begin() + record + 16), "Shape.h.html");
    EXPECT_EQ(wordIn(bytes, record + 16), 10u);
    EXPECT_EQ(wordIn(bytes, record + 30), 4u);
    EXPECT_EQ(wordIn(bytes, record + 38), 12u);
    const std::uint32_t words = record + 54;
    EXPECT_EQ(wordIn(bytes, words), static_cast<std::uint32_t>(Class));
    for (std::uint32_t i = 1; i <= 6; ++i) EXPECT_EQ(wordIn(bytes, words + 4 * i), i);
    // The root node after the record.
    const std::uint32_t root = 322 + 88 + 4;
    EXPECT_EQ(wordIn(bytes, root - 4), 1452u);
    StoredNode node = nodeAt(bytes, root);
    EXPECT_EQ(node.count, 1u);
    EXPECT_EQ(node.keys, std::vector<std::string>{"Shape"});
    EXPECT_EQ(node.values[0], record);
    for (std::uint32_t child : node.children) EXPECT_EQ(child, kNone);
    for (std::size_t at = root + 168 + 5; at < root + 1448; ++at) ASSERT_EQ(bytes[at], 0) << at;

    const std::uint32_t header[] = {root, kNone, 512, 1, 64, 10, 10, kNone, 0, 0};
    for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(wordIn(bytes, 282 + 4 * i), header[i]) << i;
    EXPECT_EQ(wordIn(bytes, 4), root + 1448);
    EXPECT_EQ(bytes.size(), root + 1448);
}

TEST(BTreeFile, TwentyOneAscendingKeysSplitTheRootOnce) {
    TempDir dir;
    const std::string path = dir.file("dico.dat");
    std::vector<std::string> keys;
    for (int i = 1; i <= 21; ++i) keys.push_back(numberedKey(i));
    storeKeys(path, keys);
    Bytes bytes = fileBytes(path);

    StoredNode root = nodeAt(bytes, wordIn(bytes, 282));
    ASSERT_EQ(root.count, 1u);
    EXPECT_EQ(root.keys[0], "K011");
    StoredNode left = nodeAt(bytes, root.children[0]);
    StoredNode right = nodeAt(bytes, root.children[1]);
    EXPECT_EQ(left.keys, std::vector<std::string>(keys.begin(), keys.begin() + 10));
    EXPECT_EQ(right.keys, std::vector<std::string>(keys.begin() + 11, keys.end()));
    for (std::uint32_t child : left.children) EXPECT_EQ(child, kNone);
    EXPECT_EQ(root.children[2], kNone);
    EXPECT_EQ(wordIn(bytes, 282 + 12), 21u);  // entries
    EXPECT_EQ(keysOf(path), keys);
}

TEST(BTreeFile, ManyKeysInAnyOrderComeBackSortedAndFound) {
    TempDir dir;
    const std::string path = dir.file("dico.dat");
    std::vector<std::string> keys;
    for (int i = 0; i < 2000; ++i) keys.push_back(numberedKey((i * 7919) % 2000));
    storeKeys(path, keys);
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keysOf(path), keys);

    yBTreeOnDisk database;
    ASSERT_TRUE(database.open(path));
    std::uint32_t position = 0;
    ASSERT_TRUE(database.find("K1234", position));
    EXPECT_EQ(database.readRecord(position).pageFile, "K1234.html");
    EXPECT_FALSE(database.find("K2000", position));
    EXPECT_FALSE(database.find("", position));
    database.close();
}

TEST(BTreeFile, KeysAreStoredAndComparedOnTheirFirst64Bytes) {
    TempDir dir;
    const std::string path = dir.file("dico.dat");
    const std::string first64(64, 'L');
    storeKeys(path, {first64 + "tail-one"});
    Bytes bytes = fileBytes(path);
    const std::uint32_t root = wordIn(bytes, 282);
    // The key fills its field: no terminating zero.
    EXPECT_EQ(std::string(bytes.begin() + root + 168, bytes.begin() + root + 232), first64);

    yBTreeOnDisk database;
    ASSERT_TRUE(database.open(path));
    std::uint32_t position = 0;
    EXPECT_TRUE(database.find(first64 + "another tail", position));
    EXPECT_TRUE(database.find(first64, position));
    EXPECT_FALSE(database.find(first64.substr(1), position));
    EXPECT_FALSE(database.insertIfAbsent(first64 + "x", recordFor("other")));
    database.close();
    EXPECT_EQ(keysOf(path), std::vector<std::string>{first64});
}

TEST(BTreeFile, APresentKeyLeavesTheFileUnchanged) {
    TempDir dir;
    const std::string path = dir.file("dico.dat");
    storeKeys(path, {"Alpha", "Beta"});
    const Bytes before = fileBytes(path);

    yBTreeOnDisk database;
    ASSERT_TRUE(database.open(path));
    EXPECT_FALSE(database.insertIfAbsent("Beta", recordFor("Changed", "otherlib")));
    std::uint32_t position = 0;
    ASSERT_TRUE(database.find("Beta", position));
    EXPECT_EQ(database.readRecord(position).library, "misc");
    database.close();
    EXPECT_EQ(fileBytes(path), before);
}

TEST(BTreeFile, VisitingAnEmptyTreeDeliversNothing) {
    TempDir dir;
    const std::string path = dir.file("dico.dat");
    storeKeys(path, {});
    EXPECT_TRUE(keysOf(path).empty());
    Bytes bytes = fileBytes(path);
    EXPECT_EQ(bytes.size(), 322u);
    EXPECT_EQ(wordIn(bytes, 282), kNone);
}

// The free list after a sequence of allocations and releases on a new file.
class FreeListTest : public ::testing::Test {
protected:
    struct Range {
        std::uint32_t start, length;
        bool operator==(const Range& other) const {
            return start == other.start && length == other.length;
        }
    };

    std::vector<Range> rangesAt(const Bytes& bytes, std::uint32_t block) {
        std::vector<Range> ranges;
        for (std::uint32_t i = 0; i < wordIn(bytes, block + 258); ++i) {
            ranges.push_back({wordIn(bytes, block + 2 + 4 * i), wordIn(bytes, block + 130 + 4 * i)});
        }
        return ranges;
    }

    TempDir dir;
    const std::string path = dir.file("space.dat");
};

TEST_F(FreeListTest, ReleasedRangesMergeAndAreReused) {
    DiskFile file(path);
    SpaceManager space(file);
    std::uint32_t a = space.allocate(12);  // 16 bytes at 278
    std::uint32_t b = space.allocate(20);  // 24 at 294
    std::uint32_t c = space.allocate(20);  // 24 at 318
    std::uint32_t d = space.allocate(28);  // 32 at 342
    std::uint32_t e = space.allocate(4);   // 8 at 374
    EXPECT_EQ(a, 282u);
    EXPECT_EQ(e, 378u);
    EXPECT_EQ(space.endOfData(), 382u);

    space.release(b);
    space.release(d);
    EXPECT_EQ(rangesAt(file.read(0, 382), 12), (std::vector<Range>{{294, 24}, {342, 32}}));
    space.release(c);  // joins both
    EXPECT_EQ(rangesAt(file.read(0, 382), 12), (std::vector<Range>{{294, 80}}));
    space.release(e);  // the last range gives back the end of data
    EXPECT_EQ(space.endOfData(), 374u);
    EXPECT_EQ(file.readWord(4), 374u);

    EXPECT_EQ(space.allocate(60), 298u);  // 64 from the front of the range
    EXPECT_EQ(rangesAt(file.read(0, 374), 12), (std::vector<Range>{{358, 16}}));
    EXPECT_EQ(space.allocate(5), 362u);  // 12 would leave 4: the whole 16 go
    EXPECT_EQ(file.readWord(358), 16u);
    EXPECT_TRUE(rangesAt(file.read(0, 374), 12).empty());
    EXPECT_EQ(space.endOfData(), 374u);
}

TEST_F(FreeListTest, ARangeIsPutInFrontOfTheOneAfterIt) {
    DiskFile file(path);
    SpaceManager space(file);
    std::vector<std::uint32_t> pieces;
    for (int i = 0; i < 5; ++i) pieces.push_back(space.allocate(20));  // 24 each from 278
    space.release(pieces[2]);
    space.release(pieces[1]);
    space.release(pieces[0]);
    EXPECT_EQ(rangesAt(file.read(0, space.endOfData()), 12), (std::vector<Range>{{278, 72}}));
}

TEST_F(FreeListTest, AFullBlockGetsANewBlockInTheRing) {
    {
        DiskFile file(path);
        SpaceManager space(file);
        std::vector<std::uint32_t> pieces;
        for (int i = 0; i < 66; ++i) pieces.push_back(space.allocate(4));  // 8 each from 278
        std::uint32_t big = space.allocate(200);                         // 204 at 806
        space.allocate(4);                                               // 8 at 1010
        for (int i = 1; i < 64; i += 2) space.release(pieces[i]);
        space.release(pieces[65]);  // a 33rd range: a new block at the end of data
        space.release(big);         // joins the range in the new block
        Bytes bytes = file.read(0, space.endOfData());
        EXPECT_EQ(rangesAt(bytes, 12).size(), 32u);
        EXPECT_EQ(wordIn(bytes, 274), 1018u);
        EXPECT_EQ(bytes[1018], 0x35);
        EXPECT_EQ(bytes[1019], 0x12);
        EXPECT_EQ(wordIn(bytes, 1018 + 262), 12u);
        EXPECT_EQ(rangesAt(bytes, 1018), (std::vector<Range>{{798, 212}}));
        EXPECT_EQ(space.endOfData(), 1018u + 268);
        file.commit();
    }
    // Read again: the search goes round the ring to the block that has room.
    DiskFile file(path);
    SpaceManager space(file);
    EXPECT_EQ(space.allocate(100), 802u);
    Bytes bytes = file.read(0, space.endOfData());
    EXPECT_EQ(rangesAt(bytes, 1018), (std::vector<Range>{{902, 108}}));
    EXPECT_EQ(space.allocate(4), 290u);  // the first 8-byte range of the first block
    EXPECT_EQ(rangesAt(file.read(0, space.endOfData()), 12).size(), 31u);
}

// An older-form file: 90-byte free-list blocks and a tree header that holds
// the root position only.
Bytes olderFormFile(std::uint32_t* holeAt = nullptr) {
    Bytes bytes(102, 0);
    setWord(bytes, 0, 106);
    setWord(bytes, 8, 90);
    bytes[12] = 0x34;
    bytes[13] = 0x12;
    setWord(bytes, 12 + 86, 12);
    auto append = [&](const Bytes& data, std::uint32_t asked) {
        std::uint32_t length = (asked + 7) & ~3u;
        std::size_t start = bytes.size();
        bytes.resize(start + length, 0);
        setWord(bytes, start, length);
        std::copy(data.begin(), data.end(), bytes.begin() + start + 4);
        return static_cast<std::uint32_t>(start + 4);
    };
    append(Bytes(4, 0), 4);  // the root word at 106
    Bytes record;
    for (const char* text : {"alpha.h.html", "Alpha.html", "greek", "/old/alpha.h"}) {
        Bytes length(4);
        setWord(length, 0, static_cast<std::uint32_t>(strlen(text)));
        record.insert(record.end(), length.begin(), length.end());
        record.insert(record.end(), text, text + strlen(text));
    }
    record.resize(record.size() + 28, 0);
    setWord(record, record.size() - 28, Union);
    std::uint32_t recordAt = append(record, static_cast<std::uint32_t>(record.size()));
    // A hole of 88 bytes listed in the free list.
    std::uint32_t hole = static_cast<std::uint32_t>(bytes.size());
    if (holeAt != nullptr) *holeAt = hole;
    bytes.resize(hole + 88, 0);
    setWord(bytes, 12 + 2, hole);
    setWord(bytes, 12 + 42, 88);
    setWord(bytes, 12 + 82, 1);
    Bytes node(1448, 0);
    setWord(node, 0, 1);
    for (int i = 0; i < 21; ++i) setWord(node, 4 + 4 * i, kNone);
    setWord(node, 88, recordAt);
    memcpy(node.data() + 168, "Alpha", 5);
    std::uint32_t root = append(node, 1448);
    setWord(bytes, 106, root);
    setWord(bytes, 4, static_cast<std::uint32_t>(bytes.size()));
    return bytes;
}

TEST(BTreeFile, OlderFormFilesAreReadAndKeepTheirForm) {
    TempDir dir;
    const std::string path = dir.file("dico.dat");
    std::uint32_t hole = 0;
    const Bytes before = olderFormFile(&hole);
    writeBytes(path, before);

    yBTreeOnDisk database;
    ASSERT_TRUE(database.open(path));
    std::vector<std::string> names;
    VarDB alpha;
    database.visitAll([&](const std::string& key, const VarDB& record) {
        names.push_back(key);
        alpha = record;
    });
    EXPECT_EQ(names, std::vector<std::string>{"Alpha"});
    EXPECT_EQ(alpha.library, "greek");
    EXPECT_EQ(alpha.sourcePath, "/old/alpha.h");
    EXPECT_EQ(alpha.kind, static_cast<std::uint32_t>(Union));
    EXPECT_TRUE(database.insertIfAbsent("Beta", recordFor("Beta")));
    database.close();

    Bytes after = fileBytes(path);
    EXPECT_EQ(after.size(), before.size());  // the record went into the hole
    EXPECT_EQ(wordIn(after, 8), 90u);
    EXPECT_EQ(wordIn(after, 12 + 82), 0u);  // 88 - 84 leaves less than 8: taken whole
    EXPECT_EQ(wordIn(after, hole), 88u);
    StoredNode root = nodeAt(after, wordIn(after, 106));
    EXPECT_EQ(root.keys, (std::vector<std::string>{"Alpha", "Beta"}));
    EXPECT_EQ(root.values[1], hole + 4);
    // Only the root word of the header was written: the record after it stands.
    EXPECT_TRUE(std::equal(before.begin() + 110, before.begin() + hole, after.begin() + 110));
    EXPECT_EQ(keysOf(path), (std::vector<std::string>{"Alpha", "Beta"}));
}

TEST(BTreeFile, FormErrorsOfTheFreeList) {
    TempDir dir;
    const std::string path = dir.file("dico.dat");
    storeKeys(path, {"Alpha"});
    Bytes good = fileBytes(path);

    Bytes bytes = good;
    setWord(bytes, 8, 300);
    writeBytes(path, bytes);
    EXPECT_EQ(failureOf([&] { keysOf(path); }), "[FLIST] Free list size error: expected 266, got 300\n");

    bytes = good;
    bytes[12] = 0x36;
    writeBytes(path, bytes);
    EXPECT_EQ(failureOf([&] { keysOf(path); }), "[MAGIC] Bad magic number: 4662 (should be 4661)\n");

    bytes = olderFormFile();
    bytes[12] = 0x35;
    writeBytes(path, bytes);
    EXPECT_EQ(failureOf([&] { keysOf(path); }), "[MAGIC] Bad magic number: 4661 (should be 4660)\n");
}

TEST(BTreeFile, WholeLengthKeysCompareZeroBytesToo) {
    TempDir dir;
    const std::string path = dir.file("dico.dat");
    storeKeys(path, {"B", "A"});
    Bytes bytes = fileBytes(path);
    setWord(bytes, 282 + 36, 1);
    writeBytes(path, bytes);
    yBTreeOnDisk database;
    ASSERT_TRUE(database.open(path));
    std::uint32_t position;
    EXPECT_TRUE(database.find("A", position));
    EXPECT_TRUE(database.insertIfAbsent(std::string("A\0x", 3), recordFor("Ax")));
    database.close();
    EXPECT_EQ(keysOf(path), (std::vector<std::string>{"A", std::string("A\0x", 3), "B"}));
}

}  // namespace
}  // namespace zivrat::test
