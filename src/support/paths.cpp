#include "support/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include <cstdlib>

namespace zivrat {

std::string withTrailingSeparator(const std::string& directory) {
    return directory + kDirectorySeparator;
}

std::string joinPath(const std::string& directory, const std::string& name) {
    if (directory.empty()) return name;
    char last = directory.back();
    if (last == kDirectorySeparator || last == '\\' || last == ':') return directory + name;
    return directory + kDirectorySeparator + name;
}

std::string directoryPrefix(const std::string& path) {
    std::size_t cut = path.rfind(kDirectorySeparator);
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

namespace {

bool isExecutableFile(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string programFolder(const std::string& programName, const char* searchPath) {
    if (programName.empty() || searchPath == nullptr ||
        programName.find(kDirectorySeparator) != std::string::npos) {
        return directoryPrefix(programName);
    }
    const std::string folders = searchPath;
    for (std::size_t start = 0; start <= folders.size();) {
        std::size_t end = std::min(folders.find(':', start), folders.size());
        // An empty entry is the current folder, which the empty result names.
        std::string folder = folders.substr(start, end - start);
        if (!folder.empty() && isExecutableFile(joinPath(folder, programName))) {
            return joinPath(folder, std::string());
        }
        start = end + 1;
    }
    return std::string();
}

std::string baseNameOf(const std::string& path) {
    std::size_t cut = path.rfind('/');
    if (cut == std::string::npos) cut = path.rfind('\\');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool pathExists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

std::string canonicalPath(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return path;
    std::string result(resolved);
    std::free(resolved);
    return result;
}

bool isDirectory(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool modificationTime(const std::string& path, std::time_t& when) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) return false;
    when = info.st_mtime;
    return true;
}

}  // namespace zivrat
