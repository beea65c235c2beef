// Preprocessor benchmark: writes synthetic headers (many macros, includes,
// conditional groups, comments; several MB in all), then preprocesses the same
// input with zivrat's preprocessor (in this process) and with `gcc -E`, and
// prints both times and their ratio.
//
//   preprocessor_bench [folder] [headers] [rounds]
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "preprocessor/preprocessor.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kMacros = 10;

std::string headerName(int index) { return "h" + std::to_string(index) + ".h"; }

// One header: a guard, includes of two earlier headers, object-like and
// function-like macros, conditional groups and declarations that use them.
std::string syntheticHeader(int index) {
    std::ostringstream out;
    std::string guard = "H" + std::to_string(index) + "_INCLUDED";
    out << "/* Synthetic header " << index << ": macros, conditionals and declarations.\n"
        << "   The text of a block comment runs over several lines. */\n"
        << "#ifndef " << guard << "\n#define " << guard << "\n";
    if (index > 0) out << "#include \"" << headerName(index / 2) << "\"\n";
    if (index > 1) out << "#include \"" << headerName(index - 1) << "\"\n";
    // The string pool holds every definition: 30 macros a header keeps 200
    // headers within it.
    for (int m = 0; m < kMacros; ++m) {
        std::string id = std::to_string(index) + "_" + std::to_string(m);
        out << "#define LIMIT_" << id << " (" << m * 16 << " + BASE_SIZE)\n"
            << "#define PAIR_" << id << "(a, b) ((a) * " << m << " + (b))\n"
            << "#define NAME_" << id << "(x) prefix_##x##_" << m << "\n";
    }
    out << "#if defined(FEATURE_" << index % 7 << ") && LEVEL > " << index % 5 << "\n";
    for (int d = 0; d < 40; ++d) out << "int feature_" << index << "_" << d << "(void);\n";
    out << "#elif LEVEL * 2 >= " << index % 9 << "\n";
    for (int d = 0; d < 40; ++d) out << "long level_" << index << "_" << d << " = LEVEL;\n";
    out << "#else\n";
    for (int d = 0; d < 40; ++d) out << "short other_" << index << "_" << d << ";\n";
    out << "#endif\n";
    out << "struct record_" << index << " {\n";
    for (int d = 0; d < 60; ++d) {
        std::string id = std::to_string(index) + "_" + std::to_string(d % kMacros);
        out << "    char buffer_" << d << "[LIMIT_" << id << "]; // sized by a macro\n"
            << "    int value_" << d << " = PAIR_" << id << "(value_base, " << d << ");\n"
            << "    const char* text_" << d << " = \"a string with words, (parens) and a comma\";\n"
            << "    unsigned long NAME_" << id << "(field) = 0x" << std::hex << d * 4099 << std::dec
            << "UL;\n";
    }
    out << "};\n";
    for (int d = 0; d < 120; ++d) {
        out << "extern int plain_declaration_" << index << "_" << d
            << "(const char* name, unsigned long size, void* context);\n";
    }
    out << "#endif /* " << guard << " */\n";
    return out.str();
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

long long fileSize(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : 0;
}

// Writes the headers and a main file that includes them all; returns the main
// file's name and adds the total input size to `bytes`.
std::string writeInputs(const std::string& folder, int headers, long long& bytes) {
    ::mkdir(folder.c_str(), 0755);
    std::string main = "#define BASE_SIZE 32\n#define LEVEL 3\n#define FEATURE_1\n#define FEATURE_4\n";
    for (int i = 0; i < headers; ++i) {
        std::string text = syntheticHeader(i);
        bytes += static_cast<long long>(text.size());
        writeFile(folder + "/" + headerName(i), text);
        main += "#include \"" + headerName(i) + "\"\n";
    }
    writeFile(folder + "/main.c", main);
    return folder + "/main.c";
}

template <typename Action>
double bestSeconds(int rounds, Action action) {
    double best = 1e30;
    for (int round = 0; round < rounds; ++round) {
        auto start = Clock::now();
        action();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder = argc > 1 ? argv[1] : "preprocessor-bench-input";
    int headers = argc > 2 ? std::atoi(argv[2]) : 200;
    int rounds = argc > 3 ? std::atoi(argv[3]) : 5;
    long long bytes = 0;
    std::string main = writeInputs(folder, headers, bytes);
    std::string zivratOut = folder + "/zivrat.i";
    std::string gccOut = folder + "/gcc.i";

    int errors = 0;
    double zivrat = bestSeconds(rounds, [&] { errors = zivrat::preprocess({"bench", "-o", zivratOut, main}); });
    std::string command = "gcc -E -o '" + gccOut + "' '" + main + "'";
    int status = 0;
    double gcc = bestSeconds(rounds, [&] { status = std::system(command.c_str()); });

    std::printf("input: %d headers, %.1f MB\n", headers, static_cast<double>(bytes) / 1e6);
    std::printf("zivrat preprocessor: %.3f s (%d errors, %.1f MB written)\n", zivrat, errors,
                static_cast<double>(fileSize(zivratOut)) / 1e6);
    std::printf("gcc -E:              %.3f s (status %d, %.1f MB written)\n", gcc, status,
                static_cast<double>(fileSize(gccOut)) / 1e6);
    std::printf("ratio gcc/zivrat:    %.2f (above 1: zivrat is faster)\n", gcc / zivrat);
    return errors == 0 && status == 0 ? 0 : 1;
}
