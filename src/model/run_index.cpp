#include "model/run_index.h"

#include <algorithm>
#include <memory>

namespace zivrat {
namespace {

std::uint32_t runWideMark(RunIndex& index, const FileTag& file) {
    std::vector<std::string>& paths = index.pathsByBaseName[file.baseName];
    auto known = std::find(paths.begin(), paths.end(), file.path);
    if (known == paths.end()) known = paths.insert(paths.end(), file.path);
    return static_cast<std::uint32_t>(known - paths.begin());
}

void addFile(RunIndex& index, const FileTag& file) {
    FileTable& table = index.model.fileTables[file.kind];
    if (table.find(file.path, file.kind) != nullptr) return;
    runWideMark(index, file);
    auto entry = std::make_unique<FileTag>();
    entry->baseName = file.baseName;
    entry->path = file.path;
    entry->kind = file.kind;
    table.insert(std::move(entry));
    // The table marks earlier files of the base name its own way: the run's
    // marks are put back.
    const std::vector<std::string>& paths = index.pathsByBaseName[file.baseName];
    for (std::size_t mark = 0; mark < paths.size(); ++mark) {
        if (FileTag* same = table.find(paths[mark], file.kind)) {
            same->duplicateMark = static_cast<std::uint32_t>(mark);
        }
    }
}

bool isNewClassName(const RunIndex& index, const std::string& name) {
    return !isAnonymousClassName(name) && index.model.findClass(name) == nullptr;
}

void addNewClassEntry(RunIndex& index, std::unique_ptr<ClassTag> entry) {
    index.libraries.add(entry->library);
    index.model.addClass(std::move(entry));
}

void addClass(RunIndex& index, const ClassTag& tag) {
    if (!isNewClassName(index, tag.name)) return;
    auto entry = std::make_unique<ClassTag>();
    entry->name = tag.name;
    entry->kind = tag.kind;
    entry->pageFile = tag.pageFile;
    entry->library = tag.library;
    entry->sourceFile = tag.sourceFile;
    entry->sourcePath = tag.sourcePath;
    addNewClassEntry(index, std::move(entry));
}

}  // namespace

void addClassEntry(RunIndex& index, std::unique_ptr<ClassTag> entry) {
    if (isNewClassName(index, entry->name)) addNewClassEntry(index, std::move(entry));
}

// Never destroyed: freeing a large run's entries one by one at the
// program's end costs more than an unchanged incremental run's own work.
RunIndex& runIndex() {
    static RunIndex* index = new RunIndex;
    return *index;
}

void clearRunIndex() {
    RunIndex& index = runIndex();
    index.model.clear();
    index.libraries.clear();
    index.pathsByBaseName.clear();
    index.inputAdded = nullptr;
}

void assignRunWideFileNames(RunIndex& index, DocModel& input) {
    for (FileTable& table : input.fileTables) {
        for (FileTag* file : table.inOrder()) file->duplicateMark = runWideMark(index, *file);
    }
}

bool runWideNamesAgree(const RunIndex& index, const DocModel& input) {
    // Paths this input would add to the run, by base name, in order.
    std::unordered_map<std::string, std::vector<std::string>> added;
    for (const FileTable& table : input.fileTables) {
        for (const FileTag* file : table.inOrder()) {
            std::size_t mark = 0;
            auto known = index.pathsByBaseName.find(file->baseName);
            if (known != index.pathsByBaseName.end()) {
                auto at = std::find(known->second.begin(), known->second.end(), file->path);
                if (at != known->second.end()) {
                    if (static_cast<std::size_t>(at - known->second.begin()) != file->duplicateMark) {
                        return false;
                    }
                    continue;
                }
                mark = known->second.size();
            }
            std::vector<std::string>& mine = added[file->baseName];
            auto at = std::find(mine.begin(), mine.end(), file->path);
            mark += static_cast<std::size_t>(at - mine.begin());
            if (at == mine.end()) mine.push_back(file->path);
            if (mark != file->duplicateMark) return false;
        }
    }
    return true;
}

void addToRunIndex(RunIndex& index, const DocModel& input) {
    if (index.inputAdded) index.inputAdded(input);
    index.model.currentFile = nullptr;
    for (const FileTable& table : input.fileTables) {
        for (const FileTag* file : table.inOrder()) addFile(index, *file);
    }
    for (const auto& tag : input.classes) addClass(index, *tag);
    index.model.commentTexts = input.commentTexts;
}

}  // namespace zivrat
