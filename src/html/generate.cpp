#include "html/generate.h"

#include "database/database.h"
#include "ground/frontend_hooks.h"
#include "ground/messages.h"
#include "ground/settings.h"
#include "html/class_pages.h"
#include "html/index_pages.h"
#include "model/doc_files.h"
#include "model/model.h"
#include "model/run_index.h"

namespace zivrat {
namespace {

// The libraries of the model's named classes.
TextSet libraryNames(const DocModel& model) {
    TextSet libraries;
    for (const auto& tag : model.classes) {
        if (!tag->isAnonymous()) libraries.add(tag->library);
    }
    return libraries;
}

// The class pages are the longest part of generation: a break asked for
// while they are written must stop them, not wait for the next input.
void writeClassPages(DocModel& model) {
    const bool frames = runSettings().frames;
    for (const auto& tag : model.classes) {
        checkBreak();
        if (tag->isAnonymous()) continue;
        mergeClassDoc(*tag);
        if (frames) writeClassFrames(model, *tag);
        else writeClassPage(*tag);
    }
}

// The index and file pages come first and the class pages last, so that
// the class companion files are merged after the file and library pages.
void writePages(DocModel& model) {
    currentOutput() << "generating ..." << endLine;
    const TextSet libraries = libraryNames(model);
    writeIndexPage(libraries);
    writeFileListPages();
    writeLibraryPages(libraries);
    writeClassPages(model);
}

// Lenient mode: the pages of the input's own files and classes; the index,
// file-list and library pages are written once for the whole run.
void writeInputPages(DocModel& model) {
    currentOutput() << "generating ..." << endLine;
    writeAllFilePages(model);
    writeClassPages(model);
}

}  // namespace

void writeRunIndexPages() {
    if (runSettings().htmlVersion < 2) return;
    RunIndex& index = runIndex();
    writeIndexPage(index.model, index.libraries);
    writeFileListPages(index.model, FilePages::kAlreadyWritten);
    writeLibraryPages(index.model, index.libraries);
}

void generateOutput() {
    const RunSettings& settings = runSettings();
    DocModel& model = docModel();
    if (settings.lenient) {
        RunIndex& index = runIndex();
        assignRunWideFileNames(index, model);
        if (settings.htmlVersion >= 2) writeInputPages(model);
        addToRunIndex(index, model);
    } else if (settings.htmlVersion >= 2) {
        writePages(model);
    }
    if (settings.buildDatabase) addModelToDatabase();
    if (settings.docSkeleton) writeDocSkeletons();
}

}  // namespace zivrat
