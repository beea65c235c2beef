#include "support/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "support/paths.h"
#include "support/write_behind.h"

namespace zivrat {
namespace {

class DiskFileSystem : public FileSystem {
public:
    std::FILE* openStream(const std::string& path, const char* mode) override {
        return std::fopen(path.c_str(), mode);
    }

    bool readWhole(const std::string& path, std::string& content) override {
        int handle = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (handle < 0) return false;
        struct stat info;
        content.clear();
        if (::fstat(handle, &info) == 0 && S_ISREG(info.st_mode)) content.reserve(info.st_size);
        char block[65536];
        ssize_t count;
        while ((count = ::read(handle, block, sizeof block)) > 0) content.append(block, count);
        ::close(handle);
        return true;
    }

    bool writeWhole(const std::string& path, const std::string& content) override {
        int handle = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (handle < 0) return false;
        bool written = writeAll(handle, content);
        return ::close(handle) == 0 && written;
    }

    bool remove(const std::string& path) override { return std::remove(path.c_str()) == 0; }

    bool rename(const std::string& from, const std::string& to) override {
        return std::rename(from.c_str(), to.c_str()) == 0;
    }

    bool resize(const std::string& path, std::uint64_t size) override {
        return ::truncate(path.c_str(), static_cast<off_t>(size)) == 0;
    }

    FileStatus status(const std::string& path) override {
        FileStatus status;
        struct stat info;
        if (::stat(path.c_str(), &info) != 0) return status;
        status.exists = true;
        status.directory = S_ISDIR(info.st_mode);
        // Asked only of files with an execute bit: most files have none.
        status.executable = S_ISREG(info.st_mode) && (info.st_mode & 0111) != 0 &&
                            ::access(path.c_str(), X_OK) == 0;
        status.modified = info.st_mtime;
        if (!status.directory) status.size = static_cast<std::uint64_t>(info.st_size);
        status.modifiedNs = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 +
                            info.st_mtim.tv_nsec;
        return status;
    }

    bool listFolder(const std::string& folder, std::vector<std::string>& names) override {
        DIR* listing = ::opendir(folder.empty() ? "." : folder.c_str());
        if (listing == nullptr) return false;
        while (const dirent* entry = ::readdir(listing)) names.emplace_back(entry->d_name);
        ::closedir(listing);
        return true;
    }

    bool syncStream(std::FILE* stream) override {
        return std::fflush(stream) == 0 && ::fsync(::fileno(stream)) == 0;
    }

    bool syncFolder(const std::string& folder) override {
        int handle = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_CLOEXEC);
        if (handle < 0) return false;
        bool synced = ::fsync(handle) == 0;
        ::close(handle);
        return synced;
    }

    std::string canonicalPath(const std::string& path) override {
        char* resolved = ::realpath(path.c_str(), nullptr);
        if (resolved == nullptr) return path;
        std::string result(resolved);
        std::free(resolved);
        return result;
    }

    bool concurrent() const override { return true; }

private:
    static bool writeAll(int handle, const std::string& content) {
        const char* from = content.data();
        std::size_t left = content.size();
        while (left > 0) {
            ssize_t count = ::write(handle, from, left);
            if (count <= 0) return false;
            from += count;
            left -= static_cast<std::size_t>(count);
        }
        return true;
    }
};

struct CachedTime {
    bool known;
    std::time_t when;
};

// A scratch file held in memory: the buffer its write stream filled, ours
// once the stream is closed.
struct HeldFile {
    char* text = nullptr;
    std::size_t size = 0;
    HeldFile() = default;
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    ~HeldFile() { std::free(text); }
};

struct FileSeamState {
    FileSystem* fileSystem = &diskFileSystem();
    bool inRun = false;
    std::unordered_map<std::string, CachedTime> modificationTimes;
    // Listed folders and their names, for files that are mostly missing.
    std::unordered_map<std::string, std::unordered_set<std::string>> listedFolders;
    // Pages written in this run, and those written again and kept back.
    std::unordered_set<std::string> writtenPages;
    std::map<std::string, std::string> pendingPages;
    // Scratch files of the run that never reach the file system.
    std::unordered_map<std::string, std::unique_ptr<HeldFile>> heldFiles;
    // Source files opened again within the run (headers that many inputs
    // include): how often each was opened, and the contents kept from the
    // second opening on, within a bound.
    std::unordered_map<std::string, int> sourceOpenings;
    std::unordered_map<std::string, std::string> sourceTexts;
    std::size_t sourceBytes = 0;
    // Held by pointer: the state is reset by assignment, and a writer can
    // be neither copied nor moved.
    std::unique_ptr<WriteBehind> writeBehind = std::make_unique<WriteBehind>();
    // The buffer of a page written behind, emptied, for the next page.
    std::string spareText;
};

constexpr std::size_t kMostSourceBytes = 16 << 20;

FileSeamState& seamState() {
    static FileSeamState state;
    return state;
}

// A page on its way, or kept back, is written before anything else
// touches its file.
void settle(const std::string& path) {
    FileSeamState& state = seamState();
    state.writeBehind->await(path);
    auto pending = state.pendingPages.find(path);
    if (pending == state.pendingPages.end()) return;
    state.fileSystem->writeWhole(path, pending->second);
    state.pendingPages.erase(pending);
}

std::unordered_set<std::string>* listingOf(const std::string& folder) {
    auto& folders = seamState().listedFolders;
    auto found = folders.find(folder);
    return found == folders.end() ? nullptr : &found->second;
}

// Keeps the caches true to a file that the seam has created or removed.
void noteChange(const std::string& path, bool exists) {
    FileSeamState& state = seamState();
    state.modificationTimes.erase(path);
    state.sourceOpenings.erase(path);
    auto kept = state.sourceTexts.find(path);
    if (kept != state.sourceTexts.end()) {
        state.sourceBytes -= kept->second.size();
        state.sourceTexts.erase(kept);
    }
    const std::string folder = directoryPrefix(path);
    if (auto* names = listingOf(folder)) {
        const std::string name = path.substr(folder.size());
        if (exists) names->insert(name);
        else names->erase(name);
    }
}

bool opensForWriting(const char* mode) {
    for (; *mode != 0; ++mode) {
        if (*mode == 'w' || *mode == 'a' || *mode == '+') return true;
    }
    return false;
}

// The names in a folder, listed once within a run; null when it cannot be listed.
const std::unordered_set<std::string>* listedNames(const std::string& folder) {
    if (auto* names = listingOf(folder)) return names;
    std::vector<std::string> found;
    seamState().writeBehind->awaitAll();
    if (!seamState().fileSystem->listFolder(folder, found)) return nullptr;
    auto* names = &seamState().listedFolders[folder];
    names->insert(found.begin(), found.end());
    return names;
}

// Whether the name may be in the folder (given as a prefix, "" or ending
// in '/'): false only when the folder's listing says that it is not.
bool mayBeListedIn(const std::string& folder, const std::string& name) {
    if (name.empty()) return true;
    const auto* names = listedNames(folder);
    return names == nullptr || names->count(name) != 0;
}

bool mayBeListed(const std::string& path) {
    const std::string folder = directoryPrefix(path);
    return mayBeListedIn(folder, path.substr(folder.size()));
}

}  // namespace

FileSystem& diskFileSystem() {
    static DiskFileSystem disk;
    return disk;
}

void useFileSystem(FileSystem* replacement) {
    endFileRun();
    FileSeamState& state = seamState();
    state = FileSeamState{};
    if (replacement != nullptr) state.fileSystem = replacement;
}

void beginFileRun() {
    endFileRun();
    seamState().inRun = true;
}

void endFileRun() {
    FileSeamState& state = seamState();
    state.writeBehind->finish();
    state.spareText = std::string();
    for (const auto& [path, content] : state.pendingPages) {
        state.fileSystem->writeWhole(path, content);
    }
    state.pendingPages.clear();
    state.heldFiles.clear();
    state.sourceOpenings.clear();
    state.sourceTexts.clear();
    state.sourceBytes = 0;
    state.modificationTimes.clear();
    state.listedFolders.clear();
    state.writtenPages.clear();
    state.inRun = false;
}

namespace {

HeldFile* heldFile(const std::string& path) {
    auto& held = seamState().heldFiles;
    if (held.empty()) return nullptr;
    auto found = held.find(path);
    return found == held.end() ? nullptr : found->second.get();
}

// A stream that reads text in memory.
std::FILE* openMemory(const char* text, std::size_t size) {
    static char nothing[1] = {'\0'};
    return ::fmemopen(size == 0 ? nothing : const_cast<char*>(text), size, "r");
}

// A stream that fills the held file anew, or reads what it holds.
std::FILE* openHeldStream(HeldFile& file, const char* mode) {
    if (opensForWriting(mode)) {
        std::free(file.text);
        file.text = nullptr;
        file.size = 0;
        return ::open_memstream(&file.text, &file.size);
    }
    return openMemory(file.text, file.size);
}

// The content of a source file opened for the second time in a run, kept
// while the bound allows; null when it is not kept.
const std::string* keptSourceText(const std::string& path) {
    FileSeamState& state = seamState();
    auto kept = state.sourceTexts.find(path);
    if (kept != state.sourceTexts.end()) return &kept->second;
    int& openings = state.sourceOpenings[path];
    if (++openings != 2) return nullptr;
    std::string text;
    if (!state.fileSystem->readWhole(path, text)) return nullptr;
    if (state.sourceBytes + text.size() > kMostSourceBytes) return nullptr;
    state.sourceBytes += text.size();
    return &state.sourceTexts.emplace(path, std::move(text)).first->second;
}

}  // namespace

std::FILE* openSourceStream(const std::string& path) {
    FileSeamState& state = seamState();
    state.writeBehind->await(path);
    if (state.inRun && state.pendingPages.count(path) == 0) {
        if (const std::string* text = keptSourceText(path)) return openMemory(text->data(), text->size());
    }
    return openFileStream(path, "rb");
}

bool isSourceFolder(const std::string& path) {
    const FileSeamState& state = seamState();
    if (state.inRun && state.sourceTexts.count(path) != 0) return false;
    return isDirectory(path);
}

void holdInMemory(const std::string& path) {
    seamState().heldFiles[path] = std::make_unique<HeldFile>();
}

std::FILE* openFileStream(const std::string& path, const char* mode) {
    if (HeldFile* held = heldFile(path)) return openHeldStream(*held, mode);
    settle(path);
    std::FILE* stream = seamState().fileSystem->openStream(path, mode);
    if (stream != nullptr && opensForWriting(mode)) noteChange(path, true);
    return stream;
}

bool readWholeFile(const std::string& path, std::string& content) {
    settle(path);
    return seamState().fileSystem->readWhole(path, content);
}

bool readListedFile(const std::string& path, std::string& content) {
    const FileSeamState& state = seamState();
    if (state.inRun && !state.pendingPages.count(path) && !mayBeListed(path)) return false;
    return readWholeFile(path, content);
}

bool writeWholeFile(const std::string& path, const std::string& content) {
    FileSeamState& state = seamState();
    state.writeBehind->await(path);
    state.pendingPages.erase(path);
    bool written = state.fileSystem->writeWhole(path, content);
    if (written) noteChange(path, true);
    return written;
}

bool removeFile(const std::string& path) {
    FileSeamState& state = seamState();
    if (state.heldFiles.erase(path) != 0) return true;
    state.writeBehind->await(path);
    state.pendingPages.erase(path);
    bool removed = state.fileSystem->remove(path);
    if (removed) noteChange(path, false);
    return removed;
}

bool renameFile(const std::string& from, const std::string& to) {
    FileSeamState& state = seamState();
    settle(from);
    state.writeBehind->await(to);
    state.pendingPages.erase(to);
    bool renamed = state.fileSystem->rename(from, to);
    if (renamed) {
        noteChange(from, false);
        noteChange(to, true);
    }
    return renamed;
}

bool resizeFile(const std::string& path, std::uint64_t size) {
    settle(path);
    bool resized = seamState().fileSystem->resize(path, size);
    if (resized) noteChange(path, true);
    return resized;
}

bool syncFileStream(std::FILE* stream) { return seamState().fileSystem->syncStream(stream); }

bool syncFolder(const std::string& folder) {
    seamState().writeBehind->awaitAll();
    return seamState().fileSystem->syncFolder(folder);
}

FileStatus fileStatus(const std::string& path) {
    settle(path);
    return seamState().fileSystem->status(path);
}

bool pathExists(const std::string& path) {
    settle(path);
    return seamState().fileSystem->status(path).exists;
}

bool mayExistIn(const std::string& folder, const std::string& name) {
    return !seamState().inRun || mayBeListedIn(folder, name);
}

bool isDirectory(const std::string& path) {
    seamState().writeBehind->await(path);
    return seamState().fileSystem->status(path).directory;
}

bool staysInsideFolder(const std::string& name) {
    if (!name.empty() && name[0] == kDirectorySeparator) return false;
    std::size_t start = 0;
    while (true) {
        std::size_t end = name.find(kDirectorySeparator, start);
        if (name.compare(start, end == std::string::npos ? std::string::npos : end - start, "..") == 0) {
            return false;
        }
        if (end == std::string::npos) return true;
        start = end + 1;
    }
}

bool isExecutableFile(const std::string& path) {
    seamState().writeBehind->await(path);
    return seamState().fileSystem->status(path).executable;
}

std::uint64_t fileSize(const std::string& path) {
    settle(path);
    return seamState().fileSystem->status(path).size;
}

bool modificationTime(const std::string& path, std::time_t& when) {
    FileSeamState& state = seamState();
    if (!state.inRun) {
        FileStatus status = state.fileSystem->status(path);
        when = status.modified;
        return status.exists;
    }
    settle(path);
    auto cached = state.modificationTimes.find(path);
    if (cached == state.modificationTimes.end()) {
        FileStatus status = state.fileSystem->status(path);
        cached = state.modificationTimes.emplace(path, CachedTime{status.exists, status.modified})
                     .first;
    }
    when = cached->second.when;
    return cached->second.known;
}

std::string canonicalPath(const std::string& path) {
    seamState().writeBehind->await(path);
    return seamState().fileSystem->canonicalPath(path);
}

namespace {

void keepSpareText(std::string& text) {
    std::string& spare = seamState().spareText;
    if (text.capacity() <= spare.capacity()) return;
    text.clear();
    spare.swap(text);
}

}  // namespace

std::string takePageText() { return std::exchange(seamState().spareText, std::string()); }

PageOutput::~PageOutput() {
    if (stream_ != nullptr) std::fclose(stream_);
    // Opened and never closed: the page was created empty, and still is.
    if (writtenBehind_) close(std::string());
}

PageOpening PageOutput::open(const std::string& folder, const std::string& name,
                             const PagePlacement& place) {
    if (!staysInsideFolder(name)) return PageOpening::kOutsideFolder;
    FileSeamState& state = seamState();
    path_ = folder + name;
    if (place && !place(name, path_)) return PageOpening::kSkipped;
    keptBack_ = state.inRun && state.writtenPages.count(path_) != 0;
    if (keptBack_) return PageOpening::kOpened;
    if (state.inRun && state.fileSystem->concurrent() && heldFile(path_) == nullptr) {
        writtenBehind_ = true;
        state.writtenPages.insert(path_);
        noteChange(path_, true);
        return PageOpening::kOpened;
    }
    stream_ = openFileStream(path_, "wb");
    if (stream_ == nullptr) return PageOpening::kNotCreated;
    // The page goes out in one write, not through the stream's small buffer.
    std::setvbuf(stream_, nullptr, _IONBF, 0);
    if (state.inRun) state.writtenPages.insert(path_);
    return PageOpening::kOpened;
}

void PageOutput::close(std::string content) {
    FileSeamState& state = seamState();
    if (keptBack_) {
        // The content it replaces leaves its buffer for a later page.
        state.pendingPages[path_].swap(content);
        keepSpareText(content);
        noteChange(path_, true);
        keptBack_ = false;
        return;
    }
    if (writtenBehind_) {
        writtenBehind_ = false;
        state.writeBehind->write(*state.fileSystem, path_, content);
        keepSpareText(content);
        return;
    }
    if (stream_ == nullptr) return;
    std::fwrite(content.data(), 1, content.size(), stream_);
    std::fclose(stream_);
    stream_ = nullptr;
}

}  // namespace zivrat
