// The built-in C preprocessor: one source file into one temporary file.
#pragma once

#include <string>
#include <vector>

namespace zivrat {

// The bound on the work of one invocation: the bytes read from the source
// and its includes plus the bytes that macro expansions produce. A small
// input can ask for endless work (macros that double at each level, a header
// that includes itself twice); past the bound the invocation ends with a
// counted error.
struct PreprocessorLimits {
    static constexpr long long kDefaultWorkBytes = 64LL << 20;
    long long workBytes = kDefaultWorkBytes;
};
PreprocessorLimits& preprocessorLimits();

// Runs one invocation over an argument vector in the style of a command line
// (argument 0 is the name used in fatal messages); returns the error count.
int preprocess(const std::vector<std::string>& args);

// Trace level of the conditional-expression parser ("YYDEBUG2").
void setConditionTraceLevel(int level);

}  // namespace zivrat
