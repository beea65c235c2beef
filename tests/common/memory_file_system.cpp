#include "common/memory_file_system.h"

#include <gtest/gtest.h>

#include <sys/types.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace zivrat::test {
namespace {

// The stream of one open file: reads from a copy, writes into it, and puts
// it back into the map when it is closed.
struct OpenFile {
    MemoryFileSystem* owner;
    std::string path;
    std::string data;
    std::size_t position = 0;
    bool writing;
};

ssize_t readOpenFile(void* cookie, char* into, std::size_t size) {
    auto* file = static_cast<OpenFile*>(cookie);
    std::size_t count = std::min(size, file->data.size() - std::min(file->position, file->data.size()));
    std::memcpy(into, file->data.data() + file->position, count);
    file->position += count;
    return static_cast<ssize_t>(count);
}

ssize_t writeOpenFile(void* cookie, const char* from, std::size_t size) {
    auto* file = static_cast<OpenFile*>(cookie);
    if (file->data.size() < file->position + size) file->data.resize(file->position + size);
    std::memcpy(&file->data[file->position], from, size);
    file->position += size;
    return static_cast<ssize_t>(size);
}

int seekOpenFile(void* cookie, off64_t* offset, int whence) {
    auto* file = static_cast<OpenFile*>(cookie);
    off64_t base = whence == SEEK_SET ? 0
                   : whence == SEEK_CUR ? static_cast<off64_t>(file->position)
                                        : static_cast<off64_t>(file->data.size());
    if (base + *offset < 0) return -1;
    file->position = static_cast<std::size_t>(base + *offset);
    *offset = static_cast<off64_t>(file->position);
    return 0;
}

int closeOpenFile(void* cookie) {
    auto* file = static_cast<OpenFile*>(cookie);
    if (file->writing) file->owner->files[file->path] = file->data;
    delete file;
    return 0;
}

}  // namespace

std::FILE* MemoryFileSystem::openStream(const std::string& path, const char* mode) {
    const std::string modes = mode;
    const bool creating = modes.find('w') != std::string::npos;
    const bool writing = creating || modes.find('+') != std::string::npos ||
                         modes.find('a') != std::string::npos;
    auto found = files.find(path);
    if (!creating && found == files.end()) return nullptr;
    opened.push_back(path);
    if (creating) written.push_back(path);
    auto* file = new OpenFile{this, path, creating ? std::string() : found->second, 0, writing};
    if (creating) files[path];
    return fopencookie(file, mode, {readOpenFile, writeOpenFile, seekOpenFile, closeOpenFile});
}

bool MemoryFileSystem::readWhole(const std::string& path, std::string& content) {
    opened.push_back(path);
    auto found = files.find(path);
    if (found == files.end()) return false;
    content = found->second;
    return true;
}

bool MemoryFileSystem::writeWhole(const std::string& path, const std::string& content) {
    written.push_back(path);
    files[path] = content;
    return true;
}

bool MemoryFileSystem::remove(const std::string& path) { return files.erase(path) != 0; }

bool MemoryFileSystem::rename(const std::string& from, const std::string& to) {
    auto found = files.find(from);
    if (found == files.end()) return false;
    std::string content = std::move(found->second);
    files.erase(found);
    files[to] = std::move(content);
    return true;
}

bool MemoryFileSystem::resize(const std::string& path, std::uint64_t size) {
    auto found = files.find(path);
    if (found == files.end()) return false;
    found->second.resize(size);
    return true;
}

FileStatus MemoryFileSystem::status(const std::string& path) {
    ++statusQueries;
    FileStatus status;
    auto found = files.find(path);
    status.exists = found != files.end();
    if (status.exists) status.size = found->second.size();
    return status;
}

bool MemoryFileSystem::listFolder(const std::string& folder, std::vector<std::string>& names) {
    ++listings;
    for (const auto& [path, content] : files) {
        if (path.compare(0, folder.size(), folder) == 0 &&
            path.find('/', folder.size()) == std::string::npos) {
            names.push_back(path.substr(folder.size()));
        }
    }
    return true;
}

bool MemoryFileSystem::syncStream(std::FILE* stream) { return std::fflush(stream) == 0; }

bool MemoryFileSystem::syncFolder(const std::string&) { return true; }

std::string MemoryFileSystem::canonicalPath(const std::string& path) { return path; }

void writeTestPage(const std::string& name, const std::string& content) {
    PageOutput page;
    ASSERT_EQ(page.open("out/", name), PageOpening::kOpened);
    page.close(content);
}

}  // namespace zivrat::test
