#include "database/space_manager.h"

#include <algorithm>
#include <set>

namespace zivrat {

const FreeListForm kCurrentFreeListForm{266, 0x1235, 32, 262};
const FreeListForm kOlderFreeListForm{90, 0x1234, 10, 86};

namespace {

constexpr std::uint32_t kFileHeaderSize = 12;
constexpr std::uint32_t kFirstBlock = 12;
// A free range whose rest would be smaller than this is handed out whole.
constexpr std::uint32_t kSmallestRest = 8;

std::string positionText(std::uint64_t position) { return std::to_string(position); }

}  // namespace

std::uint32_t allocationLength(std::uint32_t n) { return (n + 7) & ~std::uint32_t{3}; }

SpaceManager::SpaceManager(DiskFile& file) : file_(file) {
    if (file_.size() == 0) {
        createHeader();
    } else {
        readHeader();
    }
}

void SpaceManager::createHeader() {
    form_ = &kCurrentFreeListForm;
    firstAllocation_ = kNoPosition;
    endOfData_ = firstDataOffset();
    std::vector<std::uint8_t> header(kFileHeaderSize);
    putWord(header, 0, firstAllocation_);
    putWord(header, 4, endOfData_);
    putWord(header, 8, form_->blockSize);
    file_.write(0, header);
    FreeBlock first;
    first.position = kFirstBlock;
    first.next = kFirstBlock;
    writeBlock(first);
    ring_.assign(1, first);
}

void SpaceManager::readHeader() {
    std::vector<std::uint8_t> header = file_.read(0, kFileHeaderSize);
    firstAllocation_ = wordAt(header, 0);
    endOfData_ = wordAt(header, 4);
    std::uint32_t blockSize = wordAt(header, 8);
    if (blockSize == kCurrentFreeListForm.blockSize) {
        form_ = &kCurrentFreeListForm;
    } else if (blockSize == kOlderFreeListForm.blockSize) {
        form_ = &kOlderFreeListForm;
    } else {
        raiseStorageFailure("[FLIST] Free list size error: expected " +
                            std::to_string(kCurrentFreeListForm.blockSize) + ", got " +
                            std::to_string(static_cast<std::int32_t>(blockSize)));
    }
    // Files of other writers may end up to 3 bytes short of the end of data
    // (the rounding of their last allocation).
    if (endOfData_ < firstDataOffset() || endOfData_ > file_.size() + 3) {
        raiseDamagedFile(file_.path(), "its end of data (" + positionText(endOfData_) +
                                           ") lies outside the file");
    }
    if (firstAllocation_ != kNoPosition &&
        (firstAllocation_ < firstDataOffset() + 4 || firstAllocation_ >= endOfData_)) {
        raiseDamagedFile(file_.path(), "its first allocation (" + positionText(firstAllocation_) +
                                           ") lies outside the data");
    }
    std::set<std::uint32_t> seen;
    std::uint32_t position = kFirstBlock;
    do {
        if (!seen.insert(position).second) {
            raiseDamagedFile(file_.path(), "its free-list blocks loop without coming back to "
                                           "the first one");
        }
        if (position != kFirstBlock &&
            (position < firstDataOffset() ||
             std::uint64_t{position} + form_->blockSize > endOfData_)) {
            raiseDamagedFile(file_.path(), "a free-list block at " + positionText(position) +
                                               " lies outside the data");
        }
        ring_.push_back(readBlock(position));
        checkRanges(ring_.back());
        position = ring_.back().next;
    } while (position != kFirstBlock);
}

SpaceManager::FreeBlock SpaceManager::readBlock(std::uint32_t position) const {
    std::vector<std::uint8_t> bytes = file_.read(position, form_->blockSize);
    std::uint32_t magic = bytes[0] | bytes[1] << 8;
    if (magic != form_->magic) {
        raiseStorageFailure("[MAGIC] Bad magic number: " + std::to_string(magic) +
                            " (should be " + std::to_string(form_->magic) + ")");
    }
    const std::uint32_t capacity = form_->capacity;
    std::uint32_t count = wordAt(bytes, 2 + 8 * capacity);
    if (count > capacity) {
        raiseDamagedFile(file_.path(), "the free-list block at " + positionText(position) +
                                           " counts " + std::to_string(count) + " ranges");
    }
    FreeBlock block;
    block.position = position;
    for (std::uint32_t i = 0; i < count; ++i) {
        block.starts.push_back(wordAt(bytes, 2 + 4 * i));
        block.lengths.push_back(wordAt(bytes, 2 + 4 * capacity + 4 * i));
    }
    block.next = wordAt(bytes, 6 + 8 * capacity);
    return block;
}

// The ranges of a block must be ascending, apart and inside the data, or an
// allocation could hand out the headers or space in use.
void SpaceManager::checkRanges(const FreeBlock& block) const {
    std::uint64_t previousEnd = firstDataOffset();
    for (std::size_t i = 0; i < block.starts.size(); ++i) {
        std::uint64_t end = std::uint64_t{block.starts[i]} + block.lengths[i];
        if (block.starts[i] < previousEnd || block.lengths[i] < 4 || end > endOfData_) {
            raiseDamagedFile(file_.path(), "the free-list block at " +
                                               positionText(block.position) +
                                               " holds a wrong range");
        }
        previousEnd = end;
    }
}

void SpaceManager::writeBlock(const FreeBlock& block) {
    const std::uint32_t capacity = form_->capacity;
    std::vector<std::uint8_t> bytes(form_->blockSize, 0);
    bytes[0] = static_cast<std::uint8_t>(form_->magic);
    bytes[1] = static_cast<std::uint8_t>(form_->magic >> 8);
    for (std::size_t i = 0; i < block.starts.size(); ++i) {
        putWord(bytes, 2 + 4 * i, block.starts[i]);
        putWord(bytes, 2 + 4 * capacity + 4 * i, block.lengths[i]);
    }
    putWord(bytes, 2 + 8 * capacity, static_cast<std::uint32_t>(block.starts.size()));
    putWord(bytes, 6 + 8 * capacity, block.next);
    file_.write(block.position, bytes);
}

void SpaceManager::setEndOfData(std::uint32_t end) {
    endOfData_ = end;
    file_.writeWord(4, end);
}

std::uint32_t SpaceManager::allocate(std::uint32_t n) {
    if (n > kNoPosition - 8) raiseWriteError();
    std::uint32_t length = allocationLength(n);
    std::uint32_t start;
    if (!takeFromFreeList(length, start)) {
        start = endOfData_;
        // Positions are 32-bit and the last one means "none".
        if (std::uint64_t{start} + length >= kNoPosition) raiseWriteError();
        setEndOfData(start + length);
        // The whole range is written, so the file always reaches its end of data.
        file_.write(start, std::vector<std::uint8_t>(length, 0));
    }
    file_.writeWord(start, length);
    std::uint32_t position = start + 4;
    if (firstAllocation_ == kNoPosition) {
        firstAllocation_ = position;
        file_.writeWord(0, position);
    }
    return position;
}

bool SpaceManager::takeFromFreeList(std::uint32_t& length, std::uint32_t& start) {
    for (FreeBlock& block : ring_) {
        for (std::size_t i = 0; i < block.starts.size(); ++i) {
            if (block.lengths[i] < length) continue;
            start = block.starts[i];
            if (block.lengths[i] - length < kSmallestRest) {
                length = block.lengths[i];
                block.starts.erase(block.starts.begin() + i);
                block.lengths.erase(block.lengths.begin() + i);
            } else {
                block.starts[i] += length;
                block.lengths[i] -= length;
            }
            writeBlock(block);
            return true;
        }
    }
    return false;
}

void SpaceManager::release(std::uint32_t position) {
    std::uint32_t end = static_cast<std::uint32_t>(blockEnd(position));
    std::uint32_t start = position - 4;
    if (end == endOfData_) {
        setEndOfData(start);
        return;
    }
    for (FreeBlock& block : ring_) {
        if (mergeInto(block, start, end - start)) {
            writeBlock(block);
            return;
        }
    }
    addFreeListBlock(start, end - start);
}

bool SpaceManager::mergeInto(FreeBlock& block, std::uint32_t start, std::uint32_t length) const {
    auto& starts = block.starts;
    auto& lengths = block.lengths;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        if (starts[i] + lengths[i] != start) continue;
        lengths[i] += length;
        if (i + 1 < starts.size() && starts[i] + lengths[i] == starts[i + 1]) {
            lengths[i] += lengths[i + 1];
            starts.erase(starts.begin() + i + 1);
            lengths.erase(lengths.begin() + i + 1);
        }
        return true;
    }
    for (std::size_t i = 0; i < starts.size(); ++i) {
        if (start + length != starts[i]) continue;
        starts[i] = start;
        lengths[i] += length;
        return true;
    }
    if (starts.size() >= form_->capacity) return false;
    std::size_t at = std::lower_bound(starts.begin(), starts.end(), start) - starts.begin();
    starts.insert(starts.begin() + at, start);
    lengths.insert(lengths.begin() + at, length);
    return true;
}

// Every block is full: a new block goes into the ring right after the first
// one and takes the range. A block that later becomes empty stays in the
// ring; it costs one block of space and keeps the ring simple.
void SpaceManager::addFreeListBlock(std::uint32_t start, std::uint32_t length) {
    FreeBlock fresh;
    // The block is written over its own length word.
    fresh.position = allocate(form_->requestSize) - 4;
    fresh.next = ring_.front().next;
    ring_.front().next = fresh.position;
    mergeInto(fresh, start, length);
    writeBlock(ring_.front());
    writeBlock(fresh);
    ring_.insert(ring_.begin() + 1, fresh);
}

std::uint64_t SpaceManager::blockEnd(std::uint32_t position) const {
    if (position < firstDataOffset() + 4 || position > endOfData_) {
        raiseDamagedFile(file_.path(), "the position " + positionText(position) +
                                           " lies outside the data");
    }
    std::uint64_t start = position - 4;
    std::uint64_t end = start + file_.readWord(start);
    if (end < position || end > endOfData_) {
        raiseDamagedFile(file_.path(), "the length word at " + positionText(start) +
                                           " runs past the end of data");
    }
    return end;
}

void SpaceManager::checkInsideBlock(std::uint32_t position, std::uint64_t n,
                                    const char* what) const {
    if (position + n > blockEnd(position)) {
        raiseDamagedFile(file_.path(), std::string(what) + " at " + positionText(position) +
                                           " is longer than its space");
    }
}

}  // namespace zivrat
