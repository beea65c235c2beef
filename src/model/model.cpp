#include "model/model.h"

#include <cctype>

#include "ground/page_words.h"
#include "ground/settings.h"

namespace zivrat {

namespace {

std::string lowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

const char* classKindWord(std::uint32_t kind) {
    static const char* const kWords[] = {"Struct", "Class", "Union"};
    return kind < 3 ? kWords[kind] : "Unknow Class Type";
}

bool ClassTag::isAbstract() const {
    for (const FunctionTag& function : functions) {
        if (function.isPure) return true;
    }
    return false;
}

MemberCounters ClassTag::counters() const {
    MemberCounters counts;
    for (const DataTag& member : data) {
        if (member.access == Public) ++counts.publicData;
        else if (member.access == Protected) ++counts.protectedData;
        else if (member.access == Private) ++counts.privateData;
    }
    for (const FunctionTag& function : functions) {
        if (function.access == Public) ++counts.publicFunctions;
        else if (function.access == Protected) ++counts.protectedFunctions;
        else if (function.access == Private) ++counts.privateFunctions;
    }
    return counts;
}

bool fileKindOf(const std::string& name, FileKind& kind) {
    // Lenient mode also knows the upper-case forms (Fl_Box.H).
    const std::string baseName = runSettings().lenient ? lowerCase(name) : name;
    auto has = [&](const char* part) { return baseName.find(part) != std::string::npos; };
    if (has(".cpp") || has(".cxx")) kind = SourceCpp;
    else if (has(".hpp") || has(".hxx")) kind = HeaderHpp;
    else if (has(".c") || has(".cc")) kind = SourceC;
    else if (has(".h")) kind = HeaderH;
    else return false;
    return true;
}

FileTag* FileTable::find(const std::string& path, std::uint32_t kind) const {
    auto found = byPath_.find(path);
    if (found == byPath_.end() || found->second->kind != kind) return nullptr;
    return found->second;
}

FileTag* FileTable::insert(std::unique_ptr<FileTag> file) {
    FileTag* added = file.get();
    std::vector<FileTag*>& sameName = byBaseName_[added->baseName];
    for (FileTag* earlier : sameName) {
        if (earlier->path != added->path) earlier->duplicateMark = 1;
    }
    sameName.push_back(added);
    byPath_.emplace(added->path, added);
    buckets_[bucketOf(added->baseName)].push_back(std::move(file));
    ++count_;
    return added;
}

void FileTable::clear() {
    for (auto& bucket : buckets_) bucket.clear();
    byPath_.clear();
    byBaseName_.clear();
    count_ = 0;
}

std::vector<FileTag*> FileTable::inOrder() const {
    std::vector<FileTag*> files;
    files.reserve(count_);
    for (const auto& bucket : buckets_) {
        for (const auto& file : bucket) files.push_back(file.get());
    }
    return files;
}

void NameList::addFront(const std::string& name) {
    names_.push_front(name);
    counts_.add(name);
}

void NameList::dropFront() {
    if (names_.empty()) return;
    counts_.remove(names_.front());
    names_.pop_front();
}

void NameList::renameFront(const std::string& name) {
    if (names_.empty()) return;
    dropFront();
    addFront(name);
}

void NameList::clear() {
    names_.clear();
    counts_.clear();
}

ClassTag& DocModel::addClass(std::unique_ptr<ClassTag> tag) {
    ClassTag* added = tag.get();
    added->registration = classes.size();
    classes.push_back(std::move(tag));
    if (!added->isAnonymous()) classByName.emplace(added->name, added);
    if (currentFile != nullptr) currentFile->classes.push_back(added);
    return *added;
}

void DocModel::renameClass(ClassTag& tag, const std::string& name) {
    auto old = classByName.find(tag.name);
    if (old != classByName.end() && old->second == &tag) {
        // Another class of the old name may now be the first one.
        classByName.erase(old);
        for (const auto& other : classes) {
            if (other.get() != &tag && other->name == tag.name) {
                classByName.emplace(other->name, other.get());
                break;
            }
        }
    }
    tag.name = name;
    if (tag.isAnonymous()) return;
    auto present = classByName.find(tag.name);
    if (present != classByName.end()) {
        if (present->second->registration < tag.registration) return;
        // The key is a view of the other class's name: it goes with it.
        classByName.erase(present);
    }
    classByName.emplace(tag.name, &tag);
}

ClassTag* DocModel::findClass(std::string_view name) const {
    if (isAnonymousClassName(name)) {
        for (const auto& tag : classes) {
            if (tag->name == name) return tag.get();
        }
        return nullptr;
    }
    auto found = classByName.find(name);
    return found == classByName.end() ? nullptr : found->second;
}

FileTag* DocModel::findOrCreateFile(const std::string& baseName, const std::string& path) {
    FileKind kind;
    if (!fileKindOf(baseName, kind)) return nullptr;
    FileTable& table = fileTables[kind];
    if (FileTag* existing = table.find(path, kind)) return existing;
    auto file = std::make_unique<FileTag>();
    file->baseName = baseName;
    file->path = path;
    file->kind = kind;
    return table.insert(std::move(file));
}

void DocModel::pushClass() { classStack.push_back(currentClass); }

void DocModel::popClass() {
    if (classStack.empty()) return;
    currentClass = classStack.back();
    classStack.pop_back();
}

void DocModel::clear() {
    knownTypeNames.clear();
    templateParamNames.clear();
    classByName.clear();
    classes.clear();
    classStack.clear();
    for (FileTable& table : fileTables) table.clear();
    currentClass = nullptr;
    currentFile = nullptr;
}

bool DocModel::hasFiles() const {
    for (const FileTable& table : fileTables) {
        if (!table.empty()) return true;
    }
    return false;
}

DocModel& docModel() {
    static DocModel model;
    return model;
}

std::string currentAuthorText(const DocModel& model) {
    if (model.commentTexts.hasAuthors) return model.commentTexts.authors;
    return configuration().words.commentAuthorNobody;
}

std::string currentVersionText(const DocModel& model) {
    if (model.commentTexts.hasVersion) return model.commentTexts.version;
    return configuration().words.commentVersionUnknown;
}

void resetKnownTypeNames(DocModel& model) {
    static const char* const kSeed[] = {"void",        "int",       "short",   "char",
                                        "float",       "double",    "long",    "long double",
                                        "long long",   "__int64",   "wchar_t", "bool"};
    model.knownTypeNames.clear();
    // The list is most recent first: the seed is added in its order, each at
    // the front.
    for (const char* name : kSeed) model.knownTypeNames.addFront(name);
}

std::string fileSafeName(const std::string& name) {
    std::string safe = name;
    for (char& c : safe) {
        if (c == '<' || c == '>') c = '_';
    }
    return safe;
}

std::string nextShortName(DocModel& model) {
    return "doc" + std::to_string(model.shortNameCounter++) + ".htm";
}

std::string makePageFile(DocModel& model, const std::string& className) {
    if (runSettings().shortNames) return nextShortName(model);
    return fileSafeName(className) + ".html";
}

std::string libraryFor(const std::string& className) {
    const Configuration& config = configuration();
    for (const LibraryPattern& pair : config.libraryTypeList) {
        if (pair.pattern.matches(className)) return pair.name;
    }
    return config.words.generatorLibDefaultName;
}

std::uint32_t accessTagFor(std::uint32_t writtenAccess, bool isVirtual, std::uint32_t classKind) {
    std::uint32_t access = writtenAccess;
    if (access == kNoAccessWritten) access = classKind == Class ? Private : Public;
    return isVirtual ? access + 3 : access;
}

}  // namespace zivrat
