// A file system in memory for tests of the seam and of the subsystems above
// it: it counts what reaches it, and holds its files in a map.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "support/file_system.h"

namespace zivrat::test {

class MemoryFileSystem : public FileSystem {
public:
    std::map<std::string, std::string> files;
    std::vector<std::string> opened;   // every path opened or read, in order
    std::vector<std::string> written;  // every path created or replaced, in order
    int listings = 0;
    int statusQueries = 0;

    std::FILE* openStream(const std::string& path, const char* mode) override;
    bool readWhole(const std::string& path, std::string& content) override;
    bool writeWhole(const std::string& path, const std::string& content) override;
    bool remove(const std::string& path) override;
    bool rename(const std::string& from, const std::string& to) override;
    bool resize(const std::string& path, std::uint64_t size) override;
    FileStatus status(const std::string& path) override;
    bool listFolder(const std::string& folder, std::vector<std::string>& names) override;
    bool syncStream(std::FILE* stream) override;
    bool syncFolder(const std::string& folder) override;
    std::string canonicalPath(const std::string& path) override;
};

// Puts a memory file system under the seam while it lives.
class MemoryFileSystemInUse {
public:
    MemoryFileSystemInUse() { useFileSystem(&memory); }
    ~MemoryFileSystemInUse() { useFileSystem(nullptr); }
    MemoryFileSystemInUse(const MemoryFileSystemInUse&) = delete;
    MemoryFileSystemInUse& operator=(const MemoryFileSystemInUse&) = delete;

    MemoryFileSystem memory;
};

// Writes a page into the folder "out/" through the seam, which must open it.
void writeTestPage(const std::string& name, const std::string& content);

}  // namespace zivrat::test
