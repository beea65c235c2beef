// File names on the host: the one place that knows the directory separator.
#pragma once

#include <ctime>
#include <string>

namespace zivrat {

constexpr char kDirectorySeparator = '/';

// The directory name followed by one separator, ready for plain concatenation.
std::string withTrailingSeparator(const std::string& directory);

// Joins a directory and a name with one separator, unless the directory is
// empty or already ends in a separator (or, as the old rule had it, a colon).
std::string joinPath(const std::string& directory, const std::string& name);

// The part of a path up to and including its last separator; empty when none.
std::string directoryPrefix(const std::string& path);

// The folder of the program file that argv[0] names, ready for plain
// concatenation: the name's own folder when it holds a separator; else the
// first folder of `searchPath` (a PATH text) that holds an executable of
// that name, since that is where the shell found the program; else empty
// (the current folder).
std::string programFolder(const std::string& programName, const char* searchPath);

// The part of a path after its last "/", else after its last "\", else all of it.
std::string baseNameOf(const std::string& path);

bool pathExists(const std::string& path);
// The absolute path with "." and ".." and links resolved; the path itself
// when it cannot be resolved.
std::string canonicalPath(const std::string& path);
bool isDirectory(const std::string& path);

// Last modification time; false when the file cannot be examined.
bool modificationTime(const std::string& path, std::time_t& when);

}  // namespace zivrat
