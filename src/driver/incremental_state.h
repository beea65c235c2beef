// The state file of incremental runs: for each input, the files it read
// with their stamps, the run-wide texts it started and ended with, the
// pages it wrote and the files and classes it documented.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"

namespace zivrat {

// What a file looked like when an input read it.
struct FileStamp {
    bool exists = false;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    // Kept only for files changed just before the stamp; 0 otherwise.
    std::uint64_t contentHash = 0;
};

FileStamp stampOf(const std::string& path);

// Whether the file still looks as stamped. Size and time decide, except for
// a file changed so shortly before the stamp was taken that another change
// in the same tick of the file system's clock would not show: its content
// is compared.
bool stampHolds(const FileStamp& stamp, const std::string& path);

std::uint64_t hashText(std::string_view text, std::uint64_t hash = 14695981039346656037ull);

// The run-wide texts that carry from one input into the next.
struct InputContext {
    CommentTexts comments;
    unsigned shortNameCounter = 0;
};
bool operator==(const InputContext& a, const InputContext& b);

struct DocumentedFile {
    std::uint32_t kind = HeaderH;
    std::string baseName;
    std::string path;
    std::uint32_t duplicateMark = 0;
};

struct DocumentedClass {
    std::string name;
    std::uint32_t kind = Class;
    std::string pageFile;
    std::string library;
    std::string sourceFile;
    std::string sourcePath;
};

// Files an input looked for in one folder and did not find. Most inputs
// look for many (companion files, include candidates): they are checked
// against the folder's listing, taken once a run.
struct AbsentFiles {
    std::string folder;  // as a prefix: "" or ending in '/'
    std::vector<std::string> names;
};

struct InputRecord {
    std::string name;
    int result = 0;
    bool parsed = false;
    int warnings = 0;
    int declarationsSkipped = 0;
    InputContext start;
    InputContext end;
    std::vector<std::pair<std::string, FileStamp>> filesRead;  // those that exist
    std::vector<AbsentFiles> absent;
    std::vector<std::string> pages;
    std::vector<DocumentedFile> files;
    std::vector<DocumentedClass> classes;
    // The numbers of its pages within a run; not kept in the file.
    std::vector<std::size_t> pageNumbers;
    // The record's lines as the state file held them: a record carried over
    // unchanged is written back as it was read.
    std::string lines;
};

struct IncrementalState {
    std::string version;
    std::string fingerprint;
    std::vector<InputRecord> inputs;
    // The index, file-list and library pages written at the end of the run.
    std::vector<std::string> runEndPages;
};

// Reads a state file; false with the reason when it is missing, damaged or
// not one of ours.
bool readStateFile(const std::string& path, IncrementalState& state, std::string& problem);

// Writes the state file whole, or leaves none; false when it cannot.
bool writeStateFile(const std::string& path, const IncrementalState& state);

}  // namespace zivrat
