// The pattern dialect on the work the program gives it: configuration keys
// looked up over a whole zivrat.ini, replaceAll over page texts, library and
// exclusion patterns against class names; then patterns with many closures
// against names that do not match, which backtrack the most.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/pattern.h"

namespace {

using Clock = std::chrono::steady_clock;

// Runs the work `rounds` times; microseconds per round.
template <typename Work>
double microsecondsPerRound(int rounds, Work work) {
    auto start = Clock::now();
    for (int i = 0; i < rounds; ++i) work();
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / rounds;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Keeps the optimiser from dropping the results.
std::size_t sink = 0;

void configurationKeys(const std::string& ini) {
    const char* keys[] = {"generator.lexer.keyword.ignore", "generator.firstpage",
                          "generator.html.version", "libfile.countname", "file.author",
                          "funtion.private", "comment.version.unknown"};
    std::vector<zivrat::Pattern> patterns;
    for (const char* key : keys) patterns.emplace_back(std::string(key) + "[ \t]+=[ \t]*\"");
    double us = microsecondsPerRound(2000, [&] {
        for (const zivrat::Pattern& pattern : patterns) sink += pattern.find(ini, 0).position;
    });
    std::printf("%-44s %10.2f us\n", "7 configuration keys over zivrat.ini", us);
}

void replaceInText() {
    std::string text;
    for (int i = 0; i < 2000; ++i) text += "word  \t other\tline <b>bold</b>  end\n";
    zivrat::Pattern blanks("[ \t]+");
    zivrat::Pattern tags("<[^>]*>");
    double us = microsecondsPerRound(50, [&] {
        sink += zivrat::replaceAll(text, blanks, " ").size();
        sink += zivrat::replaceAll(text, tags, "").size();
    });
    std::printf("%-44s %10.2f us\n", "replaceAll over 76 kB (blanks, tags)", us);
}

void classNamePatterns() {
    std::vector<std::string> names;
    for (int i = 0; i < 1000; ++i) {
        names.push_back((i % 3 ? "Widget" : "yCollection") + std::to_string(i) + "Impl");
    }
    std::vector<zivrat::Pattern> patterns = {zivrat::Pattern("^y[A-Z]"), zivrat::Pattern("Impl$"),
                                             zivrat::Pattern("^Wid.*[0-9]+I"),
                                             zivrat::Pattern("Test")};
    double us = microsecondsPerRound(200, [&] {
        for (const std::string& name : names) {
            for (const zivrat::Pattern& pattern : patterns) sink += pattern.matches(name);
        }
    });
    std::printf("%-44s %10.2f us\n", "4 library patterns x 1000 class names", us);
}

void manyClosures(int length) {
    zivrat::Pattern pattern(".*.*.*.*.*.*.*.*x");
    std::string name(static_cast<std::size_t>(length), 'a');
    double us = microsecondsPerRound(1, [&] { sink += pattern.matches(name); });
    std::printf("%-36s %3d chars %10.2f us\n", ".*.*.*.*.*.*.*.*x, no match,", length, us);
}

}  // namespace

int main(int argc, char** argv) {
    std::string ini = readFile(argc > 1 ? argv[1] : ZIVRAT_SAMPLE_INI);
    configurationKeys(ini);
    replaceInText();
    classNamePatterns();
    int longest = argc > 2 ? std::atoi(argv[2]) : 24;
    for (int length = 16; length <= longest; length += 8) manyClosures(length);
    return sink == 42 ? 1 : 0;
}
