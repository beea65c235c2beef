// The source folders stand on floors: a file may include its own folder and
// the floors below it, never one above or beside it.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "common/run_zivrat.h"
#include "common/temp_dir.h"

namespace zivrat::test {
namespace {

namespace fs = std::filesystem;

// Lowest first; folders on one floor do not include each other.
const std::map<std::string, int> kFloors = {
    {"support", 0}, {"ground", 1},   {"model", 2},    {"preprocessor", 3}, {"parser", 3},
    {"database", 3}, {"html", 4},    {"frontend", 5}, {"driver", 6},
};

bool isSourceFile(const fs::path& path) {
    static const std::vector<std::string> kExtensions = {".h", ".cpp", ".l", ".y", ".in"};
    for (const std::string& extension : kExtensions) {
        if (path.extension() == extension) return true;
    }
    return false;
}

// The folder names that a file's project includes start with.
std::vector<std::string> includedFolders(const std::string& text) {
    static const std::regex kInclude(R"re(#include "([a-z_]+)/)re");
    std::vector<std::string> folders;
    for (std::sregex_iterator it(text.begin(), text.end(), kInclude), end; it != end; ++it) {
        folders.push_back((*it)[1]);
    }
    return folders;
}

TEST(Floors, EverySourceFolderHasAFloor) {
    for (const auto& entry : fs::directory_iterator(sourceDirectory() + "/src")) {
        if (!entry.is_directory()) continue;
        EXPECT_EQ(kFloors.count(entry.path().filename().string()), 1u)
            << entry.path() << " is on no floor: add it to the order";
    }
}

TEST(Floors, NoFileIncludesAFloorAboveOrBesideItsOwn) {
    const fs::path root = sourceDirectory() + "/src";
    int checked = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file() || !isSourceFile(entry.path())) continue;
        const std::string folder = fs::relative(entry.path(), root).begin()->string();
        auto own = kFloors.find(folder);
        if (own == kFloors.end()) continue;  // reported by the test above
        ++checked;
        for (const std::string& included : includedFolders(readFile(entry.path().string()))) {
            auto floor = kFloors.find(included);
            if (floor == kFloors.end() || included == folder) continue;
            EXPECT_LT(floor->second, own->second)
                << fs::relative(entry.path(), root) << " includes " << included << "/";
        }
    }
    EXPECT_GT(checked, 50);
}

}  // namespace
}  // namespace zivrat::test
