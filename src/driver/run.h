// One run over an argument vector, and the per-file pipeline.
#pragma once

#include <string>
#include <vector>

namespace zivrat {

constexpr const char* kOptionString = "iav:KsbgdPpfl:123VCI:D:U:RHSh:";

int runFromCommandLine(const std::vector<std::string>& args);

// The per-file pipeline over the file the scanner reads.
int processInputFile(const std::string& fileToParse, const std::vector<std::string>& ppArgs);

// Rebuilds the index and library pages from the class database (-i).
void rebuildIndexesFromDatabase();

// Validates a -lo/-ld/-lb directory; returns it with a trailing separator.
std::string checkOutputDirectory(const std::string& directory, const std::string& head);

void appendArgument(const std::string& first, const std::string& second);

// Cuts a configuration text at every "-" into preprocessor items.
std::vector<std::string> preprocessorItemsOf(const std::string& text);

// "zvpp" + the smallest free number + ".$$$" in $TMP or ".".
std::string temporaryFileName();

}  // namespace zivrat
