#include "support/write_behind.h"

#include <chrono>
#include <system_error>
#include <utility>

#include "support/file_system.h"

namespace zivrat {
namespace {

// What may wait at once: the run stops for the writer beyond this.
constexpr std::size_t kMostWaitingBytes = 8 << 20;
constexpr std::size_t kMostWaitingFiles = 1024;
// The writer takes files in batches, not one by one: each wake-up is a
// system call on both sides. A file waits at most about this long for its
// batch to fill, so that pages appear while the run is held up elsewhere.
constexpr std::size_t kBatchBytes = 256 << 10;
constexpr std::size_t kBatchFiles = 32;
constexpr std::chrono::milliseconds kLongestGathering(1);
// Buffers kept for pages to come: a few, of a few megabytes in all.
constexpr std::size_t kMostSpareFiles = 64;
constexpr std::size_t kMostSpareBytes = 4 << 20;

}  // namespace

void WriteBehind::start(FileSystem& fileSystem) {
    stopping_ = urged_ = false;
    writerState_ = Writer::kWriting;
    spare_.reserve(kMostSpareFiles);
    try {
        writer_ = std::thread(&WriteBehind::writeFiles, this, &fileSystem);
    } catch (const std::system_error&) {
        // No thread to be had: the files of this run are written as they come.
        threadRefused_ = true;
    }
}

void WriteBehind::write(FileSystem& fileSystem, const std::string& path, std::string& content) {
    if (!writer_.joinable() && !threadRefused_) start(fileSystem);
    if (!writer_.joinable()) {
        fileSystem.writeWhole(path, content);
        content.clear();
        return;
    }
    bool wake = false;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        filesWritten_.wait(lock, [this] {
            return waitingBytes_ < kMostWaitingBytes && waiting_.size() < kMostWaitingFiles;
        });
        waitingBytes_ += content.size();
        handedOverPaths_[path] = ++handedOver_;
        File file;
        if (!spare_.empty()) {
            file = std::move(spare_.back());
            spare_.pop_back();
            spareBytes_ -= file.content.capacity();
        }
        file.path.assign(path);
        file.content.swap(content);
        waiting_.push_back(std::move(file));
        if (waiting_.size() == 1) wake = writerState_ == Writer::kIdle;
        if (!urged_ && (waiting_.size() >= kBatchFiles || waitingBytes_ >= kBatchBytes)) {
            urged_ = true;
            wake = wake || writerState_ == Writer::kGathering;
        }
    }
    if (wake) filesWaiting_.notify_one();
    if (handedOverPaths_.size() > 2 * kMostWaitingFiles) forgetWritten();
}

void WriteBehind::await(const std::string& path) {
    if (handedOverPaths_.empty()) return;
    auto found = handedOverPaths_.find(path);
    if (found == handedOverPaths_.end()) return;
    awaitCount(found->second);
    handedOverPaths_.erase(found);
}

void WriteBehind::awaitAll() {
    if (handedOverPaths_.empty()) return;
    awaitCount(handedOver_);
    handedOverPaths_.clear();
}

void WriteBehind::finish() {
    threadRefused_ = false;
    if (!writer_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = urged_ = true;
    }
    filesWaiting_.notify_one();
    writer_.join();
    handedOverPaths_.clear();
    spare_ = std::vector<File>();
    spareBytes_ = 0;
}

void WriteBehind::awaitCount(std::uint64_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (written_ >= count) return;
    urged_ = true;
    if (writerState_ == Writer::kGathering) filesWaiting_.notify_one();
    filesWritten_.wait(lock, [this, count] { return written_ >= count; });
}

void WriteBehind::forgetWritten() {
    std::uint64_t written;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        written = written_;
    }
    for (auto at = handedOverPaths_.begin(); at != handedOverPaths_.end();) {
        at = at->second <= written ? handedOverPaths_.erase(at) : std::next(at);
    }
}

void WriteBehind::keepSpare(File& file) {
    const std::size_t room = file.content.capacity();
    if (spare_.size() >= kMostSpareFiles || spareBytes_ + room > kMostSpareBytes) return;
    spareBytes_ += room;
    file.path.clear();
    file.content.clear();
    spare_.push_back(std::move(file));
}

void WriteBehind::writeFiles(FileSystem* fileSystem) {
    std::vector<File> batch;
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
        writerState_ = Writer::kIdle;
        filesWaiting_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
        if (waiting_.empty()) return;
        writerState_ = Writer::kGathering;
        filesWaiting_.wait_for(lock, kLongestGathering, [this] { return urged_ || stopping_; });
        writerState_ = Writer::kWriting;
        urged_ = false;
        // The batch's vector is the one the run filled before: both keep
        // their room, and the buffers go back to the run through spare_.
        batch.swap(waiting_);
        lock.unlock();
        for (File& file : batch) {
            fileSystem->writeWhole(file.path, file.content);
            lock.lock();
            waitingBytes_ -= file.content.size();
            ++written_;
            keepSpare(file);
            lock.unlock();
            filesWritten_.notify_all();
        }
        batch.clear();
        lock.lock();
    }
}

}  // namespace zivrat
