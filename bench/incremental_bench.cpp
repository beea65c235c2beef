// Incremental runs against full runs, side by side, on a generated corpus of
// 1,000 headers (about 25 MB):
//
//   incremental_bench ZIVRAT [headers]
//
// It times a full lenient run, the first incremental run (a full run that
// also keeps its state), a re-run over unchanged files, and re-runs after
// one header changed. The status is 1 when the unchanged re-run costs more
// than 5 % of the full run, or a one-header re-run more than 5 % plus that
// header's share, or when a folder differs from the full run's.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "parser_header_generator.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kBlocksPerHeader = 34;  // about 25 KB a header
constexpr int kRepeats = 3;

std::string headerName(std::size_t i) {
    std::ostringstream name;
    name << "h" << std::setw(4) << std::setfill('0') << i << ".h";
    return name.str();
}

// Each header's classes carry its number, and each includes a shared one.
std::string headerText(std::size_t i, std::size_t blocks) {
    const std::string prefix = "H" + std::to_string(i);
    std::string text = "#include \"common.h\"\n";
    const std::string generated = zivrat::bench::generateHeader(blocks).text;
    for (std::size_t at = 0; at < generated.size();) {
        if (generated.compare(at, 6, "Widget") == 0 || generated.compare(at, 6, "widget") == 0) {
            text += prefix;
        }
        text += generated[at++];
    }
    return text;
}

void writeText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

double runSeconds(const std::string& command) {
    auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) std::cerr << "failed: " << command << "\n";
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool sameFolders(const fs::path& a, const fs::path& b) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(a)) {
        if (entry.path().filename() != "zivrat.incremental") names.push_back(entry.path().filename());
    }
    std::size_t inB = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(b)) ++inB;
    if (names.size() != inB) return false;
    return std::all_of(names.begin(), names.end(), [&](const std::string& name) {
        return fs::exists(b / name) && readText(a / name) == readText(b / name);
    });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: incremental_bench ZIVRAT [headers]\n";
        return 2;
    }
    const std::string zivrat = fs::absolute(argv[1]).string();
    const std::size_t headers = argc > 2 ? std::stoul(argv[2]) : 1000;
    const fs::path root = fs::temp_directory_path() / ("zivrat-incremental-bench-" +
                                                       std::to_string(::getpid()));
    fs::create_directories(root / "out");
    writeText(root / "common.h", "#ifndef COMMON_H\n#define COMMON_H\nclass Base { int b; };\n#endif\n");
    std::string inputs;
    std::uintmax_t bytes = 0;
    for (std::size_t i = 0; i < headers; ++i) {
        writeText(root / headerName(i), headerText(i, kBlocksPerHeader));
        bytes += fs::file_size(root / headerName(i));
        inputs += " " + headerName(i);
    }
    const std::string head = "cd '" + root.string() + "' && SOURCE_DATE_EPOCH=883990987 '" +
                             zivrat + "' --lenient -C ";
    auto full = [&](const std::string& folder) {
        fs::remove_all(root / folder);
        fs::create_directories(root / folder);
        return runSeconds(head + "-lo " + folder + inputs + " >/dev/null");
    };
    const std::string incremental = head + "--incremental -lo out" + inputs + " >/dev/null";

    std::cout << headers << " headers, " << bytes / 1000000.0 << " MB\n";
    double fullBest = 1e9, unchangedBest = 1e9, changedBest = 1e9;
    for (int i = 0; i < kRepeats; ++i) fullBest = std::min(fullBest, full("full"));
    fs::remove_all(root / "out");
    fs::create_directories(root / "out");
    const double first = runSeconds(incremental);
    for (int i = 0; i < kRepeats; ++i) unchangedBest = std::min(unchangedBest, runSeconds(incremental));
    bool same = sameFolders(root / "out", root / "full");
    for (int i = 0; i < kRepeats; ++i) {
        const std::size_t edited = headers / 2 + static_cast<std::size_t>(i);
        writeText(root / headerName(edited), headerText(edited, kBlocksPerHeader) + "class Added" +
                                                 std::to_string(i) + " { int a; };\n");
        changedBest = std::min(changedBest, runSeconds(incremental));
    }
    full("full");
    same = same && sameFolders(root / "out", root / "full");

    const double share = fullBest / static_cast<double>(headers);
    auto line = [&](const char* what, double seconds) {
        std::cout << std::left << std::setw(36) << what << std::right << std::fixed
                  << std::setprecision(3) << std::setw(8) << seconds << " s  " << std::setw(6)
                  << std::setprecision(1) << 100.0 * seconds / fullBest << " % of full\n";
    };
    line("full run (--lenient)", fullBest);
    line("first incremental run", first);
    line("re-run, nothing changed", unchangedBest);
    line("re-run, one header changed", changedBest);
    std::cout << "one header's share of the full run: " << std::setprecision(4) << share
              << " s; folders as after a full run: " << (same ? "yes" : "NO") << "\n";
    fs::remove_all(root);
    const bool fast = unchangedBest <= 0.05 * fullBest && changedBest <= 0.05 * fullBest + share;
    return fast && same ? 0 : 1;
}
