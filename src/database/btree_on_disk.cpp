#include "database/btree_on_disk.h"

#include "database/btree.h"
#include "database/disk_file.h"
#include "database/space_manager.h"

namespace zivrat {
namespace {

void appendWord(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
    bytes.resize(bytes.size() + 4);
    putWord(bytes, bytes.size() - 4, value);
}

void appendText(std::vector<std::uint8_t>& bytes, const std::string& text) {
    appendWord(bytes, static_cast<std::uint32_t>(text.size()));
    bytes.insert(bytes.end(), text.begin(), text.end());
}

std::vector<std::uint8_t> encodeRecord(const VarDB& record) {
    std::vector<std::uint8_t> bytes;
    for (const std::string* text :
         {&record.sourcePage, &record.pageFile, &record.library, &record.sourcePath}) {
        appendText(bytes, *text);
    }
    const MemberCounters& counts = record.counters;
    for (std::uint32_t word : {record.kind, counts.publicData, counts.protectedData,
                               counts.privateData, counts.publicFunctions,
                               counts.protectedFunctions, counts.privateFunctions}) {
        appendWord(bytes, word);
    }
    return bytes;
}

// Reads a record field by field, never past the space handed out for it.
class RecordReader {
public:
    RecordReader(const DiskFile& file, std::uint32_t position, std::uint64_t end)
        : file_(file), position_(position), at_(position), end_(end) {}

    std::uint32_t word() {
        need(4);
        std::uint32_t value = file_.readWord(at_);
        at_ += 4;
        return value;
    }

    std::string text() {
        std::uint32_t length = word();
        need(length);
        std::vector<std::uint8_t> bytes = file_.read(at_, length);
        at_ += length;
        return std::string(bytes.begin(), bytes.end());
    }

private:
    void need(std::uint64_t n) const {
        if (n > end_ - at_) {
            raiseDamagedFile(file_.path(), "the record at " + std::to_string(position_) +
                                               " runs past its space");
        }
    }

    const DiskFile& file_;
    std::uint32_t position_;
    std::uint64_t at_;
    std::uint64_t end_;
};

}  // namespace

yBTreeOnDisk::yBTreeOnDisk() = default;
yBTreeOnDisk::~yBTreeOnDisk() = default;

bool yBTreeOnDisk::open(const std::string& path) {
    file_ = std::make_unique<DiskFile>(path);
    space_ = std::make_unique<SpaceManager>(*file_);
    tree_ = DiskBTree::open(*space_, TreeParameters{});
    return tree_ != nullptr;
}

bool yBTreeOnDisk::find(const std::string& key, std::uint32_t& position) {
    return tree_->find(key, position);
}

VarDB yBTreeOnDisk::readRecord(std::uint32_t position) {
    RecordReader reader(*file_, position, space_->blockEnd(position));
    VarDB record;
    record.sourcePage = reader.text();
    record.pageFile = reader.text();
    record.library = reader.text();
    record.sourcePath = reader.text();
    record.kind = reader.word();
    MemberCounters& counts = record.counters;
    for (std::uint32_t* word : {&counts.publicData, &counts.protectedData, &counts.privateData,
                                &counts.publicFunctions, &counts.protectedFunctions,
                                &counts.privateFunctions}) {
        *word = reader.word();
    }
    return record;
}

bool yBTreeOnDisk::insertIfAbsent(const std::string& key, const VarDB& record) {
    std::uint32_t present;
    if (tree_->find(key, present)) return false;
    std::vector<std::uint8_t> bytes = encodeRecord(record);
    // The request is the four text lengths plus 44.
    if (bytes.size() > kNoPosition - 8) raiseWriteError();
    std::uint32_t position = space_->allocate(static_cast<std::uint32_t>(bytes.size()));
    file_->write(position, bytes);
    return tree_->insert(key, position);
}

void yBTreeOnDisk::visitAll(
    const std::function<void(const std::string& key, const VarDB& record)>& visitor) {
    tree_->visit([&](const std::string& key, std::uint32_t position) {
        visitor(key, readRecord(position));
    });
}

void yBTreeOnDisk::close() {
    tree_->writeHeader();
    file_->commit();
    tree_.reset();
    space_.reset();
    file_.reset();
}

}  // namespace zivrat
