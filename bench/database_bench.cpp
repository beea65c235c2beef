// The class database under load: n classes added in several inputs (as
// with -a), then the index rebuild with its pages (as with -i). The model of
// each input is filled by hand, so only the database work is timed.
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>

#include "database/database.h"
#include "driver/run.h"
#include "ground/settings.h"
#include "model/model.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Names in a scattered order, as the inputs of a real library come.
std::string className(std::size_t index, std::size_t count) {
    std::size_t scattered = (index * 7919 + 13) % count;
    char name[32];
    std::snprintf(name, sizeof name, "Widget%07zu", scattered);
    return name;
}

void fillModel(std::size_t first, std::size_t count, std::size_t total) {
    zivrat::DocModel& model = zivrat::docModel();
    for (std::size_t i = first; i < first + count; ++i) {
        auto tag = std::make_unique<zivrat::ClassTag>();
        tag->name = className(i, total);
        tag->pageFile = tag->name + ".html";
        // Twenty classes per source file, eight libraries.
        tag->library = "lib" + std::to_string(i / 20 % 8);
        tag->sourceFile = "file" + std::to_string(i / 20) + ".h";
        tag->sourcePath = "/src/" + tag->library + "/" + tag->sourceFile;
        tag->data.resize(i % 5);
        tag->functions.resize(i % 7);
        model.addClass(std::move(tag));
    }
}

struct Figures {
    double add = 0;
    double rebuild = 0;
    std::uintmax_t fileSize = 0;
};

Figures measure(std::size_t total, std::size_t inputs, const std::string& directory) {
    zivrat::RunSettings& settings = zivrat::runSettings();
    settings.buildDatabase = settings.addToDatabase = true;
    settings.databasePath = settings.htmlPath = settings.docPath = directory + "/";
    std::filesystem::remove(zivrat::databaseFilePath());

    // The steps' console lines are not part of the figures.
    std::ostringstream sink;
    std::streambuf* console = std::cout.rdbuf(sink.rdbuf());
    Figures figures;
    const std::size_t perInput = total / inputs;
    for (std::size_t input = 0; input < inputs; ++input) {
        fillModel(input * perInput, perInput, total);
        Clock::time_point start = Clock::now();
        zivrat::addModelToDatabase();
        figures.add += secondsSince(start);
        zivrat::docModel().clear();
    }
    Clock::time_point start = Clock::now();
    zivrat::rebuildIndexesFromDatabase();
    figures.rebuild = secondsSince(start);
    std::cout.rdbuf(console);
    figures.fileSize = std::filesystem::file_size(zivrat::databaseFilePath());
    return figures;
}

}  // namespace

int main() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zivrat-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return 1;
    std::printf("%9s %7s %10s %10s %12s %12s %10s\n", "classes", "inputs", "add s", "rebuild s",
                "add us/cls", "add/nlogn ns", "file MB");
    for (std::size_t total : {1000, 10000, 100000}) {
        for (std::size_t inputs : {std::size_t{10}, total / 100}) {
            Figures figures = measure(total, inputs, pattern);
            double nlogn = total * std::log2(static_cast<double>(total));
            std::printf("%9zu %7zu %10.3f %10.3f %12.2f %12.2f %10.2f\n", total, inputs,
                        figures.add, figures.rebuild, 1e6 * figures.add / total,
                        1e9 * figures.add / nlogn, figures.fileSize / 1048576.0);
        }
    }
    std::filesystem::remove_all(pattern);
    return 0;
}
