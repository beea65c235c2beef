// The database file as a sequence of bytes that changes all at once: writes
// are held in memory until commit, and commit goes through a rollback
// journal, so a run that stops half way leaves the previous complete file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace zivrat {

// The failures of the database file, raised as text failures that end the
// current input (or the rebuild) with the text on the console.
[[noreturn]] void raiseStorageFailure(const std::string& text);
[[noreturn]] void raiseSeekError();
[[noreturn]] void raiseReadError();
[[noreturn]] void raiseWriteError();
// A structure of the file that cannot be right (bad offsets, counts, loops).
[[noreturn]] void raiseDamagedFile(const std::string& path, const std::string& detail);

// Little-endian 32-bit words inside a byte buffer.
std::uint32_t wordAt(const std::vector<std::uint8_t>& bytes, std::size_t offset);
void putWord(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value);

// The journal beside a database file.
std::string journalPathOf(const std::string& path);

// The rollback journal: the original bytes of the pages that a commit
// changes, and the file's size before it.
constexpr std::uint32_t kJournalCreatedFlag = 1;  // the update created the file

struct JournalEntry {
    std::uint32_t offset;
    std::vector<std::uint8_t> bytes;
};

struct Journal {
    std::uint32_t flags = 0;
    std::uint32_t storedSize = 0;
    std::vector<JournalEntry> entries;
};

std::vector<std::uint8_t> encodeJournal(const Journal& journal);
// False when the journal is not complete: it was being written when the
// program stopped, so the database file itself was not touched yet.
bool decodeJournal(const std::vector<std::uint8_t>& bytes, Journal& journal);

// Puts back the file as it was before an update that did not finish (the
// program was stopped between the start and the end of a commit). Does
// nothing when there is no journal. A journal that no update of the file can
// have left is a failure, and neither file is touched.
void recoverInterruptedUpdate(const std::string& path);

class DiskFile {
public:
    // Opens the file for update, creating it when it does not exist. A file
    // that exists but cannot be opened for update is never replaced.
    explicit DiskFile(const std::string& path);
    // Uncommitted changes are dropped.
    ~DiskFile();
    DiskFile(const DiskFile&) = delete;
    DiskFile& operator=(const DiskFile&) = delete;

    const std::string& path() const { return path_; }
    // The size with the pending changes.
    std::uint64_t size() const { return size_; }

    // Reads n bytes at pos; a range outside the file is a read error.
    void read(std::uint64_t pos, std::uint8_t* out, std::size_t n) const;
    std::vector<std::uint8_t> read(std::uint64_t pos, std::size_t n) const;
    std::uint32_t readWord(std::uint64_t pos) const;

    void write(std::uint64_t pos, const std::uint8_t* data, std::size_t n);
    void write(std::uint64_t pos, const std::vector<std::uint8_t>& data);
    void writeWord(std::uint64_t pos, std::uint32_t value);

    // Makes the pending changes part of the file: the original bytes of every
    // changed page go to the journal first, then the pages to the file.
    void commit();

private:
    using Page = std::vector<std::uint8_t>;

    void readStored(std::uint64_t pos, std::uint8_t* out, std::size_t n) const;
    Page& pageForWrite(std::uint64_t index);
    bool changesContent(std::uint64_t pos, const std::uint8_t* data, std::size_t n) const;
    void writeJournal() const;
    void writePages();

    std::string path_;
    std::FILE* file_ = nullptr;
    bool created_ = false;           // the file did not exist before this update
    std::uint64_t storedSize_ = 0;   // the size of the file on disk
    std::uint64_t size_ = 0;
    std::map<std::uint64_t, Page> changed_;  // by page index
};

}  // namespace zivrat
