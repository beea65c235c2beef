#include "fuzz_support.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "driver/run.h"
#include "ground/failures.h"
#include "ground/page_words.h"
#include "ground/settings.h"
#include "model/model.h"
#include "preprocessor/preprocessor.h"

namespace zivrat::fuzz {

namespace fs = std::filesystem;

Sandbox& Sandbox::instance() {
    static Sandbox sandbox;
    return sandbox;
}

Sandbox::Sandbox() {
    char pattern[] = "/tmp/zivrat-fuzz-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) std::abort();
    root_ = pattern;
    work_ = root_ + "/up/up/work";
    fs::create_directories(work_ + "/out");
    if (::chdir(work_.c_str()) != 0) std::abort();
}

void Sandbox::write(const std::string& name, const std::string& content) const {
    std::ofstream(file(name), std::ios::binary | std::ios::trunc) << content;
}

void Sandbox::write(const std::string& name, const std::uint8_t* data, std::size_t size) const {
    write(name, std::string(reinterpret_cast<const char*>(data), size));
}

void Sandbox::remove(const std::string& name) const { std::remove(file(name).c_str()); }

void Sandbox::checkAndClean(const std::vector<std::string>& allowed) const {
    const fs::path out = fs::path(work_) / "out";
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root_)) {
        if (!entry.is_regular_file()) continue;
        const fs::path& path = entry.path();
        if (entry.file_size() > kLargestFile) {
            std::cerr << "file grown past the bound: " << path << " (" << entry.file_size()
                      << " bytes)\n";
            std::abort();
        }
        std::string relative = path.lexically_relative(out).string();
        if (relative.compare(0, 2, "..") != 0) continue;  // inside the output folder
        std::string name = path.lexically_relative(work_).string();
        bool expected = name.compare(0, 4, "zvpp") == 0 ||  // temporary files, removed later
                        std::find(allowed.begin(), allowed.end(), name) != allowed.end();
        if (!expected) {
            std::cerr << "file written outside the output folder: " << path << "\n";
            std::abort();
        }
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(out)) fs::remove_all(entry.path());
}

void prepareProcess() {
    if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
    preprocessorLimits().workBytes = 1 << 20;
    ::setenv("TZ", "UTC", 1);
    ::setenv("SOURCE_DATE_EPOCH", "883990987", 1);
    ::unsetenv("TMP");
    ::unsetenv("GUIZIVRAT");
    Sandbox::instance();
}

void resetRunState() {
    runSettings() = RunSettings();
    configuration() = Configuration();
    docModel().clear();
}

int runProgram(const std::vector<std::string>& args) {
    resetRunState();
    try {
        return runFromCommandLine(args);
    } catch (const TextFailure&) {
    } catch (const std::exception&) {
    } catch (const UserBreak&) {
    } catch (const PlainMessage&) {
    }
    docModel().clear();
    return -1;
}

std::pair<std::string, std::string> splitInput(const std::uint8_t* data, std::size_t size,
                                               const std::string& separator) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::size_t at = text.find(separator);
    if (at == std::string::npos) return {text, std::string()};
    return {text.substr(0, at), text.substr(at + separator.size())};
}

}  // namespace zivrat::fuzz
