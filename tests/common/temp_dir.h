// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <string>

namespace zivrat::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string file(const std::string& name) const;
    // Writes a file (creating its folders); returns its full path.
    std::string write(const std::string& name, const std::string& content) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;
    void makeDirectory(const std::string& name) const;
    // Sets the modification time of a file (for reproducible page dates).
    void touch(const std::string& name, long long epochSeconds) const;

private:
    std::string path_;
};

// Reads a whole file; empty when it cannot be read.
std::string readFile(const std::string& path);
// Writes the file with exactly these bytes, replacing what it held.
void writeFile(const std::string& path, const std::string& content);

}  // namespace zivrat::test
