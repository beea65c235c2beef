#include "model/doc_files.h"

#include <iostream>
#include <sstream>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ground/input_tracking.h"
#include "ground/messages.h"
#include "ground/settings.h"
#include "support/file_system.h"

namespace zivrat {
namespace {

// The four texts that every companion file may set.
struct DocTexts {
    std::string* authors;
    std::string* version;
    std::string* description;
    std::string* example;
};

struct DocFile {
    std::string ownerName;  // the class, file or library name: ownerName + ".doc"
    std::string content;
};

void printMessage(const std::string& text, int level) { yError(text, level).print(); }

// A block or entry whose "}" is missing has no end: rather than take the
// rest of the file as its text, the reader ignores it and says so on the
// error stream, where the user sees it whatever the verbose level.
void reportMissingBrace(const std::string& what, const std::string& ownerName) {
    std::cerr << yError("Missing '}' after " + what + " in file " + ownerName +
                            ".doc, ignored\n",
                        kWarning)
              << std::flush;
}

bool readDocFile(const std::string& ownerName, const char* ownerWord, char progressMark,
                 DocFile& file) {
    const std::string& docPath = runSettings().docPath;
    const std::string path = docPath + ownerName + ".doc";
    noteFileRead(path);
    std::string content;
    if (!readListedFile(path, content)) {
        // Most companion files are missing, and the message is seldom shown.
        if (runSettings().verboseLevel <= kInfo) {
            printMessage(std::string("Doc file for ") + ownerWord + " " + ownerName + " in Dir " +
                             docPath + " not found\n",
                         kInfo);
        }
        return false;
    }
    currentOutput() << progressMark << std::flush;
    if (outputIsBuffered()) deliverBufferedOutput();
    file.ownerName = ownerName;
    file.content = std::move(content);
    return true;
}

enum class BlockState { Missing, Unclosed, Found };

// The text of the first block of a keyword ("AUTHORS{" ...), up to the next "}".
BlockState findBlock(const DocFile& file, const std::string& keyword, std::string& text) {
    std::size_t open = file.content.find(keyword);
    if (open == std::string::npos) return BlockState::Missing;
    std::size_t start = open + keyword.size();
    std::size_t close = file.content.find('}', start);
    if (close == std::string::npos) {
        reportMissingBrace(keyword, file.ownerName);
        return BlockState::Unclosed;
    }
    text = file.content.substr(start, close - start);
    return BlockState::Found;
}

// A missing block empties the field; an unclosed one leaves it as it is.
void replaceByBlock(const DocFile& file, const std::string& keyword, std::string& field) {
    std::string text;
    BlockState state = findBlock(file, keyword, text);
    if (state == BlockState::Found) field = text;
    else if (state == BlockState::Missing) field.clear();
}

void applyBlocks(const DocFile& file, const DocTexts& texts) {
    replaceByBlock(file, "AUTHORS{", *texts.authors);
    replaceByBlock(file, "VERSION{", *texts.version);
    std::string comment;
    // "COMMENT{\n}", the skeleton's empty comment, keeps the description.
    if (findBlock(file, "COMMENT{", comment) == BlockState::Found && comment.size() >= 2) {
        *texts.description = comment;
    }
    replaceByBlock(file, "EXAMPLE{", *texts.example);
}

std::string withoutBlanks(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') result += c;
    }
    return result;
}

bool isLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// The characters that may stand before the "{" of an entry: the classes of
// the patterns "[a-zA-Z0-9_ (),:&]*{" (data) and "[a-zA-Z0-9_ (),=:\*&]*{"
// (functions).
bool allowedInDataEntry(char c) {
    return isLetterOrDigit(c) || std::string_view("_ (),:&").find(c) != std::string_view::npos;
}
bool allowedInFunctionEntry(char c) {
    return isLetterOrDigit(c) || std::string_view("_ (),=:*&").find(c) != std::string_view::npos;
}

// Where the entry pattern matches first at or after `from`, or npos. The
// pattern is a run of allowed characters (none of them "{") and a "{", so
// its leftmost match is the allowed run that ends at the first "{". Found
// without the general matcher so that a long file costs linear time.
std::size_t entryMatchStart(const std::string& content, std::size_t from,
                            bool (*allowed)(char)) {
    std::size_t brace = content.find('{', from);
    if (brace == std::string::npos) return std::string::npos;
    std::size_t start = brace;
    while (start > from && allowed(content[start - 1])) --start;
    return start;
}

struct Entry {
    std::string definition;  // blanks removed
    std::string body;
};

// Cuts the entry that starts at `position` and moves past its "}"; false
// when its "}" is missing.
bool cutEntry(const DocFile& file, std::size_t& position, Entry& entry) {
    const std::string& content = file.content;
    std::size_t open = content.find('{', position);
    entry.definition = withoutBlanks(content.substr(position, open - position));
    std::size_t close = content.find('}', open + 1);
    if (close == std::string::npos) {
        reportMissingBrace("entry '" + entry.definition + "'", file.ownerName);
        return false;
    }
    entry.body = content.substr(open + 1, close - open - 1);
    position = close + 1;
    return true;
}

// The members of a class by signature, in declaration order.
using SignatureIndex = std::unordered_map<std::string, std::vector<std::size_t>>;

template <typename Member, typename Signature>
SignatureIndex indexBySignature(const std::vector<Member>& members, Signature signature) {
    SignatureIndex index;
    for (std::size_t i = 0; i < members.size(); ++i) index[signature(members[i])].push_back(i);
    return index;
}

// The members whose signature is the entry's definition; none is reported
// as unmatched.
const std::vector<std::size_t>& matchingMembers(const SignatureIndex& index, const Entry& entry,
                                                const char* section, const ClassTag& tag) {
    static const std::vector<std::size_t> kNone;
    auto found = index.find(entry.definition);
    if (found != index.end()) return found->second;
    printMessage(std::string("Unmatch ") + section + " '" + entry.definition + "' in file " +
                     tag.name + ".doc\n",
                 kWarning);
    return kNone;
}

void applyFunctionEntry(ClassTag& tag, const SignatureIndex& index, const Entry& entry) {
    for (std::size_t i : matchingMembers(index, entry, "function", tag)) {
        FunctionTag& function = tag.functions[i];
        const std::string where = "in [function] of file " + tag.name + ".doc\n";
        if (entry.body.size() < 3) {
            printMessage(function.name + " def is less than 3 cars, " + where, kWarning);
        } else if (entry.body == "<br>\n") {
            printMessage(function.name + " def is empty, " + where, kWarning);
        } else {
            function.description = entry.body;
        }
    }
}

void applyDataEntry(ClassTag& tag, const SignatureIndex& index, const Entry& entry) {
    for (std::size_t i : matchingMembers(index, entry, "data", tag)) {
        DataTag& member = tag.data[i];
        if (entry.body == "<br>\n") {
            printMessage(member.name + " def is empty, in [data] of file " + tag.name + ".doc\n",
                         kWarning);
        } else if (entry.body.size() >= 2) {
            member.description = entry.body;
        }
    }
}

void applyFunctionSection(const DocFile& file, ClassTag& tag) {
    const std::string heading = "[function]";
    std::size_t position = file.content.find(heading);
    if (position == std::string::npos) return;
    position += heading.size();
    SignatureIndex index = indexBySignature(tag.functions, functionSignature);
    Entry entry;
    while (entryMatchStart(file.content, position, allowedInFunctionEntry) != std::string::npos &&
           cutEntry(file, position, entry)) {
        applyFunctionEntry(tag, index, entry);
    }
}

void applyDataSection(const DocFile& file, ClassTag& tag) {
    const std::string heading = "[data]";
    std::size_t position = file.content.find(heading);
    if (position == std::string::npos) return;
    position += heading.size();
    // Data entries end where the function section begins.
    const std::size_t functionHeading = file.content.find("[function]");
    SignatureIndex index = indexBySignature(tag.data, dataSignature);
    Entry entry;
    while (true) {
        std::size_t match = entryMatchStart(file.content, position, allowedInDataEntry);
        if (match == std::string::npos) break;
        if (functionHeading != std::string::npos && match > functionHeading) break;
        if (!cutEntry(file, position, entry)) break;
        applyDataEntry(tag, index, entry);
    }
}

const char* shapeMark(std::uint32_t shape) {
    if (shape == PointerShape) return "*";
    if (shape == ReferenceShape) return "&";
    return "";
}

void writeSkeleton(const ClassTag& tag) {
    std::ostringstream out;
    out << "//\n" << "//File description for class " << tag.name << "\n" << "//\n"
        << "//\n\nVERSION{0.1}\nAUTHORS{unknow}\nCOMMENT{\n}\n\n" << "\n[data]\n\n";
    for (const DataTag& member : tag.data) {
        out << member.type << shapeMark(member.flags) << " " << member.name << "{<br>\n}\n\n";
    }
    out << "\n[function]\n\n";
    for (const FunctionTag& function : tag.functions) {
        if (!function.returnType.empty()) out << function.returnType << " ";
        if ((function.flags & Destructor) != 0) out << "~ ";
        out << function.name << "(";
        for (std::size_t i = 0; i < function.params.size(); ++i) {
            if (i > 0) out << ",";
            out << function.params[i].type;
        }
        out << ") ";
        if (function.isConst) out << "const ";
        if (function.isPure) out << "= 0";
        out << "{<br>\n}\n\n";
    }
    writeWholeFile(runSettings().docPath + tag.name + ".doc", out.str());
}

}  // namespace

std::string functionSignature(const FunctionTag& function) {
    std::string text = function.returnType + " ";
    if ((function.flags & Destructor) != 0) text += "~ ";
    text += function.name + " ( ";
    for (std::size_t i = 0; i < function.params.size(); ++i) {
        if (i > 0) text += ", ";
        text += function.params[i].type;
    }
    text += ") ";
    if (function.isConst) text += "const ";
    if (function.isPure) text += "= 0";
    return withoutBlanks(text);
}

std::string dataSignature(const DataTag& member) {
    return withoutBlanks(member.type + shapeMark(member.flags) + " " + member.name);
}

void mergeClassDoc(ClassTag& tag) {
    DocFile file;
    if (!readDocFile(tag.name, "class", '.', file)) return;
    applyBlocks(file, {&tag.authors, &tag.version, &tag.description, &tag.example});
    applyFunctionSection(file, tag);
    applyDataSection(file, tag);
}

void mergeFileDoc(FileTag& fileTag) {
    DocFile file;
    if (!readDocFile(fileTag.baseName, "File", '!', file)) return;
    applyBlocks(file, {&fileTag.authors, &fileTag.version, &fileTag.description, &fileTag.example});
}

void mergeLibraryDoc(LibraryDoc& library) {
    DocFile file;
    if (!readDocFile(library.name, "Lib", '*', file)) return;
    applyBlocks(file, {&library.authors, &library.version, &library.description, &library.example});
}

void writeDocSkeletons() {
    currentOutput() << "doc :" << endLine;
    printMessage("Generate doc for class : ", kInfo);
    for (const auto& tag : docModel().classes) {
        if (tag->isAnonymous()) continue;
        printMessage(tag->name + ", ", kInfo);
        writeSkeleton(*tag);
    }
}

}  // namespace zivrat
