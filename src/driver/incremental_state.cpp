#include "driver/incremental_state.h"

#include <time.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "support/file_system.h"

namespace zivrat {
namespace {

constexpr const char* kFormatLine = "zivrat-incremental\t2";
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
bool unescape(std::string_view field, std::string& text) {
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
    LineWriter& number(Number value) {
        char text[24];
        const auto written = std::to_chars(text, text + sizeof text, value);
        return field(std::string(text, written.ptr));
    }
    LineWriter& stamp(const FileStamp& stamp) {
        return number(stamp.exists ? 1 : 0).number(stamp.size).number(stamp.modifiedNs)
            .number(stamp.contentHash);
    }
    void endLine() {
        out_ += '\n';
        first_ = true;
    }
    // Lines written before, as they are.
    void lines(const std::string& text) { out_ += text; }
    std::string& text() { return out_; }

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

void writeInputLines(LineWriter& out, const InputRecord& input) {
    out.field("input").field(input.name).number(input.result).number(input.parsed ? 1 : 0)
        .number(input.warnings).number(input.declarationsSkipped);
    out.endLine();
    writeContext(out, "start", input.start);
    writeContext(out, "finish", input.end);
    for (const auto& [path, stamp] : input.filesRead) {
        out.field("read").field(path).stamp(stamp);
        out.endLine();
    }
    for (const AbsentFiles& absent : input.absent) {
        out.field("absent").field(absent.folder);
        for (const std::string& name : absent.names) out.field(name);
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

void writeInput(LineWriter& out, const InputRecord& input) {
    if (input.lines.empty()) writeInputLines(out, input);
    else out.lines(input.lines);
}

// Reads the lines back; any field that is not what its place requires
// makes the whole file unusable.
class LineReader {
public:
    explicit LineReader(std::string_view text) : rest_(text) {}

    // The next line's fields; false at the end.
    bool next() {
        if (rest_.empty()) return false;
        const std::size_t end = std::min(rest_.find('\n'), rest_.size());
        line_ = rest_.substr(0, end);
        rest_.remove_prefix(std::min(end + 1, rest_.size()));
        fields_.clear();
        for (std::string_view line = line_;;) {
            const std::size_t tab = line.find('\t');
            fields_.push_back(line.substr(0, tab));
            if (tab == std::string_view::npos) break;
            line.remove_prefix(tab + 1);
        }
        return true;
    }
    // The line with its end.
    std::string_view line() const {
        return std::string_view(line_.data(), line_.size() + (rest_.data() > line_.end() ? 1 : 0));
    }
    std::string_view tag() const { return fields_[0]; }
    std::size_t count() const { return fields_.size(); }
    void expect(std::size_t count) const {
        if (fields_.size() != count) throw "wrong field count on a '" + std::string(tag()) + "' line";
    }
    std::string text(std::size_t i) const {
        const std::string_view field = fields_.at(i);
        if (field.find('\\') == std::string_view::npos) return std::string(field);
        std::string text;
        if (!unescape(field, text)) throw std::string("bad escape");
        return text;
    }
    template <typename Number>
    Number number(std::size_t i) const {
        const std::string_view field = fields_.at(i);
        Number value = 0;
        const auto read = std::from_chars(field.data(), field.data() + field.size(), value);
        if (read.ec != std::errc() || read.ptr != field.data() + field.size() || field.empty()) {
            throw "bad number on a '" + std::string(tag()) + "' line";
        }
        return value;
    }
    bool flag(std::size_t i) const { return number<int>(i) != 0; }
    FileStamp stamp(std::size_t first) const {
        FileStamp stamp;
        stamp.exists = flag(first);
        stamp.size = number<std::uint64_t>(first + 1);
        stamp.modifiedNs = number<std::int64_t>(first + 2);
        stamp.contentHash = number<std::uint64_t>(first + 3);
        return stamp;
    }

private:
    std::string_view rest_;
    std::string_view line_;
    std::vector<std::string_view> fields_;
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
    if (state.inputs.empty()) throw "a '" + std::string(line.tag()) + "' line before any input";
    return state.inputs.back();
}

// The run-wide lines come first: a record's lines run up to the next record.
void readRunLine(const LineReader& line, IncrementalState& state) {
    if (!state.inputs.empty()) throw "a '" + std::string(line.tag()) + "' line among the inputs";
    line.expect(2);
    if (line.tag() == "version") state.version = line.text(1);
    else if (line.tag() == "fingerprint") state.fingerprint = line.text(1);
    else state.runEndPages.push_back(line.text(1));
}

InputRecord readInputLine(const LineReader& line) {
    line.expect(6);
    InputRecord input;
    input.name = line.text(1);
    input.result = line.number<int>(2);
    input.parsed = line.flag(3);
    input.warnings = line.number<int>(4);
    input.declarationsSkipped = line.number<int>(5);
    return input;
}

AbsentFiles readAbsentLine(const LineReader& line) {
    if (line.count() < 3) line.expect(3);
    AbsentFiles absent{line.text(1), {}};
    for (std::size_t i = 2; i < line.count(); ++i) absent.names.push_back(line.text(i));
    return absent;
}

// The lines of a record come most often first: every class has one, and
// every page.
void readLine(const LineReader& line, IncrementalState& state) {
    const std::string_view tag = line.tag();
    if (tag == "class") {
        line.expect(7);
        currentInput(state, line).classes.push_back(
            DocumentedClass{line.text(1), line.number<std::uint32_t>(2), line.text(3),
                            line.text(4), line.text(5), line.text(6)});
    } else if (tag == "page") {
        line.expect(2);
        currentInput(state, line).pages.push_back(line.text(1));
    } else if (tag == "read") {
        line.expect(6);
        currentInput(state, line).filesRead.emplace_back(line.text(1), line.stamp(2));
    } else if (tag == "absent") {
        currentInput(state, line).absent.push_back(readAbsentLine(line));
    } else if (tag == "file") {
        line.expect(5);
        DocumentedFile file{line.number<std::uint32_t>(1), line.text(2), line.text(3),
                            line.number<std::uint32_t>(4)};
        if (file.kind >= kFileKindCount) throw std::string("bad file kind");
        currentInput(state, line).files.push_back(std::move(file));
    } else if (tag == "input") {
        state.inputs.push_back(readInputLine(line));
    } else if (tag == "start") {
        currentInput(state, line).start = readContext(line);
    } else if (tag == "finish") {
        currentInput(state, line).end = readContext(line);
    } else if (tag == "version" || tag == "fingerprint" || tag == "end-page") {
        readRunLine(line, state);
    } else {
        throw "unknown line '" + std::string(tag) + "'";
    }
}

// Reads the lines after the format line; each record keeps its own lines.
void readLines(std::string_view body, IncrementalState& state) {
    LineReader reader(body);
    const char* recordStart = nullptr;
    auto keepRecordLines = [&](const char* end) {
        if (recordStart != nullptr) state.inputs.back().lines.assign(recordStart, end);
    };
    while (reader.next()) {
        if (reader.tag() == "input") {
            keepRecordLines(reader.line().data());
            recordStart = reader.line().data();
        }
        readLine(reader, state);
    }
    keepRecordLines(body.data() + body.size());
}

std::string hexOf(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

}  // namespace

// Eight bytes a step: the state file's checksum covers megabytes. Each step
// is one-to-one in the word and in the hash so far, so that a change of
// one word always shows.
std::uint64_t hashText(std::string_view text, std::uint64_t hash) {
    constexpr std::uint64_t kPrime = 1099511628211ull;
    std::size_t at = 0;
    for (; at + 8 <= text.size(); at += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + at, 8);
        hash = (hash ^ word) * kPrime;
        hash ^= hash >> 29;
    }
    for (; at < text.size(); ++at) {
        hash = (hash ^ static_cast<unsigned char>(text[at])) * kPrime;
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
                     "end\t" + hexOf(hashText(std::string_view(text).substr(0, lastLine))) +
                         "\n") != 0) {
        problem = "damaged (checksum)";
        return false;
    }
    state = IncrementalState();
    try {
        const std::size_t formatLineEnd = std::string(kFormatLine).size() + 1;
        readLines(std::string_view(text).substr(formatLineEnd, lastLine - formatLineEnd), state);
    } catch (const std::string& reason) {
        problem = "damaged (" + reason + ")";
        return false;
    }
    return true;
}

bool writeStateFile(const std::string& path, const IncrementalState& state) {
    LineWriter out;
    out.lines(std::string(kFormatLine) + "\n");
    out.field("version").field(state.version);
    out.endLine();
    out.field("fingerprint").field(state.fingerprint);
    out.endLine();
    for (const std::string& page : state.runEndPages) {
        out.field("end-page").field(page);
        out.endLine();
    }
    for (const InputRecord& input : state.inputs) writeInput(out, input);
    std::string& text = out.text();
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
