// Files written behind the run: a thread of their own creates and writes
// them, in the order they were handed over, while the run goes on to its
// next page. Creating a file costs about as much as building a page, so on
// a machine with a second core the run no longer waits for it.
//
// Only the thread that hands files over may call these functions. Anything
// else that touches a file on its way must wait for it first (`await`).
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace zivrat {

class FileSystem;

class WriteBehind {
public:
    WriteBehind() = default;
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;
    ~WriteBehind() { finish(); }

    // Hands the file over; waits while too much is already waiting. Files
    // that cannot be created are skipped, as an unwritable page always was.
    // The content is taken: what is left in its place is an empty text with
    // the room of a file written before, when there is one, so that the
    // next page grows no buffer of its own.
    void write(FileSystem& fileSystem, const std::string& path, std::string& content);
    // Returns once the file at `path`, if it was handed over, is written.
    void await(const std::string& path);
    // Returns once every file handed over is written.
    void awaitAll();
    // Writes what waits and stops the thread.
    void finish();

private:
    struct File {
        std::string path;
        std::string content;
    };

    void start(FileSystem& fileSystem);
    void writeFiles(FileSystem* fileSystem);
    void awaitCount(std::uint64_t count);
    void forgetWritten();
    // Keeps a written file's buffers for later files, within bounds.
    void keepSpare(File& file);

    // What the writer does: waits for a first file, gathers more for a
    // batch, or writes one.
    enum class Writer { kIdle, kGathering, kWriting };

    std::mutex mutex_;
    std::condition_variable filesWaiting_;
    std::condition_variable filesWritten_;
    std::vector<File> waiting_;
    // Files written, emptied, for their buffers to be used again.
    std::vector<File> spare_;
    std::size_t spareBytes_ = 0;  // the room of their contents
    std::size_t waitingBytes_ = 0;
    std::uint64_t handedOver_ = 0;
    std::uint64_t written_ = 0;
    Writer writerState_ = Writer::kWriting;
    // Whether the writer should take what waits without gathering more.
    bool urged_ = false;
    bool stopping_ = false;
    bool threadRefused_ = false;  // this thread's own
    std::thread writer_;
    // The files handed over and the count they were handed over at (this
    // thread's own record; written ones are forgotten now and then).
    std::unordered_map<std::string, std::uint64_t> handedOverPaths_;
};

}  // namespace zivrat
