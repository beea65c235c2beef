#include "database/disk_file.h"

#include <algorithm>
#include <cstring>
#include <iostream>

#include "ground/failures.h"
#include "ground/messages.h"
#include "support/file_system.h"
#include "support/paths.h"

namespace zivrat {
namespace {

constexpr std::uint64_t kPageSize = 4096;
// Positions are 32-bit words and all bits set means "none".
constexpr std::uint64_t kLargestFileSize = 0xFFFFFFFFu;

constexpr char kJournalMagic[8] = {'Z', 'V', 'J', 'R', 'N', 'L', '1', '\n'};
// magic, flags, stored size, entry count; checksum at the end.
constexpr std::size_t kJournalHeadSize = 8 + 3 * 4;

// Tells a complete journal from one whose writing was cut short (eight
// bytes at a time: journals hold whole pages).
std::uint32_t checksumOf(const std::uint8_t* data, std::size_t n) {
    std::uint64_t hash = 0x9E3779B97F4A7C15u;
    for (std::size_t at = 0; at < n; at += 8) {
        std::uint64_t word = 0;
        for (std::size_t i = at; i < at + 8 && i < n; ++i) word |= std::uint64_t{data[i]} << (8 * (i - at));
        hash = (hash ^ word) * 0x100000001B3u;
        hash ^= hash >> 29;
    }
    return static_cast<std::uint32_t>(hash ^ (hash >> 32));
}

// Makes what was written to the file survive a power cut, not only a stop.
bool flushToDisk(std::FILE* file) { return syncFileStream(file); }

// Makes the creation or removal of a file in the directory durable.
void syncDirectoryOf(const std::string& path) { syncFolder(directoryPrefix(path)); }

bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    std::FILE* file = openFileStream(path, "rb");
    if (file == nullptr) return false;
    bytes.clear();
    std::uint8_t buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

bool writeWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* file = openFileStream(path, "wb");
    if (file == nullptr) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && flushToDisk(file);
    ok = std::fclose(file) == 0 && ok;
    if (ok) syncDirectoryOf(path);
    return ok;
}

bool putBackOriginalBytes(const std::string& path, const Journal& journal) {
    std::FILE* file = openFileStream(path, "r+b");
    if (file == nullptr) return false;
    bool ok = true;
    for (const JournalEntry& entry : journal.entries) {
        ok = ok && std::fseek(file, static_cast<long>(entry.offset), SEEK_SET) == 0 &&
             std::fwrite(entry.bytes.data(), 1, entry.bytes.size(), file) == entry.bytes.size();
    }
    ok = ok && flushToDisk(file);
    ok = std::fclose(file) == 0 && ok;
    return resizeFile(path, journal.storedSize) && ok;
}

bool removeJournal(const std::string& path) {
    const std::string journalPath = journalPathOf(path);
    bool removed = removeFile(journalPath) || !pathExists(journalPath);
    syncDirectoryOf(path);
    return removed;
}

[[noreturn]] void raiseOpenFailure(const std::string& path) {
    raiseStorageFailure("ybtondsk(150): can't open file " + path);
}

// Whether the journal is one that an update of a file of this size can have
// left: a created file's journal holds nothing; an update's journal holds
// the original bytes of whole pages, in order, of a file that was no larger
// than it is now (an update only grows the file).
bool fitsFile(const Journal& journal, std::uint64_t fileSize) {
    if (journal.flags == kJournalCreatedFlag) {
        return journal.storedSize == 0 && journal.entries.empty();
    }
    if (journal.flags != 0 || journal.storedSize > fileSize) return false;
    std::uint64_t next = 0;
    for (const JournalEntry& entry : journal.entries) {
        if (entry.offset % kPageSize != 0 || entry.offset < next ||
            entry.offset >= journal.storedSize ||
            entry.bytes.size() != std::min<std::uint64_t>(kPageSize, journal.storedSize - entry.offset)) {
            return false;
        }
        next = entry.offset + kPageSize;
    }
    return true;
}

std::uint64_t fileSizeOf(const std::string& path) { return fileSize(path); }

}  // namespace

std::vector<std::uint8_t> encodeJournal(const Journal& journal) {
    std::vector<std::uint8_t> bytes(kJournalHeadSize);
    std::memcpy(bytes.data(), kJournalMagic, sizeof kJournalMagic);
    putWord(bytes, 8, journal.flags);
    putWord(bytes, 12, journal.storedSize);
    putWord(bytes, 16, static_cast<std::uint32_t>(journal.entries.size()));
    for (const JournalEntry& entry : journal.entries) {
        std::size_t at = bytes.size();
        bytes.resize(at + 8);
        putWord(bytes, at, entry.offset);
        putWord(bytes, at + 4, static_cast<std::uint32_t>(entry.bytes.size()));
        bytes.insert(bytes.end(), entry.bytes.begin(), entry.bytes.end());
    }
    std::size_t at = bytes.size();
    bytes.resize(at + 4);
    putWord(bytes, at, checksumOf(bytes.data(), at));
    return bytes;
}

bool decodeJournal(const std::vector<std::uint8_t>& bytes, Journal& journal) {
    if (bytes.size() < kJournalHeadSize + 4) return false;
    if (std::memcmp(bytes.data(), kJournalMagic, sizeof kJournalMagic) != 0) return false;
    const std::size_t end = bytes.size() - 4;
    if (checksumOf(bytes.data(), end) != wordAt(bytes, end)) return false;
    journal.flags = wordAt(bytes, 8);
    journal.storedSize = wordAt(bytes, 12);
    std::uint32_t count = wordAt(bytes, 16);
    std::size_t at = kJournalHeadSize;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (end - at < 8) return false;
        JournalEntry entry;
        entry.offset = wordAt(bytes, at);
        std::uint32_t length = wordAt(bytes, at + 4);
        at += 8;
        if (end - at < length || entry.offset + std::uint64_t{length} > journal.storedSize) {
            return false;
        }
        entry.bytes.assign(bytes.begin() + at, bytes.begin() + at + length);
        at += length;
        journal.entries.push_back(std::move(entry));
    }
    return at == end;
}

void raiseStorageFailure(const std::string& text) {
    // The per-file report writes the text without a line end; the text ends
    // its own line so that the next line of the log starts clean.
    throw TextFailure{text + "\n"};
}

void raiseSeekError() { raiseStorageFailure("[SEEKERR] Seek error"); }
void raiseReadError() { raiseStorageFailure("[READERR] Read error"); }
void raiseWriteError() { raiseStorageFailure("[WRITEERR] Write error"); }

void raiseDamagedFile(const std::string& path, const std::string& detail) {
    raiseStorageFailure("[DAMAGED] The database file " + path + " is damaged: " + detail);
}

std::uint32_t wordAt(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    return std::uint32_t{bytes[offset]} | std::uint32_t{bytes[offset + 1]} << 8 |
           std::uint32_t{bytes[offset + 2]} << 16 | std::uint32_t{bytes[offset + 3]} << 24;
}

void putWord(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::string journalPathOf(const std::string& path) { return path + "-journal"; }

void recoverInterruptedUpdate(const std::string& path) {
    const std::string journalPath = journalPathOf(path);
    if (!pathExists(journalPath)) return;
    std::vector<std::uint8_t> bytes;
    Journal journal;
    if (!readWholeFile(journalPath, bytes)) {
        raiseStorageFailure("[JOURNAL] Can't read " + journalPath + " to restore " + path);
    }
    // A journal whose file is gone (removed by hand) has nothing to restore.
    if (decodeJournal(bytes, journal) && pathExists(path)) {
        if (!fitsFile(journal, fileSizeOf(path))) {
            raiseStorageFailure("[JOURNAL] " + journalPath + " does not belong to " + path +
                                ": both are left as they are (remove the journal to use the file)");
        }
        bool created = (journal.flags & kJournalCreatedFlag) != 0;
        bool restored = created ? removeFile(path)
                                : putBackOriginalBytes(path, journal);
        if (!restored) {
            raiseStorageFailure("[JOURNAL] Can't restore " + path + " from " + journalPath);
        }
        std::cerr << yError(path + ": the changes of an update that did not finish were undone\n",
                            kWarning)
                  << std::flush;
    }
    if (!removeJournal(path)) raiseStorageFailure("[JOURNAL] Can't remove " + journalPath);
}

DiskFile::DiskFile(const std::string& path) : path_(path) {
    recoverInterruptedUpdate(path);
    if (pathExists(path)) {
        file_ = openFileStream(path, "r+b");
        if (file_ == nullptr) raiseOpenFailure(path);
        long size = std::fseek(file_, 0, SEEK_END) == 0 ? std::ftell(file_) : -1;
        if (size < 0 || static_cast<std::uint64_t>(size) > kLargestFileSize) {
            std::fclose(file_);
            if (size < 0) raiseSeekError();
            raiseDamagedFile(path, "it is larger than 4 GB");
        }
        storedSize_ = static_cast<std::uint64_t>(size);
    } else {
        // The journal goes first: should the program stop before the commit
        // ends, the next run removes the half-made file.
        Journal journal;
        journal.flags = kJournalCreatedFlag;
        if (!writeWholeFile(journalPathOf(path), encodeJournal(journal))) raiseOpenFailure(path);
        file_ = openFileStream(path, "w+b");
        if (file_ == nullptr) {
            removeJournal(path);
            raiseOpenFailure(path);
        }
        created_ = true;
    }
    size_ = storedSize_;
}

DiskFile::~DiskFile() {
    if (file_ != nullptr) std::fclose(file_);
    if (created_) {
        removeFile(path_);
        removeJournal(path_);
    }
}

void DiskFile::read(std::uint64_t pos, std::uint8_t* out, std::size_t n) const {
    if (pos > size_ || n > size_ - pos) raiseReadError();
    while (n > 0) {
        std::uint64_t index = pos / kPageSize;
        std::size_t offset = static_cast<std::size_t>(pos % kPageSize);
        std::size_t chunk = std::min<std::size_t>(n, kPageSize - offset);
        auto changed = changed_.find(index);
        if (changed != changed_.end()) {
            std::memcpy(out, changed->second.data() + offset, chunk);
        } else {
            readStored(pos, out, chunk);
        }
        pos += chunk;
        out += chunk;
        n -= chunk;
    }
}

std::vector<std::uint8_t> DiskFile::read(std::uint64_t pos, std::size_t n) const {
    std::vector<std::uint8_t> bytes(n);
    read(pos, bytes.data(), n);
    return bytes;
}

std::uint32_t DiskFile::readWord(std::uint64_t pos) const { return wordAt(read(pos, 4), 0); }

void DiskFile::readStored(std::uint64_t pos, std::uint8_t* out, std::size_t n) const {
    if (file_ == nullptr || pos + n > storedSize_) raiseReadError();
    if (std::fseek(file_, static_cast<long>(pos), SEEK_SET) != 0) raiseSeekError();
    if (std::fread(out, 1, n, file_) != n) raiseReadError();
}

DiskFile::Page& DiskFile::pageForWrite(std::uint64_t index) {
    auto changed = changed_.find(index);
    if (changed != changed_.end()) return changed->second;
    Page page(kPageSize, 0);
    std::uint64_t start = index * kPageSize;
    if (start < storedSize_) {
        readStored(start, page.data(), std::min(kPageSize, storedSize_ - start));
    }
    return changed_.emplace(index, std::move(page)).first->second;
}

bool DiskFile::changesContent(std::uint64_t pos, const std::uint8_t* data,
                                  std::size_t n) const {
    if (pos + n > size_) return true;
    std::vector<std::uint8_t> current = read(pos, n);
    return std::memcmp(current.data(), data, n) != 0;
}

void DiskFile::write(std::uint64_t pos, const std::uint8_t* data, std::size_t n) {
    if (pos + n > kLargestFileSize) raiseWriteError();
    if (pos > size_) {
        // The bytes between the old end and pos become zeros.
        std::vector<std::uint8_t> gap(static_cast<std::size_t>(pos - size_), 0);
        write(size_, gap);
    }
    // Unchanged bytes leave the file as it is (a close after a read-only use
    // writes nothing).
    if (!changesContent(pos, data, n)) return;
    const std::uint64_t end = pos + n;
    while (n > 0) {
        std::size_t offset = static_cast<std::size_t>(pos % kPageSize);
        std::size_t chunk = std::min<std::size_t>(n, kPageSize - offset);
        std::memcpy(pageForWrite(pos / kPageSize).data() + offset, data, chunk);
        pos += chunk;
        data += chunk;
        n -= chunk;
    }
    size_ = std::max(size_, end);
}

void DiskFile::write(std::uint64_t pos, const std::vector<std::uint8_t>& data) {
    write(pos, data.data(), data.size());
}

void DiskFile::writeWord(std::uint64_t pos, std::uint32_t value) {
    std::vector<std::uint8_t> bytes(4);
    putWord(bytes, 0, value);
    write(pos, bytes);
}

void DiskFile::writeJournal() const {
    Journal journal;
    journal.storedSize = static_cast<std::uint32_t>(storedSize_);
    for (const auto& [index, page] : changed_) {
        std::uint64_t start = index * kPageSize;
        if (start >= storedSize_) break;
        JournalEntry entry;
        entry.offset = static_cast<std::uint32_t>(start);
        entry.bytes.resize(static_cast<std::size_t>(std::min(kPageSize, storedSize_ - start)));
        readStored(start, entry.bytes.data(), entry.bytes.size());
        journal.entries.push_back(std::move(entry));
    }
    if (!writeWholeFile(journalPathOf(path_), encodeJournal(journal))) {
        removeJournal(path_);
        raiseWriteError();
    }
}

void DiskFile::writePages() {
    for (const auto& [index, page] : changed_) {
        std::uint64_t start = index * kPageSize;
        std::size_t length = static_cast<std::size_t>(std::min(kPageSize, size_ - start));
        if (std::fseek(file_, static_cast<long>(start), SEEK_SET) != 0 ||
            std::fwrite(page.data(), 1, length, file_) != length) {
            raiseWriteError();
        }
    }
    if (!flushToDisk(file_)) raiseWriteError();
}

void DiskFile::commit() {
    if (changed_.empty() && !created_) return;
    if (file_ == nullptr) raiseWriteError();
    // A created file has had its journal since it was opened.
    if (!created_) writeJournal();
    try {
        writePages();
        // Once the journal is gone the update is part of the file for good.
        if (!removeJournal(path_)) raiseWriteError();
    } catch (const TextFailure&) {
        // Put the previous file back now; should that fail too, the journal
        // is still there and the next open does it.
        std::fclose(file_);
        file_ = nullptr;
        try {
            recoverInterruptedUpdate(path_);
            created_ = false;
        } catch (const TextFailure&) {
        }
        throw;
    }
    created_ = false;
    changed_.clear();
    storedSize_ = size_;
}

}  // namespace zivrat
