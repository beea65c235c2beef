// What every fuzz target shares: a sandbox folder in which runs are made,
// the check that a run wrote nothing outside its output folder and grew no
// file past a bound, and whole runs of the program in this process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zivrat::fuzz {

// The largest file a run may leave: pages, dico.dat and its journal.
constexpr std::uintmax_t kLargestFile = 64u << 20;

// A folder tree made once per process:
//   root/up/up/work       the current folder of the runs (inputs, zivrat.ini, dico.dat)
//   root/up/up/work/out   the output folder (-lo out)
// The two empty levels above it catch names that climb out with "../".
class Sandbox {
public:
    static Sandbox& instance();

    const std::string& work() const { return work_; }
    std::string file(const std::string& name) const { return work_ + "/" + name; }
    void write(const std::string& name, const std::string& content) const;
    void write(const std::string& name, const std::uint8_t* data, std::size_t size) const;
    void remove(const std::string& name) const;

    // Aborts when a file outside the output folder is not one of the
    // `allowed` names (relative to the work folder) nor a temporary file of
    // the preprocessor, or when any file is larger than kLargestFile; then
    // empties the output folder.
    void checkAndClean(const std::vector<std::string>& allowed) const;

private:
    Sandbox();
    std::string root_;
    std::string work_;
};

// Quiet, repeatable runs: standard output goes nowhere, the preprocessor
// works on at most 1 MB per input, the settings and words are the built-in
// ones before each run.
void prepareProcess();
void resetRunState();

// One whole run, as the program makes it from its command line; whatever
// it raises is caught as the program's own main would.
int runProgram(const std::vector<std::string>& args);

// Splits the input at the separator: the parts before and after it (all of
// it and an empty text when it is absent).
std::pair<std::string, std::string> splitInput(const std::uint8_t* data, std::size_t size,
                                               const std::string& separator);

}  // namespace zivrat::fuzz
