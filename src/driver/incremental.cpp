#include "driver/incremental.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "driver/incremental_state.h"
#include "ground/input_tracking.h"
#include "ground/messages.h"
#include "ground/run_counters.h"
#include "ground/settings.h"
#include "ground/version.h"
#include "model/model.h"
#include "model/run_index.h"
#include "support/file_system.h"
#include "support/paths.h"

namespace zivrat {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// Names numbered in the order they are first met.
class NumberedNames {
public:
    std::size_t numberOf(const std::string& name) {
        auto known = numbers_.find(name);
        if (known != numbers_.end()) return known->second;
        names_.push_back(name);
        numbers_.emplace(names_.back(), names_.size() - 1);
        return names_.size() - 1;
    }
    const std::string& name(std::size_t number) const { return names_[number]; }
    std::size_t size() const { return names_.size(); }

private:
    std::deque<std::string> names_;  // stable: the map's keys view them
    std::unordered_map<std::string_view, std::size_t> numbers_;
};

struct IncrementalRun {
    bool active = false;
    std::string statePath;
    std::vector<std::string> inputs;  // the run's inputs by position
    std::vector<std::string> keys;    // and their keys
    std::size_t firstInput = 0;
    // Records of the last run by input key, and the records of this run.
    std::unordered_map<std::string, InputRecord> previous;
    // Pages and input keys by number: each name is hashed once a run.
    NumberedNames pages;
    NumberedNames ownerKeys;  // number 0: the run-end pages
    std::vector<std::uint32_t> previousPages;  // every page the last run wrote
    IncrementalState next;
    // The position of the last input of this run whose previous record
    // writes a page: earlier inputs leave that page alone.
    std::vector<std::size_t> lastPreviousWriter;  // by page; kNone: no writer
    // By page: whose version is on disk (an owner key's number, or kNone),
    // and whether it was written in this run.
    std::vector<std::size_t> diskVersion;
    std::vector<bool> writtenNow;
    std::vector<bool> documentedAgain;  // by owner key
    std::unordered_map<std::string, FileStamp> stamps;
    std::unordered_map<std::string, bool> unchanged;
    // The input being documented.
    std::size_t position = 0;
    InputRecord current;
    RunCounters countersAtStart;
    bool recording = false;
};

// Never destroyed: freeing the records of a large run one by one at the
// program's end would cost a good part of an unchanged run.
IncrementalRun& incrementalRun() {
    static IncrementalRun* run = new IncrementalRun;
    return *run;
}

// Inputs are known by name and by how often the name came before.
std::vector<std::string> inputKeys(const std::vector<std::string>& inputs) {
    std::unordered_map<std::string, std::size_t> occurrences;
    std::vector<std::string> keys;
    for (const std::string& input : inputs) {
        keys.push_back(input + "\n" + std::to_string(occurrences[input]++));
    }
    return keys;
}

const std::string& keyAt(std::size_t position) {
    IncrementalRun& run = incrementalRun();
    return run.keys[position - run.firstInput];
}

constexpr std::size_t kRunEndOwner = 0;

std::size_t pageNumber(const std::string& page) {
    IncrementalRun& run = incrementalRun();
    const std::size_t number = run.pages.numberOf(page);
    if (number == run.diskVersion.size()) {
        run.diskVersion.push_back(kNone);
        run.writtenNow.push_back(false);
        run.lastPreviousWriter.push_back(kNone);
    }
    return number;
}

void numberPages(InputRecord& record) {
    record.pageNumbers.clear();
    for (const std::string& page : record.pages) record.pageNumbers.push_back(pageNumber(page));
}

std::size_t ownerNumber(const std::string& key) {
    IncrementalRun& run = incrementalRun();
    const std::size_t number = run.ownerKeys.numberOf(key);
    if (number == run.documentedAgain.size()) run.documentedAgain.push_back(false);
    return number;
}

std::string fileText(const std::string& path) {
    std::string content;
    if (!readWholeFile(path, content)) return std::string("\x01missing");
    return content;
}

// Everything besides the inputs' own files that the pages depend on.
std::string fingerprintOf(const std::vector<std::string>& args, std::size_t firstInput,
                          const std::vector<std::string>& preprocessorArgs,
                          const std::string& configurationFile) {
    std::uint64_t hash = hashText("options");
    auto add = [&hash](const std::string& text) { hash = hashText(text + '\0', hash); };
    for (std::size_t i = 1; i < firstInput && i < args.size(); ++i) add(args[i]);
    add("preprocessor");
    for (std::size_t i = 1; i < preprocessorArgs.size(); ++i) add(preprocessorArgs[i]);
    add(fileText(configurationFile));
    if (runSettings().useHeaderFile) add(fileText(runSettings().headerFileName));
    for (const char* name : {"SOURCE_DATE_EPOCH", "TZ"}) {
        const char* value = std::getenv(name);
        add(value != nullptr ? value : "\x01unset");
    }
    // Inputs and includes are named relative to the working folder.
    char folder[4096];
    add(::getcwd(folder, sizeof folder) != nullptr ? folder : "");
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

InputContext currentContext() {
    const DocModel& model = docModel();
    return InputContext{model.commentTexts, model.shortNameCounter};
}

void restoreContext(const InputContext& context) {
    docModel().commentTexts = context.comments;
    docModel().shortNameCounter = context.shortNameCounter;
}

bool fileUnchanged(const std::string& path, const FileStamp& stamp) {
    IncrementalRun& run = incrementalRun();
    auto known = run.unchanged.find(path);
    if (known != run.unchanged.end()) return known->second;
    bool holds = stampHolds(stamp, path);
    run.unchanged.emplace(path, holds);
    return holds;
}

// Files looked for and not found are kept by folder.
void noteAbsent(InputRecord& record, const std::string& path) {
    const std::string folder = directoryPrefix(path);
    auto group = std::find_if(record.absent.begin(), record.absent.end(),
                              [&](const AbsentFiles& absent) { return absent.folder == folder; });
    if (group == record.absent.end()) {
        group = record.absent.insert(record.absent.end(), AbsentFiles{folder, {}});
    }
    group->names.push_back(path.substr(folder.size()));
}

FileStamp cachedStampOf(const std::string& path) {
    IncrementalRun& run = incrementalRun();
    auto known = run.stamps.find(path);
    if (known == run.stamps.end()) known = run.stamps.emplace(path, stampOf(path)).first;
    return known->second;
}

// A light model of the files a recorded input documented, for the run index.
std::unique_ptr<DocModel> filesModelOf(const InputRecord& record) {
    auto model = std::make_unique<DocModel>();
    for (const DocumentedFile& entry : record.files) {
        auto file = std::make_unique<FileTag>();
        file->kind = entry.kind;
        file->baseName = entry.baseName;
        file->path = entry.path;
        model->fileTables[entry.kind].insert(std::move(file));
    }
    // The tables mark duplicates their own way: the recorded marks hold.
    for (const DocumentedFile& entry : record.files) {
        model->fileTables[entry.kind].find(entry.path, entry.kind)->duplicateMark =
            entry.duplicateMark;
    }
    model->commentTexts = record.end.comments;
    return model;
}

// The record's classes go to the run index; its lines stand for it in the
// state file from now on.
void moveClassesToRunIndex(InputRecord& record, RunIndex& index) {
    for (DocumentedClass& entry : record.classes) {
        // The first class of a name stays: the others need no entry built.
        if (index.model.findClass(entry.name) != nullptr) continue;
        auto tag = std::make_unique<ClassTag>();
        tag->name = std::move(entry.name);
        tag->kind = entry.kind;
        tag->pageFile = std::move(entry.pageFile);
        tag->library = std::move(entry.library);
        tag->sourceFile = std::move(entry.sourceFile);
        tag->sourcePath = std::move(entry.sourcePath);
        addClassEntry(index, std::move(tag));
    }
    record.classes = std::vector<DocumentedClass>();
}

void recordDocumented(const DocModel& model) {
    IncrementalRun& run = incrementalRun();
    if (!run.recording) return;
    for (const FileTable& table : model.fileTables) {
        for (const FileTag* file : table.inOrder()) {
            run.current.files.push_back(
                DocumentedFile{file->kind, file->baseName, file->path, file->duplicateMark});
        }
    }
    for (const auto& tag : model.classes) {
        if (tag->isAnonymous()) continue;
        run.current.classes.push_back(DocumentedClass{tag->name, tag->kind, tag->pageFile,
                                                      tag->library, tag->sourceFile,
                                                      tag->sourcePath});
    }
}

template <typename Item>
std::vector<Item> withoutRepeats(const std::vector<Item>& items) {
    std::unordered_set<Item> seen;
    std::vector<Item> kept;
    for (const Item& item : items) {
        if (seen.insert(item).second) kept.push_back(item);
    }
    return kept;
}

// Takes what the last run left, or says why it cannot be used.
void takePreviousState(IncrementalRun& run, const std::string& fingerprint) {
    IncrementalState state;
    std::string problem;
    if (!readStateFile(run.statePath, state, problem)) {
        if (problem != "missing") {
            currentOutput() << "Zivrat Warning : incremental state '" << run.statePath << "' is "
                            << problem << ": full run" << endLine;
        }
        return;
    }
    if (state.version != kVersionText || state.fingerprint != fingerprint) {
        currentOutput() << "Incremental : "
                        << (state.version != kVersionText ? "another program version"
                                                          : "other options or configuration")
                        << " than the last run: full run" << endLine;
        return;
    }
    std::vector<std::string> previousInputs;
    for (const InputRecord& record : state.inputs) previousInputs.push_back(record.name);
    const std::vector<std::string> previousKeys = inputKeys(previousInputs);
    for (std::size_t i = 0; i < state.inputs.size(); ++i) {
        InputRecord& record = state.inputs[i];
        numberPages(record);
        const std::size_t owner = ownerNumber(previousKeys[i]);
        for (std::size_t page : record.pageNumbers) {
            run.diskVersion[page] = owner;
            run.previousPages.push_back(page);
        }
        run.previous.emplace(previousKeys[i], std::move(record));
    }
    for (const std::string& page : state.runEndPages) {
        const std::size_t number = pageNumber(page);
        run.diskVersion[number] = kRunEndOwner;
        run.previousPages.push_back(number);
    }
    for (std::size_t i = run.firstInput; i < run.firstInput + run.inputs.size(); ++i) {
        auto record = run.previous.find(keyAt(i));
        if (record == run.previous.end()) continue;
        for (std::size_t page : record->second.pageNumbers) run.lastPreviousWriter[page] = i;
    }
}

// A page that a later, unchanged input writes last keeps its version.
bool leftToLaterInput(std::size_t page, std::size_t position) {
    const std::size_t last = incrementalRun().lastPreviousWriter[page];
    return last != kNone && last > position;
}

bool noneAppeared(const AbsentFiles& absent) {
    return std::all_of(absent.names.begin(), absent.names.end(), [&](const std::string& name) {
        return !mayExistIn(absent.folder, name) || fileUnchanged(absent.folder + name, FileStamp());
    });
}

bool sameFiles(const InputRecord& record) {
    for (const auto& [path, stamp] : record.filesRead) {
        if (!fileUnchanged(path, stamp)) return false;
    }
    return std::all_of(record.absent.begin(), record.absent.end(), noneAppeared);
}

void addToCounters(const InputRecord& record) {
    RunCounters& counters = runCounters();
    ++counters.inputs;
    if (!record.parsed) ++counters.inputsFailed;
    counters.warnings += record.warnings;
    counters.declarationsSkipped += record.declarationsSkipped;
}

// The input that writes each page last in this run, by page (kNone: none).
std::vector<std::size_t> lastWriters() {
    IncrementalRun& run = incrementalRun();
    std::vector<std::size_t> owners(run.pages.size(), kNone);
    for (std::size_t i = 0; i < run.next.inputs.size(); ++i) {
        for (std::size_t page : run.next.inputs[i].pageNumbers) owners[page] = i;
    }
    return owners;
}

bool ownVersionOnDisk(std::size_t page, std::size_t owner) {
    IncrementalRun& run = incrementalRun();
    if (run.diskVersion[page] != owner) return false;
    return !run.documentedAgain[owner] || run.writtenNow[page];
}

bool sameContent(const std::string& first, const std::string& second) {
    std::string a, b;
    return readWholeFile(first, a) && readWholeFile(second, b) && a == b;
}

}  // namespace

void resetIncrementalRun() {
    incrementalRun() = IncrementalRun();
    inputTracking() = InputTracking();
}

void beginIncrementalRun(const std::vector<std::string>& args, std::size_t firstInput,
                         const std::vector<std::string>& preprocessorArgs,
                         const std::string& configurationFile) {
    resetIncrementalRun();
    IncrementalRun& run = incrementalRun();
    run.active = true;
    run.firstInput = firstInput;
    run.inputs.assign(args.begin() + static_cast<std::ptrdiff_t>(firstInput), args.end());
    run.keys = inputKeys(run.inputs);
    ownerNumber("");  // kRunEndOwner
    run.statePath = runSettings().htmlPath + kIncrementalStateName;
    run.next.version = kVersionText;
    run.next.fingerprint = fingerprintOf(args, firstInput, preprocessorArgs, configurationFile);
    takePreviousState(run, run.next.fingerprint);
    // A run that does not finish leaves no state: the next one is full.
    removeFile(run.statePath);
    runIndex().inputAdded = recordDocumented;
}

bool incrementalRunActive() { return incrementalRun().active; }

bool reuseInput(std::size_t position) {
    IncrementalRun& run = incrementalRun();
    auto found = run.previous.find(keyAt(position));
    if (found == run.previous.end()) return false;
    InputRecord& record = found->second;
    if (!(record.start == currentContext()) || !sameFiles(record)) return false;
    std::unique_ptr<DocModel> model = filesModelOf(record);
    RunIndex& index = runIndex();
    if (!runWideNamesAgree(index, *model)) return false;
    assignRunWideFileNames(index, *model);
    addToRunIndex(index, *model);
    moveClassesToRunIndex(record, index);
    restoreContext(record.end);
    addToCounters(record);
    run.next.inputs.push_back(std::move(found->second));
    return true;
}

void startInput(std::size_t position) {
    IncrementalRun& run = incrementalRun();
    run.position = position;
    run.current = InputRecord();
    run.current.name = run.inputs[position - run.firstInput];
    run.current.start = currentContext();
    run.countersAtStart = runCounters();
    run.documentedAgain[ownerNumber(keyAt(position))] = true;
    run.recording = true;
    InputTracking& tracking = inputTracking();
    tracking.active = true;
    tracking.filesRead.clear();
    tracking.pagesWritten.clear();
    tracking.placePage = [position](const std::string& page, std::string&) {
        return !leftToLaterInput(pageNumber(page), position);
    };
}

void endInput(int result, bool parsed) {
    IncrementalRun& run = incrementalRun();
    InputTracking& tracking = inputTracking();
    InputRecord& record = run.current;
    record.result = result;
    record.parsed = parsed;
    record.warnings = runCounters().warnings - run.countersAtStart.warnings;
    record.declarationsSkipped =
        runCounters().declarationsSkipped - run.countersAtStart.declarationsSkipped;
    record.end = currentContext();
    // Without the preprocessor the input is read by the parser, and pages
    // show the times of every documented file.
    std::vector<std::string> read = tracking.filesRead;
    read.push_back(record.name);
    for (const DocumentedFile& file : record.files) read.push_back(file.path);
    for (const std::string& path : withoutRepeats(read)) {
        FileStamp stamp = cachedStampOf(path);
        if (stamp.exists) record.filesRead.emplace_back(path, stamp);
        else noteAbsent(record, path);
    }
    record.pages = withoutRepeats(tracking.pagesWritten);
    numberPages(record);
    const std::size_t owner = ownerNumber(keyAt(run.position));
    for (std::size_t page : record.pageNumbers) {
        if (leftToLaterInput(page, run.position)) continue;
        run.diskVersion[page] = owner;
        run.writtenNow[page] = true;
    }
    run.next.inputs.push_back(std::move(record));
    run.recording = false;
    tracking = InputTracking();
}

void repairPages(const std::function<void(std::size_t position)>& document) {
    IncrementalRun& run = incrementalRun();
    std::vector<std::vector<std::string>> stale(run.next.inputs.size());
    const std::vector<std::size_t> owners = lastWriters();
    for (std::size_t page = 0; page < owners.size(); ++page) {
        const std::size_t owner = owners[page];
        if (owner == kNone) continue;
        if (!ownVersionOnDisk(page, ownerNumber(keyAt(run.firstInput + owner)))) {
            stale[owner].push_back(run.pages.name(page));
        }
    }
    const InputContext endOfRun = currentContext();
    const RunCounters counters = runCounters();
    const CommentTexts indexTexts = runIndex().model.commentTexts;
    for (std::size_t owner = 0; owner < stale.size(); ++owner) {
        if (stale[owner].empty()) continue;
        std::unordered_set<std::string> pages(stale[owner].begin(), stale[owner].end());
        restoreContext(run.next.inputs[owner].start);
        inputTracking().placePage = [&pages](const std::string& page, std::string&) {
            return pages.count(page) != 0;
        };
        currentOutput() << "Incremental : pages of " << run.next.inputs[owner].name
                        << " written again" << endLine;
        document(run.firstInput + owner);
    }
    inputTracking() = InputTracking();
    restoreContext(endOfRun);
    runCounters() = counters;
    runIndex().model.commentTexts = indexTexts;
}

void writeRunEndPagesKeepingUnchanged(const std::function<void()>& write) {
    IncrementalRun& run = incrementalRun();
    std::vector<std::string> written;
    inputTracking().placePage = [&written](const std::string& page, std::string& path) {
        written.push_back(page);
        path += ".new";
        return true;
    };
    write();
    inputTracking() = InputTracking();
    run.next.runEndPages = withoutRepeats(written);
    // An unchanged page keeps its file (and its time) from the last run.
    for (const std::string& page : run.next.runEndPages) {
        const std::string path = runSettings().htmlPath + page;
        if (sameContent(path + ".new", path)) removeFile(path + ".new");
        else renameFile(path + ".new", path);
    }
}

void finishIncrementalRun() {
    IncrementalRun& run = incrementalRun();
    std::vector<std::size_t> runEndPages;
    for (const std::string& page : run.next.runEndPages) runEndPages.push_back(pageNumber(page));
    std::vector<bool> pagesNow(run.pages.size(), false);
    for (std::size_t page : runEndPages) pagesNow[page] = true;
    for (const InputRecord& record : run.next.inputs) {
        for (std::size_t page : record.pageNumbers) pagesNow[page] = true;
    }
    // Each page the last run wrote and this one did not goes, once.
    for (std::size_t page : run.previousPages) {
        if (pagesNow[page]) continue;
        removeFile(runSettings().htmlPath + run.pages.name(page));
        pagesNow[page] = true;
    }
    if (!writeStateFile(run.statePath, run.next)) {
        currentOutput() << "Zivrat Warning : incremental state '" << run.statePath
                        << "' could not be written: the next run is full" << endLine;
    }
    // The records stay until the next run starts (in front-end mode).
    run.active = false;
    inputTracking() = InputTracking();
}

}  // namespace zivrat
