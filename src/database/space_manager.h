// The space manager of the database file: the 12-byte file header, the ring
// of free-list blocks, and the byte ranges it hands out and takes back.
#pragma once

#include <cstdint>
#include <vector>

#include "database/disk_file.h"

namespace zivrat {

constexpr std::uint32_t kNoPosition = 0xFFFFFFFFu;

// The two forms of free-list block.
struct FreeListForm {
    std::uint32_t blockSize;  // the size word of the file header
    std::uint32_t magic;
    std::uint32_t capacity;   // ranges per block
    std::uint32_t requestSize;  // what is asked for when a new block is made
};

extern const FreeListForm kCurrentFreeListForm;
extern const FreeListForm kOlderFreeListForm;

// Allocation size of a request of n bytes: n plus the length word, rounded
// up to a multiple of 4.
std::uint32_t allocationLength(std::uint32_t n);

class SpaceManager {
public:
    // Writes a new header and first free-list block into an empty file, or
    // reads and checks those of an existing one.
    explicit SpaceManager(DiskFile& file);

    DiskFile& file() { return file_; }
    const FreeListForm& form() const { return *form_; }
    std::uint32_t firstAllocation() const { return firstAllocation_; }
    std::uint32_t endOfData() const { return endOfData_; }

    // Hands out n bytes; the result is the position after the length word.
    std::uint32_t allocate(std::uint32_t n);
    // Takes back the range handed out at position.
    void release(std::uint32_t position);

    // The end of the range handed out at position, from its length word;
    // a position or length word that cannot be right is a damaged file.
    std::uint64_t blockEnd(std::uint32_t position) const;
    // Checks that n bytes at position lie inside the range handed out there.
    void checkInsideBlock(std::uint32_t position, std::uint64_t n, const char* what) const;

private:
    struct FreeBlock {
        std::uint32_t position = 0;
        std::vector<std::uint32_t> starts;
        std::vector<std::uint32_t> lengths;
        std::uint32_t next = 0;
    };

    void createHeader();
    void readHeader();
    FreeBlock readBlock(std::uint32_t position) const;
    void checkRanges(const FreeBlock& block) const;
    void writeBlock(const FreeBlock& block);
    void setEndOfData(std::uint32_t end);
    bool takeFromFreeList(std::uint32_t& length, std::uint32_t& start);
    bool mergeInto(FreeBlock& block, std::uint32_t start, std::uint32_t length) const;
    void addFreeListBlock(std::uint32_t start, std::uint32_t length);
    std::uint32_t firstDataOffset() const { return 12 + form_->blockSize; }

    DiskFile& file_;
    const FreeListForm* form_ = &kCurrentFreeListForm;
    std::uint32_t firstAllocation_ = kNoPosition;
    std::uint32_t endOfData_ = 0;
    // The ring in its order from the block at 12, which is always the block
    // where a search starts.
    std::vector<FreeBlock> ring_;
};

}  // namespace zivrat
