// Page-writing benchmark at 1x, 10x and 100x sizes.
//
//   pages_bench model            pages of hand-built models (no parse)
//   pages_bench full ZIVRAT      full runs of the binary (parse plus pages)
//                                on generated headers
//
// Each size is ten times the one before; the ratios printed should stay
// near 10 when the work grows linearly. The status is 1 when a processor
// time ratio is above 12, or when a full run did not write every class page.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

#include "ground/settings.h"
#include "html/generate.h"
#include "model/model.h"

namespace fs = std::filesystem;
using namespace zivrat;

namespace {

constexpr int kBaseClasses = 100;
constexpr int kClassesPerFile = 50;
constexpr int kLibraries = 8;

std::string className(int i) { return "C" + std::to_string(i); }

// An earlier class for links (or the first one).
int earlier(int i, int step) { return i > step ? i - step : 0; }

DataTag dataTag(const std::string& type, const std::string& name, std::uint32_t access,
                std::uint32_t shape) {
    DataTag tag;
    tag.type = type;
    tag.name = name;
    tag.access = access;
    tag.flags = shape;
    tag.description = "The " + name + " of the class.";
    return tag;
}

FunctionTag functionTag(const std::string& returnType, const std::string& name,
                        std::vector<DataTag> params, std::uint32_t flags) {
    FunctionTag tag;
    tag.returnType = returnType;
    tag.name = name;
    tag.params = std::move(params);
    tag.flags = flags;
    tag.isConst = (flags & Const) != 0;
    tag.description = "Does " + name + ".";
    return tag;
}

// A class like the ones the header generator writes: a base, members that
// name earlier classes, and a dozen functions.
std::unique_ptr<ClassTag> makeClass(int i, const std::string& path) {
    auto tag = std::make_unique<ClassTag>();
    tag->name = className(i);
    tag->pageFile = tag->name + ".html";
    tag->library = "lib" + std::to_string(i % kLibraries);
    tag->authors = "bench";
    tag->version = "1.0";
    tag->description = "Class number " + std::to_string(i) + " of the benchmark model.";
    tag->sourcePath = path;
    tag->sourceFile = fs::path(path).filename().string();
    if (i > 0) {
        tag->baseNames.push_back(className(i - 1));
        tag->baseAccess.push_back(PublicBase);
    }
    const std::string near = className(earlier(i, 1)), far = className(earlier(i, 7));
    tag->data = {dataTag(near, "link", Protected, PointerShape), dataTag("int", "count", Protected, 0),
                 dataTag("char", "name", Private, PointerShape), dataTag(far, "peer", Private, 0)};
    tag->functions = {
        functionTag("", tag->name, {}, Constructor),
        functionTag("virtual", tag->name, {}, Destructor),
        functionTag("int", "size", {}, Ordinary | Const),
        functionTag("void", "attach", {dataTag(near + "&", "other", 0, 0),
                                       dataTag("const " + far + "*", "peer", 0, 0)},
                    Ordinary),
        functionTag(near + "*", "next", {dataTag("int", "n", 0, 0)}, Ordinary),
        functionTag("bool", "operator==", {dataTag("const " + tag->name + "&", "other", 0, 0)},
                    Operator | Const),
    };
    for (int k = 0; k < 6; ++k) {
        tag->functions.push_back(functionTag("double", "measure" + std::to_string(k),
                                             {dataTag("double", "scale", 0, 0)}, Ordinary));
    }
    return tag;
}

void buildModel(int classes) {
    DocModel& model = docModel();
    model.clear();
    for (int i = 0; i < classes; ++i) {
        const std::string path = "bench/part" + std::to_string(i / kClassesPerFile) + ".h";
        model.currentFile = model.findOrCreateFile(fs::path(path).filename().string(), path);
        model.currentFile->typedefNames.push_back(className(i) + "* " + className(i) + "Pointer");
        model.addClass(makeClass(i, path));
    }
}

// Wall time, and the processor time (user plus system) of this process or
// of its finished children.
struct Timing {
    double wall = 0;
    double processor = 0;
};

double processorSeconds(int who) {
    rusage usage{};
    ::getrusage(who, &usage);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

class Stopwatch {
public:
    explicit Stopwatch(int who) : who_(who), processor_(processorSeconds(who)) {}
    Timing stop() const {
        return {std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_).count(),
                processorSeconds(who_) - processor_};
    }

private:
    int who_;
    std::chrono::steady_clock::time_point wall_ = std::chrono::steady_clock::now();
    double processor_;
};

void resetFolder(const fs::path& folder) {
    fs::remove_all(folder);
    fs::create_directories(folder);
}

Timing timeModelPages(int classes, const fs::path& out) {
    buildModel(classes);
    resetFolder(out);
    runSettings().htmlPath = out.string() + "/";
    std::ostringstream console;
    std::streambuf* saved = std::cout.rdbuf(console.rdbuf());
    Stopwatch watch(RUSAGE_SELF);
    generateOutput();
    Timing timing = watch.stop();
    std::cout.rdbuf(saved);
    docModel().clear();
    return timing;
}

// One class of the generated headers, naming only earlier classes.
void writeClassText(std::ostream& out, int i) {
    const std::string name = className(i), near = className(earlier(i, 1)),
                      far = className(earlier(i, 7));
    out << "/// Class number " << i << " of the benchmark.\n";
    out << "class " << name;
    if (i > 0) out << " : public " << className(i - 1);
    out << " {\npublic:\n    " << name << "();\n    virtual ~" << name << "();\n"
        << "    int size() const;\n    void attach(" << near << "& other, const " << far
        << "* peer);\n    " << near << "* next(int n);\n    bool operator==(const " << name
        << "& other) const;\n";
    for (int k = 0; k < 6; ++k) out << "    double measure" << k << "(double scale);\n";
    out << "protected:\n    " << near << "* link;\n    int count;\nprivate:\n    char* name;\n    "
        << far << " peer;\n};\n\ntypedef " << name << "* " << name << "Pointer;\n\n";
}

// bench.h includes one part header per kClassesPerFile classes.
fs::path writeHeaders(int classes, const fs::path& folder) {
    resetFolder(folder);
    std::ofstream main(folder / "bench.h");
    for (int part = 0; part * kClassesPerFile < classes; ++part) {
        const std::string file = "part" + std::to_string(part) + ".h";
        main << "#include \"" << file << "\"\n";
        std::ofstream header(folder / file);
        for (int i = part * kClassesPerFile; i < classes && i < (part + 1) * kClassesPerFile; ++i) {
            writeClassText(header, i);
        }
    }
    return folder / "bench.h";
}

// The options of one series of full runs; -C lets the documentation
// comments of the headers reach the pages.
struct FullRun {
    const char* title;
    std::vector<std::string> options;
    int pagesPerClass;
};

std::size_t filesIn(const fs::path& folder) {
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) count += entry.is_regular_file();
    return count;
}

Timing timeFullRun(const std::string& binary, const FullRun& series, int classes,
                   const fs::path& work) {
    fs::path input = writeHeaders(classes, work / "src");
    fs::path out = work / "html";
    resetFolder(out);
    std::string command = "cd '" + (work / "src").string() + "' && '" + binary + "'";
    for (const std::string& option : series.options) command += " " + option;
    command += " -lo '" + out.string() + "' bench.h > /dev/null";
    Stopwatch watch(RUSAGE_CHILDREN);
    int status = std::system(command.c_str());
    Timing timing = watch.stop();
    // A run that stopped early would look fast: every class must have its page.
    const std::size_t expected = static_cast<std::size_t>(classes) * series.pagesPerClass;
    if (status != 0 || filesIn(out) < expected) {
        std::cerr << "zivrat ended with status " << status << " and wrote " << filesIn(out)
                  << " pages, fewer than the " << expected << " of the classes\n";
        std::exit(1);
    }
    return timing;
}

// The most that ten times the work may take, as a multiple of the time.
constexpr double kMostRatio = 12.0;

// The best of three runs of each size; false when a size took more than
// kMostRatio times the processor time of the size before.
template <typename Timer>
bool report(const char* title, Timer timer) {
    std::cout << title << " (seconds: wall, processor)\n";
    Timing previous;
    bool linear = true;
    for (int factor : {1, 10, 100}) {
        int classes = kBaseClasses * factor;
        Timing best = timer(classes);
        for (int run = 1; run < 3; ++run) {
            Timing next = timer(classes);
            best.wall = std::min(best.wall, next.wall);
            best.processor = std::min(best.processor, next.processor);
        }
        std::cout << "  " << factor << "x (" << classes << " classes): " << best.wall << ", "
                  << best.processor;
        if (previous.wall > 0) {
            const double ratio = best.processor / previous.processor;
            std::cout << "; ratios to the size before " << best.wall / previous.wall << ", "
                      << ratio;
            linear = linear && ratio <= kMostRatio;
        }
        std::cout << "\n";
        previous = best;
    }
    return linear;
}

// The disk of a shared machine times its own queue more than the program:
// pages go to memory (/dev/shm) where there is such a folder.
fs::path workFolder() {
    std::error_code error;
    fs::path base = fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm")
                                                         : fs::temp_directory_path();
    return base / ("pages_bench_" + std::to_string(::getpid()));
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "model";
    const fs::path work = workFolder();
    fs::create_directories(work);
    std::cout << "working in " << work.string() << "\n";
    bool linear = true;
    if (mode == "model") {
        linear = report("pages of hand-built models",
                        [&](int n) { return timeModelPages(n, work / "html"); });
        runSettings().htmlVersion = 3;
        runSettings().frames = true;
        linear = report("the same with frames",
                        [&](int n) { return timeModelPages(n, work / "html"); }) &&
                 linear;
    } else if (mode == "full" && argc > 2) {
        const std::string binary = fs::absolute(argv[2]).string();
        const FullRun series[] = {
            {"full runs (parse plus pages, -C)", {"-C"}, 1},
            {"full runs with frames and short names (-C -3 -f -S)", {"-C", "-3", "-f", "-S"}, 3},
        };
        for (const FullRun& run : series) {
            linear = report(run.title, [&](int n) { return timeFullRun(binary, run, n, work); }) &&
                     linear;
        }
    } else {
        std::cerr << "usage: pages_bench model | pages_bench full ZIVRAT\n";
        return 2;
    }
    fs::remove_all(work);
    std::cout << (linear ? "linear: ok" : "linear: FAILED") << "\n";
    return linear ? 0 : 1;
}
