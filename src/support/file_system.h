// The program's one way to the file system: pages, companion files, stats,
// the temporary file, dico.dat and the configuration all go through here.
// It is where the caching lives (modification times, listed folders for
// files that are mostly missing, pages rewritten within a run) and what
// tests replace with a file system of their own.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace zivrat {

struct FileStatus {
    bool exists = false;
    bool directory = false;
    bool executable = false;  // a regular file that may be run
    std::uint64_t size = 0;   // of anything but a directory
    std::int64_t modifiedNs = 0;  // the modification time in nanoseconds
    std::time_t modified = 0;
};

// What the seam needs of a file system. The disk is the default one.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // A stdio stream with the modes of fopen; null when it cannot be opened.
    virtual std::FILE* openStream(const std::string& path, const char* mode) = 0;
    // The whole content (what could be read); false when the file cannot be opened.
    virtual bool readWhole(const std::string& path, std::string& content) = 0;
    // Creates or replaces the file; false when it cannot be created.
    virtual bool writeWhole(const std::string& path, const std::string& content) = 0;
    virtual bool remove(const std::string& path) = 0;
    // Replaces `to` by `from`.
    virtual bool rename(const std::string& from, const std::string& to) = 0;
    // Cuts or extends the file to `size` bytes.
    virtual bool resize(const std::string& path, std::uint64_t size) = 0;
    virtual FileStatus status(const std::string& path) = 0;
    // The names in a folder ("" is the current one); false when it cannot be listed.
    virtual bool listFolder(const std::string& folder, std::vector<std::string>& names) = 0;
    // Makes what was written to the stream last through a power cut.
    virtual bool syncStream(std::FILE* stream) = 0;
    // Makes the folder's entries last through a crash.
    virtual bool syncFolder(const std::string& folder) = 0;
    // The absolute path with links resolved; the path itself when it cannot be.
    virtual std::string canonicalPath(const std::string& path) = 0;
    // Whether its calls may come from two threads at once. Pages of a run
    // are then written by a thread of their own (see write_behind.h).
    virtual bool concurrent() const { return false; }
};

FileSystem& diskFileSystem();

// Puts another file system under the seam (null: the disk again). Pending
// pages are written first and every cache is dropped.
void useFileSystem(FileSystem* replacement);

// A run of the program: caches live, pages are written behind it, and
// pages written again are kept back, from its start to its end (however it
// ends: every page has reached the file system when `endFileRun` returns).
// Outside a run every access goes straight to the file system.
void beginFileRun();
void endFileRun();

// The file at `path` lives in memory, not in the file system, until it is
// removed or the run ends: a scratch file that only this program reads (the
// preprocessed text of an input on its way to the parser). Its streams are
// opened as any other file's.
void holdInMemory(const std::string& path);

std::FILE* openFileStream(const std::string& path, const char* mode);
// A source file (an input or an include) opened for reading. Within a run a
// file opened again is served from memory: sources do not change while
// they are documented, and headers that every input includes are read once.
std::FILE* openSourceStream(const std::string& path);
// Whether a source path names a folder; known without asking for a source
// kept in memory.
bool isSourceFolder(const std::string& path);
bool readWholeFile(const std::string& path, std::string& content);
// For files that are mostly missing (companion files): within a run the
// folder is listed once, and a name that is not in it is not looked for.
bool readListedFile(const std::string& path, std::string& content);
bool writeWholeFile(const std::string& path, const std::string& content);
bool removeFile(const std::string& path);
bool renameFile(const std::string& from, const std::string& to);
bool resizeFile(const std::string& path, std::uint64_t size);
bool syncFileStream(std::FILE* stream);
bool syncFolder(const std::string& folder);

// What the file system says of the path now (never cached).
FileStatus fileStatus(const std::string& path);
bool pathExists(const std::string& path);
// Whether something may be at a name in a folder (given as a prefix, "" or
// ending in '/'): false only when the folder's listing, taken once within a
// run, does not hold the name. Always true outside a run.
bool mayExistIn(const std::string& folder, const std::string& name);
bool isDirectory(const std::string& path);
// Whether a name joined to a folder names something inside that folder: it
// is not absolute and no part of it is "..".
bool staysInsideFolder(const std::string& name);
bool isExecutableFile(const std::string& path);
// The size of a file; 0 when there is none.
std::uint64_t fileSize(const std::string& path);
// Last modification time; false when the file cannot be examined. Cached
// within a run: sources do not change while they are documented.
bool modificationTime(const std::string& path, std::time_t& when);
std::string canonicalPath(const std::string& path);

// An empty text to build a page in: within a run, the buffer of a page
// already written when there is one, so that each page does not grow a
// buffer of its own.
std::string takePageText();

enum class PageOpening { kOpened, kNotCreated, kSkipped, kOutsideFolder };

// Decides whether a page is written and where: false skips it; the path,
// the folder joined with the name, may be changed.
using PagePlacement = std::function<bool(const std::string& name, std::string& path)>;

// A page of the output folder, created when it is opened and written whole
// when it is closed. Its name never leads outside the folder: page names
// come from the configuration and from dico.dat records too, which may be
// damaged or hostile. Within a run, a page opened again (the index and
// list pages, shared file and class pages: once per input) is kept back
// instead, so that it reaches the file system once, with its last content.
// Within a run, on a file system that allows it, the page is created only
// when it is closed, behind the run; one that cannot be created is skipped
// as it always was, and anything that touches its file first waits for it.
class PageOutput {
public:
    PageOutput() = default;
    PageOutput(const PageOutput&) = delete;
    PageOutput& operator=(const PageOutput&) = delete;
    ~PageOutput();

    PageOpening open(const std::string& folder, const std::string& name,
                     const PagePlacement& place = PagePlacement());
    // Writes the whole content and closes the page.
    void close(std::string content);

private:
    std::string path_;
    std::FILE* stream_ = nullptr;
    bool keptBack_ = false;
    bool writtenBehind_ = false;
};


}  // namespace zivrat
