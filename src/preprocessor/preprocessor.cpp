#include "preprocessor/preprocessor.h"

#include <algorithm>
#include <ostream>
#include <string>

#include "ground/failures.h"
#include "ground/input_tracking.h"
#include "ground/messages.h"
#include "ground/run_counters.h"
#include "ground/settings.h"
#include "preprocessor/condition_grammar.h"
#include "preprocessor/preprocessor_state.h"
#include "support/file_system.h"

namespace zivrat {

int preprocess(const std::vector<std::string>& args) {
    pp::Preprocessor invocation(args);
    return invocation.run();
}

void setConditionTraceLevel(int level) { pp::conditionTraceLevel() = level; }

PreprocessorLimits& preprocessorLimits() {
    static PreprocessorLimits limits;
    return limits;
}

namespace pp {

void ReusableTables::clean() {
    std::fill(pool.begin(), pool.begin() + static_cast<std::ptrdiff_t>(poolWritten), 0);
    poolWritten = 0;
    for (int index : filledSlots) table[index] = Slot{};
    filledSlots.clear();
}

ReusableTables& reusableTables() {
    static ReusableTables tables;
    return tables;
}

Preprocessor::Preprocessor(const std::vector<std::string>& args)
    : args_(args),
      programName_(args.empty() ? std::string() : args[0]),
      tables_(reusableTables()),
      pool_(tables_.pool),
      table_(tables_.table),
      buffer_(kLongNames + 2 * kBlockSize + 1 + 255),
      workLimit_(preprocessorLimits().workBytes) {
    options_.lenient = runSettings().lenient;
    tables_.clean();
}

Preprocessor::~Preprocessor() {
    for (IncludeLevel& level : levels_) {
        if (level.file != nullptr) std::fclose(level.file);
    }
    if (output_ != nullptr && output_ != stdout) std::fclose(output_);
}

int Preprocessor::run() {
    try {
        levels_.emplace_back();
        levels_.back().fileName.clear();
        levels_.back().line = 0;
        levels_.back().directory = ".";
        readArguments();
        if (!sourceSeen_) openSource("");
        startUp();
        try {
            mainLoop();
        } catch (const SourceEnd&) {
            finishSource();
        }
    } catch (const FatalStop&) {
    } catch (const UserBreak&) {
        // The front end stopped this file: what was written is incomplete, so
        // the break counts as an error and the driver does not parse it.
        ++errors_;
    }
    if (output_ != nullptr) flushOutputFile();
    return errors_;
}

void Preprocessor::readArguments() {
    for (std::size_t index = 1; index < args_.size(); ++index) {
        const std::string& arg = args_[index];
        if (!arg.empty() && arg[0] == '-') {
            readOption(arg, index);
        } else if (sourceSeen_) {
            warning("extraneous name " + arg);
        } else {
            openSource(arg);
        }
    }
    // Slot 0 is the directory of the file being read; the -I directories follow.
    searchList_.assign(1, levels_[0].directory);
    for (const std::string& directory : includeDirectories_) searchList_.push_back(directory);
}

void Preprocessor::readOption(const std::string& arg, std::size_t& index) {
    std::string value = arg.size() > 2 ? arg.substr(2) : std::string();
    switch (arg.size() > 1 ? arg[1] : '\0') {
        case '\0': break;
        case 'C': options_.keepComments = true; break;
        case 'H': options_.includeTree = true; break;
        case 'P': options_.noLineDirectives = true; break;
        case 'R': options_.recursionAllowed = true; break;
        case 'T': options_.significant = kShortNames; break;
        case 'D':
            if (value.empty()) break;
            if (options_.defines.size() >= kMaxDefineOptions) {
                warning("too many -D options, ignoring " + arg);
            } else {
                options_.defines.push_back(value);
            }
            break;
        case 'U':
            if (options_.undefines.size() >= kMaxDefineOptions) {
                warning("too many -U options, ignoring " + arg);
            } else {
                options_.undefines.push_back(value);
            }
            break;
        case 'I':
            if (includeDirectories_.size() >= kMaxIncludeDirectories) {
                warning("excessive -I file (" + value + ") ignored");
            } else {
                includeDirectories_.push_back(value);
            }
            break;
        case 'o':
            if (index + 1 < args_.size()) openOutput(args_[++index]);
            break;
        default: warning("unknown flag " + arg); break;
    }
}

void Preprocessor::openSource(const std::string& name) {
    sourceSeen_ = true;
    sourceName_ = name;
    IncludeLevel& level = levels_[0];
    noteFileRead(name);
    level.file = name.empty() ? nullptr : openSourceStream(name);
    if (level.file == nullptr) fatal("No source file " + name);
    std::vector<char>& buffer = reusableTables().sourceReadBuffer;
    std::setvbuf(level.file, buffer.data(), _IOFBF, buffer.size());
    level.directory = directoryOf(name);
}

void Preprocessor::openOutput(const std::string& name) {
    if (output_ != nullptr && output_ != stdout) std::fclose(output_);
    outputName_ = name;
    output_ = openFileStream(name, "w");
    if (output_ == nullptr) fatal("Can't create " + name);
}

void Preprocessor::startUp() {
    if (output_ == nullptr) output_ = stdout;
    inputStart_ = buffer_.data() + options_.significant + kBlockSize;
    bufferTop_ = inputStart_ + kBlockSize;
    resetBuffer();
    enterDirectiveNames();
    std::fill(std::begin(nameBits_), std::end(nameBits_), 0);

    IncludeLevel& level = levels_[0];
    level.fileName = "command line";
    readingCommandLine_ = true;
    definePredefinedNames();
    for (const std::string& text : options_.defines) applyDefineOption(text);
    for (const std::string& text : options_.undefines) applyUndefineOption(text);
    defineFromText("__LINE__ 1");
    defineFromText("__FILE__ 1");
    defineFromText("__DATE__ 1");
    defineFromText("__TIME__ 1");
    readingCommandLine_ = false;
    lineSlot_ = findSlot("__LINE__", significantLength(8));
    fileSlot_ = findSlot("__FILE__", significantLength(8));
    dateSlot_ = findSlot("__DATE__", significantLength(8));
    timeSlot_ = findSlot("__TIME__", significantLength(8));

    level.fileName = sourceName_;
    level.line = 1;
    writeLineDirective();
    resetBuffer();
}

void Preprocessor::applyDefineOption(const std::string& option) {
    std::string text = option;
    std::size_t equals = text.find('=');
    if (equals != std::string::npos) {
        text[equals] = ' ';
    } else {
        std::size_t name = 0;
        while (name < text.size() && isIdentifierByte(text[name])) ++name;
        text = text.substr(0, name) + " 1";
    }
    defineFromText(text);
}

void Preprocessor::applyUndefineOption(const std::string& option) {
    std::string name = option.substr(0, option.find('='));
    undefineName(name.data(), significantLength(name.size()));
}

// Runs "#define" over one line of text given on the command line.
void Preprocessor::defineFromText(const std::string& text) {
    std::string line = text.substr(0, text.find_first_of(std::string("\n\0", 2)));
    levels_[0].line = 1;
    resetBuffer();
    pushBack(line + "\n");
    try {
        defineMacro();
        finishLine(false);
    } catch (const CommandLineEnd&) {
        inComment_ = false;  // an unterminated comment ends with its option
    }
    resetBuffer();
}

void Preprocessor::finishSource() {
    if (inComment_) error("Unexpected EOF in comment");
    if (trueLevels_ + falseLevels_ > 0) error("Unexpected EOF within #if, #ifdef or #ifndef");
    flushOutput(end_);
    flushOutputFile();
    if (std::ferror(output_)) error("Problems with writing output file; probably out of temp space");
}

void Preprocessor::stopForWork() {
    error("input too large: more than " + std::to_string(workLimit_) +
          " bytes read and expanded, preprocessing stopped");
    throw FatalStop{};
}

void Preprocessor::report(const std::string& text, bool counted) {
    const IncludeLevel& level = levels_.back();
    std::ostream& out = currentOutput();
    if (!level.fileName.empty()) out << '"' << level.fileName << "\", ";
    out << "line " << level.line << ": " << text << '\n';
    messageDone();
    if (counted) ++errors_;
    else ++runCounters().warnings;
}

// An error reported at another place than the current one (a macro call).
void Preprocessor::reportAt(const std::string& file, int line, const std::string& text) {
    std::ostream& out = currentOutput();
    if (!file.empty()) out << '"' << file << "\", ";
    out << "line " << line << ": " << text << '\n';
    messageDone();
    ++errors_;
}

void Preprocessor::fatal(const std::string& text) {
    currentOutput() << programName_ << ": " << text << '\n';
    messageDone();
    ++errors_;
    throw FatalStop{};
}

void Preprocessor::messageDone() {
    currentOutput().flush();
    if (outputIsBuffered()) deliverBufferedOutput();
}

}  // namespace pp
}  // namespace zivrat
