#include "common/temp_dir.h"

#include <sys/stat.h>
#include <sys/time.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace zivrat::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zivrat-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::file(const std::string& name) const { return path_ + "/" + name; }

std::string TempDir::write(const std::string& name, const std::string& content) const {
    std::string full = file(name);
    std::filesystem::create_directories(std::filesystem::path(full).parent_path());
    writeFile(full, content);
    return full;
}

std::string TempDir::read(const std::string& name) const { return readFile(file(name)); }

bool TempDir::exists(const std::string& name) const {
    return std::filesystem::exists(file(name));
}

void TempDir::makeDirectory(const std::string& name) const {
    std::filesystem::create_directories(file(name));
}

void TempDir::touch(const std::string& name, long long epochSeconds) const {
    struct timeval times[2];
    times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(epochSeconds);
    times[0].tv_usec = times[1].tv_usec = 0;
    ::utimes(file(name).c_str(), times);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

}  // namespace zivrat::test
