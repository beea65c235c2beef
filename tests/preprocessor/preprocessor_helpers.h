// Runs the preprocessor on small texts in a temporary folder.
#pragma once

#include <string>
#include <vector>

#include "common/temp_dir.h"

namespace zivrat::test {

struct PreprocessorRun {
    int errors = 0;
    std::string output;    // the output file, byte for byte
    std::string messages;  // what the invocation wrote on currentOutput
};

// Runs one invocation with the folder as current directory:
// zivrat [options] -o out.i source.
PreprocessorRun preprocessIn(const TempDir& dir, const std::string& source,
                             const std::vector<std::string>& options = {});

// Writes `text` as f.c in a fresh folder and preprocesses it.
PreprocessorRun preprocessText(const std::string& text, const std::vector<std::string>& options = {});

// The first line of every output for f.c.
inline const char* const kFirstLine = "#line 1 \"f.c\"\n";

}  // namespace zivrat::test
