#include "driver/incremental_state.h"

#include <time.h>

#include <cstdio>
#include <sstream>
#include <type_traits>

#include "support/file_system.h"

namespace zivrat {
namespace {

constexpr const char* kFormatLine = "zivrat-incremental\t1";
// Two seconds covers the coarsest file-system clocks in use.
constexpr std::int64_t kRacyWindowNs = 2'000'000'000;

std::string readWhole(const std::string& path, bool& opened) {
    std::string content;
    opened = readWholeFile(path, content);
    return content;
}

std::uint64_t contentHashOf(const std::string& path) {
    bool opened = false;
    return hashText(readWhole(path, opened));
}

// Fields are separated by tabs; tabs, line ends and backslashes in a field
// are escaped so that any path or text survives.
bool unescape(const std::string& field, std::string& text) {
    text.clear();
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            text += field[i];
            continue;
        }
        if (++i == field.size()) return false;
        switch (field[i]) {
            case '\\': text += '\\'; break;
            case 't': text += '\t'; break;
            case 'n': text += '\n'; break;
            case 'r': text += '\r'; break;
            default: return false;
        }
    }
    return true;
}

class LineWriter {
public:
    LineWriter& field(const std::string& text) {
        if (!first_) out_ += '\t';
        appendEscaped(text);
        first_ = false;
        return *this;
    }
    template <typename Number>
    LineWriter& number(Number value) { return field(std::to_string(value)); }
    void endLine() {
        out_ += '\n';
        first_ = true;
    }
    const std::string& text() const { return out_; }

private:
    void appendEscaped(const std::string& text) {
        for (char c : text) {
            switch (c) {
                case '\\': out_ += "\\\\"; break;
                case '\t': out_ += "\\t"; break;
                case '\n': out_ += "\\n"; break;
                case '\r': out_ += "\\r"; break;
                default: out_ += c;
            }
        }
    }

    std::string out_;
    bool first_ = true;
};

void writeContext(LineWriter& out, const char* tag, const InputContext& context) {
    out.field(tag)
        .number(context.comments.hasAuthors ? 1 : 0)
        .field(context.comments.authors)
        .number(context.comments.hasVersion ? 1 : 0)
        .field(context.comments.version)
        .number(context.shortNameCounter);
    out.endLine();
}

void writeInput(LineWriter& out, const InputRecord& input) {
    out.field("input").field(input.name).number(input.result).number(input.parsed ? 1 : 0)
        .number(input.warnings).number(input.declarationsSkipped);
    out.endLine();
    writeContext(out, "start", input.start);
    writeContext(out, "finish", input.end);
    for (const auto& [path, stamp] : input.filesRead) {
        out.field("read").field(path).number(stamp.exists ? 1 : 0).number(stamp.size)
            .number(stamp.modifiedNs).number(stamp.contentHash);
        out.endLine();
    }
    for (const std::string& page : input.pages) {
        out.field("page").field(page);
        out.endLine();
    }
    for (const DocumentedFile& file : input.files) {
        out.field("file").number(file.kind).field(file.baseName).field(file.path)
            .number(file.duplicateMark);
        out.endLine();
    }
    for (const DocumentedClass& tag : input.classes) {
        out.field("class").field(tag.name).number(tag.kind).field(tag.pageFile)
            .field(tag.library).field(tag.sourceFile).field(tag.sourcePath);
        out.endLine();
    }
}

// Reads the lines back; any field that is not what its place requires
// makes the whole file unusable.
class LineReader {
public:
    explicit LineReader(const std::string& text) : in_(text) {}

    // The next line's fields; false at the end.
    bool next() {
        std::string line;
        if (!std::getline(in_, line)) return false;
        fields_.clear();
        std::size_t start = 0;
        for (;;) {
            std::size_t tab = line.find('\t', start);
            std::string text;
            if (!unescape(line.substr(start, tab == std::string::npos ? std::string::npos
                                                                      : tab - start),
                          text)) {
                throw std::string("bad escape");
            }
            fields_.push_back(std::move(text));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        return true;
    }
    const std::string& tag() const { return fields_[0]; }
    std::size_t count() const { return fields_.size(); }
    void expect(std::size_t count) const {
        if (fields_.size() != count) throw "wrong field count on a '" + tag() + "' line";
    }
    const std::string& text(std::size_t i) const { return fields_.at(i); }
    template <typename Number>
    Number number(std::size_t i) const {
        const std::string& field = fields_.at(i);
        std::size_t used = 0;
        long long value = 0;
        unsigned long long unsignedValue = 0;
        try {
            if constexpr (std::is_signed_v<Number>) value = std::stoll(field, &used);
            else unsignedValue = std::stoull(field, &used);
        } catch (const std::exception&) {
            throw "bad number on a '" + tag() + "' line";
        }
        if (used != field.size()) throw "bad number on a '" + tag() + "' line";
        return std::is_signed_v<Number> ? static_cast<Number>(value)
                                        : static_cast<Number>(unsignedValue);
    }
    bool flag(std::size_t i) const { return number<int>(i) != 0; }

private:
    std::istringstream in_;
    std::vector<std::string> fields_;
};

InputContext readContext(const LineReader& line) {
    line.expect(6);
    InputContext context;
    context.comments.hasAuthors = line.flag(1);
    context.comments.authors = line.text(2);
    context.comments.hasVersion = line.flag(3);
    context.comments.version = line.text(4);
    context.shortNameCounter = line.number<unsigned>(5);
    return context;
}

InputRecord& currentInput(IncrementalState& state, const LineReader& line) {
    if (state.inputs.empty()) throw "a '" + line.tag() + "' line before any input";
    return state.inputs.back();
}

void readLine(const LineReader& line, IncrementalState& state) {
    const std::string& tag = line.tag();
    if (tag == "version") {
        line.expect(2);
        state.version = line.text(1);
    } else if (tag == "fingerprint") {
        line.expect(2);
        state.fingerprint = line.text(1);
    } else if (tag == "end-page") {
        line.expect(2);
        state.runEndPages.push_back(line.text(1));
    } else if (tag == "input") {
        line.expect(6);
        InputRecord input;
        input.name = line.text(1);
        input.result = line.number<int>(2);
        input.parsed = line.flag(3);
        input.warnings = line.number<int>(4);
        input.declarationsSkipped = line.number<int>(5);
        state.inputs.push_back(std::move(input));
    } else if (tag == "start") {
        currentInput(state, line).start = readContext(line);
    } else if (tag == "finish") {
        currentInput(state, line).end = readContext(line);
    } else if (tag == "read") {
        line.expect(6);
        FileStamp stamp;
        stamp.exists = line.flag(2);
        stamp.size = line.number<std::uint64_t>(3);
        stamp.modifiedNs = line.number<std::int64_t>(4);
        stamp.contentHash = line.number<std::uint64_t>(5);
        currentInput(state, line).filesRead.emplace_back(line.text(1), stamp);
    } else if (tag == "page") {
        line.expect(2);
        currentInput(state, line).pages.push_back(line.text(1));
    } else if (tag == "file") {
        line.expect(5);
        DocumentedFile file{line.number<std::uint32_t>(1), line.text(2), line.text(3),
                            line.number<std::uint32_t>(4)};
        if (file.kind >= kFileKindCount) throw std::string("bad file kind");
        currentInput(state, line).files.push_back(std::move(file));
    } else if (tag == "class") {
        line.expect(7);
        currentInput(state, line).classes.push_back(
            DocumentedClass{line.text(1), line.number<std::uint32_t>(2), line.text(3),
                            line.text(4), line.text(5), line.text(6)});
    } else {
        throw "unknown line '" + tag + "'";
    }
}

std::string hexOf(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

}  // namespace

std::uint64_t hashText(const std::string& text, std::uint64_t hash) {
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

namespace {

bool statFile(const std::string& path, std::uint64_t& size, std::int64_t& modifiedNs) {
    if (path.empty()) return false;
    const FileStatus status = fileStatus(path);
    if (!status.exists || status.directory) return false;
    size = status.size;
    modifiedNs = status.modifiedNs;
    return true;
}

std::int64_t nowNs() {
    struct timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

}  // namespace

FileStamp stampOf(const std::string& path) {
    FileStamp stamp;
    stamp.exists = statFile(path, stamp.size, stamp.modifiedNs);
    // A file changed within the clock's tick of now could change again
    // without its time showing it: its content is kept too.
    if (stamp.exists && nowNs() - stamp.modifiedNs <= kRacyWindowNs) {
        stamp.contentHash = contentHashOf(path) | 1;
    }
    return stamp;
}

bool stampHolds(const FileStamp& stamp, const std::string& path) {
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    bool exists = statFile(path, size, modifiedNs);
    if (exists != stamp.exists) return false;
    if (!exists) return true;
    if (size != stamp.size || modifiedNs != stamp.modifiedNs) return false;
    return stamp.contentHash == 0 || (contentHashOf(path) | 1) == stamp.contentHash;
}

bool operator==(const InputContext& a, const InputContext& b) {
    return a.comments.hasAuthors == b.comments.hasAuthors &&
           a.comments.authors == b.comments.authors &&
           a.comments.hasVersion == b.comments.hasVersion &&
           a.comments.version == b.comments.version && a.shortNameCounter == b.shortNameCounter;
}

bool readStateFile(const std::string& path, IncrementalState& state, std::string& problem) {
    bool opened = false;
    const std::string text = readWhole(path, opened);
    if (!opened) {
        problem = "missing";
        return false;
    }
    // The last line holds a checksum of everything before it.
    std::size_t lastLine = text.rfind("end\t");
    if (text.compare(0, std::string(kFormatLine).size() + 1, std::string(kFormatLine) + "\n") != 0) {
        problem = "not an incremental state file";
        return false;
    }
    if (lastLine == std::string::npos ||
        text.compare(lastLine, std::string::npos,
                     "end\t" + hexOf(hashText(text.substr(0, lastLine))) + "\n") != 0) {
        problem = "damaged (checksum)";
        return false;
    }
    state = IncrementalState();
    try {
        LineReader reader(text.substr(0, lastLine));
        reader.next();  // the format line
        while (reader.next()) readLine(reader, state);
    } catch (const std::string& reason) {
        problem = "damaged (" + reason + ")";
        return false;
    }
    return true;
}

bool writeStateFile(const std::string& path, const IncrementalState& state) {
    LineWriter out;
    out.field("version").field(state.version);
    out.endLine();
    out.field("fingerprint").field(state.fingerprint);
    out.endLine();
    for (const std::string& page : state.runEndPages) {
        out.field("end-page").field(page);
        out.endLine();
    }
    for (const InputRecord& input : state.inputs) writeInput(out, input);
    std::string text = std::string(kFormatLine) + "\n" + out.text();
    text += "end\t" + hexOf(hashText(text)) + "\n";
    // Written aside and renamed, so that a broken run leaves no half file.
    const std::string aside = path + ".new";
    if (!writeWholeFile(aside, text) || !renameFile(aside, path)) {
        removeFile(aside);
        return false;
    }
    return true;
}

}  // namespace zivrat
