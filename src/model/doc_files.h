// The companion .doc files: hand-written authors, version, description and
// example of a class, a source file or a library, and the descriptions of a
// class's members; and the skeletons that -d writes for the user to fill.
#pragma once

#include <string>

#include "model/model.h"

namespace zivrat {

// What a library's companion file gives its page.
struct LibraryDoc {
    std::string name;
    std::string version;
    std::string authors;
    std::string example;
    std::string description;
};

// Each reads docPath + name + ".doc" and applies it; a missing file leaves
// the entity unchanged.
void mergeClassDoc(ClassTag& tag);
void mergeFileDoc(FileTag& file);
void mergeLibraryDoc(LibraryDoc& library);

// One skeleton per class of the model (docPath + class name + ".doc").
void writeDocSkeletons();

// The texts that entries are matched against, blanks removed.
std::string functionSignature(const FunctionTag& function);
std::string dataSignature(const DataTag& member);

}  // namespace zivrat
