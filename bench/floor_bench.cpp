// A whole run against the file-system floor of the same work.
//
//   floor_bench [path-to-zivrat] [pairs] [memory]
//
// The corpus is about 1,000 generated headers (25 MB), each including one
// shared header. A reference run names the pages and their sizes. Then, in
// pairs, with the output folder prepared outside the timing:
//   floor      read every input once and write every page of the reference
//              run once (same names, same sizes, one write each);
//   whole run  the program over all inputs.
// Each series prints the median times and the median of the pair ratios,
// into a fresh folder and into one that already holds the pages, on memory
// (/dev/shm, the figure that counts: a disk's file creation swings with
// its own history) and on disk beside it (skipped with "memory", as the
// disk series take minutes to prepare). Status 1 when a run fails.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "parser_header_generator.h"

namespace fs = std::filesystem;

namespace {

constexpr int kInputs = 1000;
constexpr std::size_t kBlocksPerInput = 12;

// Every name of a generated block gets the input's own prefix, so that
// each input documents classes of its own.
std::string inputText(int input) {
    const std::string prefix = "H" + std::to_string(input);
    std::string text = "#include \"common.h\"\n";
    const std::string block = zivrat::bench::generateHeader(kBlocksPerInput).text;
    const std::string from = "Widget";
    for (std::size_t at = 0; at < block.size();) {
        std::size_t next = block.find(from, at);
        text.append(block, at, next == std::string::npos ? std::string::npos : next - at);
        if (next == std::string::npos) break;
        text += prefix + from;
        at = next + from.size();
    }
    // Long descriptions, as real headers have them.
    for (std::size_t line = 0; line < 180; ++line) {
        text += "// Notes on the use of the classes of this header, line " +
                std::to_string(line) + ", kept for the reader of the source.\n";
    }
    return text;
}

const char* const kCommonHeader =
    "#ifndef COMMON_H\n#define COMMON_H\n"
    "/* The base of every generated class. */\n"
    "class Common {\npublic:\n    Common();\n    virtual ~Common();\n"
    "    int id() const;\nprivate:\n    int id_;\n};\n#endif\n";

struct Corpus {
    fs::path folder;
    std::vector<std::string> inputs;  // file names inside the folder
    std::vector<fs::path> files;      // every file a run reads
};

Corpus writeCorpus(const fs::path& folder) {
    Corpus corpus;
    corpus.folder = folder;
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::ofstream(folder / "common.h") << kCommonHeader;
    corpus.files.push_back(folder / "common.h");
    for (int input = 0; input < kInputs; ++input) {
        const std::string name = "h" + std::to_string(input) + ".h";
        std::ofstream(folder / name) << inputText(input);
        corpus.inputs.push_back(name);
        corpus.files.push_back(folder / name);
    }
    return corpus;
}

struct Page {
    std::string name;
    std::size_t size;
};

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The whole run as a child process; false when it fails.
bool runProgram(const std::string& binary, const Corpus& corpus, const fs::path& out) {
    std::vector<std::string> args = {binary, "-lo", out.string()};
    args.insert(args.end(), corpus.inputs.begin(), corpus.inputs.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::fflush(stdout);
    pid_t child = fork();
    if (child == 0) {
        if (chdir(corpus.folder.c_str()) != 0) _exit(127);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execv(binary.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

std::vector<Page> pagesIn(const fs::path& folder) {
    std::vector<Page> pages;
    for (const auto& entry : fs::directory_iterator(folder)) {
        pages.push_back({entry.path().filename().string(), entry.file_size()});
    }
    return pages;
}

void readWhole(const fs::path& path, std::vector<char>& buffer) {
    int handle = open(path.c_str(), O_RDONLY);
    if (handle < 0) return;
    while (read(handle, buffer.data(), buffer.size()) > 0) {
    }
    close(handle);
}

// The floor: every input read once, every page written once.
void floorWork(const Corpus& corpus, const std::vector<Page>& pages, const fs::path& out) {
    std::vector<char> buffer(1 << 20, 'x');
    for (const fs::path& file : corpus.files) readWhole(file, buffer);
    for (const Page& page : pages) {
        int handle = open((out / page.name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (handle < 0) continue;
        if (write(handle, buffer.data(), page.size) < 0) std::cerr << "write failed\n";
        close(handle);
    }
}

// An empty folder, or one holding the reference pages.
void prepare(const fs::path& out, const fs::path& reference, bool holdingPages) {
    fs::remove_all(out);
    if (holdingPages) fs::copy(reference, out);
    else fs::create_directories(out);
    sync();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool series(const std::string& title, const std::string& binary, const Corpus& corpus,
            const std::vector<Page>& pages, const fs::path& reference, const fs::path& out,
            bool holdingPages, int pairs) {
    std::vector<double> floors, runs, ratios;
    for (int pair = 0; pair < pairs; ++pair) {
        prepare(out, reference, holdingPages);
        auto start = std::chrono::steady_clock::now();
        floorWork(corpus, pages, out);
        floors.push_back(seconds(start));
        prepare(out, reference, holdingPages);
        start = std::chrono::steady_clock::now();
        if (!runProgram(binary, corpus, out)) {
            std::cerr << "the run failed\n";
            return false;
        }
        runs.push_back(seconds(start));
        ratios.push_back(runs.back() / floors.back());
    }
    std::cout << "  " << title << ": floor " << median(floors) << " s, whole run "
              << median(runs) << " s, median ratio " << median(ratios) << "\n";
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string binary = fs::absolute(argc > 1 ? argv[1] : ZIVRAT_BINARY).string();
    const int pairs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const std::string tag = "floor_bench_" + std::to_string(getpid());
    const fs::path memory = fs::path("/dev/shm") / tag;
    const fs::path disk = fs::temp_directory_path() / tag;
    Corpus corpus = writeCorpus(memory / "src");
    const fs::path reference = memory / "reference";
    fs::create_directories(reference);
    if (!runProgram(binary, corpus, reference)) {
        std::cerr << "the reference run failed\n";
        return 1;
    }
    const std::vector<Page> pages = pagesIn(reference);
    std::size_t bytes = 0;
    for (const fs::path& file : corpus.files) bytes += fs::file_size(file);
    std::cout << corpus.files.size() << " headers (" << bytes / 1000000.0 << " MB), "
              << pages.size() << " pages; " << pairs << " pairs per series\n";
    bool ok = true;
    const bool memoryOnly = argc > 3 && std::string(argv[3]) == "memory";
    for (const auto& [where, base] : {std::pair{"memory", memory}, std::pair{"disk", disk}}) {
        if (memoryOnly && base == disk) continue;
        fs::create_directories(base);
        for (bool holding : {false, true}) {
            const std::string title =
                std::string(where) + (holding ? ", folder holding the pages" : ", fresh folder");
            ok = series(title, binary, corpus, pages, reference, base / "html", holding, pairs) &&
                 ok;
        }
    }
    fs::remove_all(memory);
    fs::remove_all(disk);
    return ok ? 0 : 1;
}
