// The built-in C preprocessor: one source file into one temporary file.
#pragma once

#include <string>
#include <vector>

namespace zivrat {

// Runs one invocation over an argument vector in the style of a command line
// (argument 0 is the name used in fatal messages); returns the error count.
int preprocess(const std::vector<std::string>& args);

// Trace level of the conditional-expression parser ("YYDEBUG2").
void setConditionTraceLevel(int level);

}  // namespace zivrat
