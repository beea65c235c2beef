// The documentation model of one parsed input: its source files, classes,
// members, parameters and the name lists the scanner consults.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "support/text_counts.h"
#include "support/text_set.h"

namespace zivrat {

enum ClassKind : std::uint32_t { Struct = 0, Class = 1, Union = 2 };

// "Struct", "Class" or "Union", as pages and messages name the kind.
const char* classKindWord(std::uint32_t kind);

enum Access : std::uint32_t { Public = 0, Protected = 1, Private = 2 };

// 0..2 as Access, 3..5 the same with "virtual".
enum AccessTag : std::uint32_t {
    PublicBase = 0,
    ProtectedBase = 1,
    PrivateBase = 2,
    VirtualPublicBase = 3,
    VirtualProtectedBase = 4,
    VirtualPrivateBase = 5
};

// The access value of a base written without an access word.
constexpr std::uint32_t kNoAccessWritten = 6;

enum FileKind : std::uint32_t { SourceCpp = 0, HeaderHpp = 1, SourceC = 2, HeaderH = 3 };
constexpr std::size_t kFileKindCount = 4;

enum FunctionFlags : std::uint32_t {
    Ordinary = 0x01,
    Constructor = 0x02,
    Destructor = 0x04,
    HasBody = 0x08,
    Pure = 0x10,
    Const = 0x20,
    Operator = 0x40,
    FunctionPointer = 0x80
};

enum DataShape : std::uint32_t {
    PlainShape = 0,
    PointerShape = 1,
    ReferenceShape = 2,
    FunctionPointerShape = 3
};

// The placeholder name of an anonymous class until a typedef names it.
inline constexpr const char* kAnonymousClassName = "dumCl__";
// Whether a name is that of the anonymous class: asked of nearly every name,
// and most names differ in length.
inline bool isAnonymousClassName(std::string_view name) {
    constexpr std::string_view kName = kAnonymousClassName;
    return name == kName;
}

struct DataTag {
    std::string name;
    std::string type;
    std::string description;
    std::uint32_t access = Public;
    std::uint32_t flags = PlainShape;
};

struct FunctionTag {
    std::string name;
    std::string returnType;
    std::vector<DataTag> params;
    std::string description;
    bool hasBody = false;
    std::uint32_t access = Public;
    std::uint32_t flags = 0;
    bool isPure = false;
    bool isConst = false;
};

// The six member counters of a class, by access.
struct MemberCounters {
    std::uint32_t publicData = 0, protectedData = 0, privateData = 0;
    std::uint32_t publicFunctions = 0, protectedFunctions = 0, privateFunctions = 0;
};

struct ClassTag {
    std::string name;
    std::vector<std::string> baseNames;
    std::vector<std::uint32_t> baseAccess;  // AccessTag, parallel to baseNames
    std::uint32_t kind = Class;
    std::string authors;
    std::string version;
    std::string description;
    std::string example;
    std::string pageFile;
    std::string library;
    std::string sourcePath;
    std::string sourceFile;
    std::vector<DataTag> data;
    std::vector<FunctionTag> functions;
    std::vector<DataTag> templateParams;
    bool isTemplate = false;
    // Its place among the model's classes in the order they were added.
    std::size_t registration = 0;

    bool isAbstract() const;
    MemberCounters counters() const;
    bool isAnonymous() const { return isAnonymousClassName(name); }
};

struct FileTag {
    std::string baseName;
    std::uint32_t duplicateMark = 0;
    std::string path;
    std::string version;
    std::string authors;
    std::string example;
    std::string description;
    std::uint32_t kind = HeaderH;
    std::vector<ClassTag*> classes;  // owned by the model's class list
    std::vector<std::string> typedefNames;
    std::vector<DataTag> data;
    std::vector<FunctionTag> functions;
};

// The file kind of a base name, by substring tests in a fixed order; false
// when the name has none.
bool fileKindOf(const std::string& baseName, FileKind& kind);

// One file table: 64 buckets keyed by base name; a file is identified by
// its path and kind.
class FileTable {
public:
    FileTag* find(const std::string& path, std::uint32_t kind) const;
    // Inserts a new file and marks earlier files of the same base name but
    // another path as duplicates.
    FileTag* insert(std::unique_ptr<FileTag> file);
    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    void clear();
    // Every file in the table's own order.
    std::vector<FileTag*> inOrder() const;

private:
    std::array<std::vector<std::unique_ptr<FileTag>>, kBucketCount> buckets_;
    std::size_t count_ = 0;
    // Lookups by path and by base name stay constant time in large projects.
    std::unordered_map<std::string, FileTag*> byPath_;
    std::unordered_map<std::string, std::vector<FileTag*>> byBaseName_;
};

// A list of names, most recent first, with constant-time membership tests.
class NameList {
public:
    void addFront(const std::string& name);
    bool contains(std::string_view name) const { return counts_.contains(name); }
    const std::string* front() const { return names_.empty() ? nullptr : &names_.front(); }
    void dropFront();
    void renameFront(const std::string& name);
    void clear();
    std::size_t size() const { return names_.size(); }
    const std::deque<std::string>& names() const { return names_; }

private:
    std::deque<std::string> names_;
    TextCounts counts_;
};

// The authors and version of the last documentation comment met in the run;
// they carry over from input to input and are not cleared with the model.
struct CommentTexts {
    bool hasAuthors = false;
    std::string authors;
    bool hasVersion = false;
    std::string version;
};

struct DocModel {
    std::vector<std::unique_ptr<ClassTag>> classes;
    std::vector<ClassTag*> classStack;
    std::array<FileTable, kFileKindCount> fileTables;
    NameList knownTypeNames;
    NameList templateParamNames;
    ClassTag* currentClass = nullptr;
    FileTag* currentFile = nullptr;

    // Run-wide: short page names stay unique across inputs.
    unsigned shortNameCounter = 0;
    CommentTexts commentTexts;

    // The first registered class of a name (for links), by current name:
    // each key is a view of that class's own name, so that a name is looked
    // up from a view of any text (a link's type) without building a string.
    std::unordered_map<std::string_view, ClassTag*> classByName;

    // Appends a class (and to the current file's classes when there is one).
    ClassTag& addClass(std::unique_ptr<ClassTag> tag);
    // Gives a class a new name, keeping the name index right.
    void renameClass(ClassTag& tag, const std::string& name);
    // The first registered class named exactly so, or null.
    ClassTag* findClass(std::string_view name) const;

    // Finds or creates the file entity of a path (null when its base name
    // has no file kind).
    FileTag* findOrCreateFile(const std::string& baseName, const std::string& path);

    void pushClass();
    void popClass();

    // Empties everything but the short-name counter.
    void clear();
    bool hasFiles() const;
};

DocModel& docModel();

// The current author and version texts: those of the last documentation
// comment, or the configured defaults ("nobody", "unknown") before any.
std::string currentAuthorText(const DocModel& model);
std::string currentVersionText(const DocModel& model);

// The built-in type names that seed knownTypeNames before each parse.
void resetKnownTypeNames(DocModel& model);

// The page-file name of a class name: the safe name + ".html", or the next
// short name ("doc" + counter + ".htm") when short names are on.
std::string makePageFile(DocModel& model, const std::string& className);
std::string nextShortName(DocModel& model);

// "<" and ">" become "_".
std::string fileSafeName(const std::string& name);

// The library of a class name from the configured (pattern, name) pairs.
std::string libraryFor(const std::string& className);

// The AccessTag of a base from the written access (0..2, or 6 for none), the
// virtual flag and the deriving class's kind.
std::uint32_t accessTagFor(std::uint32_t writtenAccess, bool isVirtual, std::uint32_t classKind);

}  // namespace zivrat
