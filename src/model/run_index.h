// The index of a whole lenient run: every class and source file that one of
// its inputs documented, from which the index, file-list and library pages
// are written once at the end of the run.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/model.h"
#include "support/text_set.h"

namespace zivrat {

struct RunIndex {
    // Entries only: classes with their name, kind, page and library; files
    // with their path, base name, kind and page name.
    DocModel model;
    TextSet libraries;
    // The paths met under each base name, in order: the first keeps the
    // plain page name, the n-th is marked (n).
    std::unordered_map<std::string, std::vector<std::string>> pathsByBaseName;
    // Told of each input added, while its model is still whole.
    std::function<void(const DocModel&)> inputAdded;
};

RunIndex& runIndex();
void clearRunIndex();

// Gives the input's files their page names for the whole run, so that two
// inputs never write different files to one page.
void assignRunWideFileNames(RunIndex& index, DocModel& input);

// Whether assignRunWideFileNames would give every file of the input the
// mark it holds now; changes nothing.
bool runWideNamesAgree(const RunIndex& index, const DocModel& input);

// Adds an entry of a named class unless the index has a class of its name.
void addClassEntry(RunIndex& index, std::unique_ptr<ClassTag> entry);

// Adds the input's named classes (the first class of a name stays) and its
// files to the index.
void addToRunIndex(RunIndex& index, const DocModel& input);

}  // namespace zivrat
