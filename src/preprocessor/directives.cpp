// Directive lines: includes, conditional groups, #line and #ident.
#include <climits>

#include "ground/frontend_hooks.h"
#include "ground/messages.h"
#include "preprocessor/preprocessor_state.h"
#include "support/paths.h"

namespace zivrat::pp {

std::string directoryOf(const std::string& path) {
    std::size_t cut = path.rfind('/');
    if (cut == std::string::npos) return ".";
    // A file in the root keeps "/" as its directory rather than an empty one,
    // which would send its includes to the current directory.
    return cut == 0 ? std::string("/") : path.substr(0, cut);
}

// p_ is at the "#" of a directive line. Every directive ends with p_ at the
// line's newline, which is the only part of the line left for the output
// (except #include, whose line gives way to the included text).
void Preprocessor::directive() {
    inDirective_ = true;
    ++p_;
    capture_.clear();
    capturing_ = true;
    Token token = nextNonBlank(false);
    std::size_t wordEnd = capture_.size();
    Directive kind = kNotDirective;
    if (token == Token::kIdentifier) {
        std::string key = "#" + tokenText();
        int slot = findSlot(key.data(), key.size());
        if (slot >= 0) kind = table_[slot].directive;
    }
    if (token == Token::kNewline) {
        // "#" alone on its line
    } else if (token == Token::kNumber) {
        lineDirective(true, wordEnd - static_cast<std::size_t>(p_ - tokenStart_));
    } else {
        switch (kind) {
            case kDefine:
                checkBreak();
                if (!skipping()) defineMacro();
                finishLine(false);
                break;
            case kUndef: undefDirective(); break;
            case kInclude:
                if (skipping()) {
                    finishLine(false);
                } else {
                    includeDirective();
                }
                break;
            case kIfdef: ifdefDirective(true); break;
            case kIfndef: ifdefDirective(false); break;
            case kIf: ifDirective(); break;
            case kElif: elifDirective(); break;
            case kElse: elseDirective(); break;
            case kEndif: endifDirective(); break;
            case kLine:
                if (skipping() || options_.noLineDirectives) {
                    finishLine(false);
                } else {
                    lineDirective(false, wordEnd);
                }
                break;
            case kIdent:
                finishLine(false);
                if (!options_.noLineDirectives) writeRaw("#" + capture_);
                break;
            case kPragma:
            case kError: finishLine(false); break;
            default:
                error("undefined control");
                finishLine(false);
                break;
        }
    }
    capturing_ = false;
    inDirective_ = false;
}

// Reads the rest of a directive line up to its newline, without expansion.
void Preprocessor::finishLine(bool warnExtra) {
    bool warned = false;
    for (;;) {
        Token token = nextToken(false);
        if (token == Token::kNewline) break;
        if (token == Token::kBlank || token == Token::kContinuation) continue;
        if (warnExtra && !warned) {
            warning("Warning: extra tokens (ignored) after directive");
            warned = true;
        }
    }
    outStart_ = p_;
}

// "#line n "file"" and "# n "file"": the next line gets number n. The line is
// copied as "#" followed by what came after the directive word.
void Preprocessor::lineDirective(bool numericForm, std::size_t captureFrom) {
    Token token = numericForm ? Token::kNumber : nextNonBlank(false);
    long long number = 0;
    if (token == Token::kNumber) {
        for (const char* at = tokenStart_; at < p_ && *at >= '0' && *at <= '9'; ++at) {
            number = std::min<long long>(number * 10 + (*at - '0'), INT_MAX);
        }
    }
    std::string fileName;
    bool named = false;
    if (number == 0) {
        error("bad number for #line");
    } else {
        token = nextNonBlank(false);
        std::string text = tokenText();
        if (token == Token::kString && text.size() >= 2 && text.back() == '"') {
            fileName = text.substr(1, text.size() - 2);
            named = true;
        } else if (token != Token::kNewline) {
            error("bad file for #line");
        }
    }
    finishLine(false);
    if (number != 0) {
        levels_.back().line = static_cast<int>(number - 1);
        if (named && fileName != levels_.back().fileName) levels_.back().fileName = fileName;
    }
    writeRaw("#" + capture_.substr(captureFrom));
}

void Preprocessor::includeDirective() {
    std::string name;
    bool angled = false;
    bool valid = readIncludeName(name, angled);
    finishLine(valid);
    if (!valid) return;
    if (levels_.size() >= static_cast<std::size_t>(kMaxLevels)) {
        error("Unreasonable include nesting");
        return;
    }
    if (kPoolSize - poolUsed_ < kBlockSize) fatal("no space");
    if (name.compare(0, 13, "/usr/include/") == 0) {
        warning("Warning: #include of /usr/include/... may be non-portable");
    }
    std::string path;
    bool withoutExtension = false;
    std::FILE* file = searchInclude(name, angled, path, withoutExtension);
    if (file == nullptr) {
        error("Can't find include file " + name);
        return;
    }
    consumeNewline();
    outStart_ = tokenStart_ = p_;
    try {
        pushLevel(file, path, withoutExtension);
    } catch (const PushbackOverflow&) {
        std::fclose(file);
        error(name + ": too much pushback");
        dumpBufferedText();
    }
}

// The operand of #include: <name> or "name" (after macro expansion).
bool Preprocessor::readIncludeName(std::string& name, bool& angled) {
    Token token = nextNonBlank(true);
    if (token == Token::kOther && *tokenStart_ == '<') {
        angled = true;
        for (;;) {
            Token part = nextToken(false);
            if (part == Token::kNewline) {
                warning("Warning: missing > in #include");
                break;
            }
            if (part == Token::kOther && *tokenStart_ == '>') break;
            if (part != Token::kContinuation) name += tokenText();
        }
        return true;
    }
    if (token == Token::kString) {
        std::string text = tokenText();
        if (text.size() >= 2 && text.back() == '"') {
            name = text.substr(1, text.size() - 2);
        } else {
            warning("Warning: missing \" in #include");
            name = text.substr(1);
        }
        return true;
    }
    error("bad include syntax");
    return false;
}

// Quoted names are looked for from slot 0 (the current file's directory),
// angled ones from slot 1 (the first -I directory).
std::FILE* Preprocessor::searchInclude(const std::string& name, bool angled, std::string& path,
                                       bool& withoutExtension) {
    for (std::size_t slot = angled ? 1 : 0; slot < searchList_.size(); ++slot) {
        const std::string& directory = searchList_[slot];
        if (slot > 0 && directory.empty()) break;  // the first empty slot ends the list
        path = !name.empty() && name[0] == '/' ? name : joinPath(directory, name);
        withoutExtension = path.find('.') == std::string::npos;
        if (withoutExtension) path += ".h";
        if (isDirectory(path)) continue;
        if (std::FILE* file = std::fopen(path.c_str(), "rb")) return file;
    }
    return nullptr;
}

void Preprocessor::pushLevel(std::FILE* file, const std::string& path, bool withoutExtension) {
    spill();  // the rest of the including file waits in its own segments
    std::string indent(levels_.size() - 1, ' ');
    IncludeLevel level;
    level.fileName = path;
    level.line = 1;
    level.file = file;
    level.directory = directoryOf(path);
    level.withoutExtension = withoutExtension;
    level.segmentBase = segments_.size();
    levels_.push_back(std::move(level));
    searchList_[0] = levels_.back().directory;
    setUsingStdNames(withoutExtension);
    if (options_.includeTree) {
        currentOutput() << indent << path << '\n';
        messageDone();
    }
    expansionRegions_.clear();
    hasPendingMarker_ = lineDirectiveRequested_ = false;
    writeLineDirective();
}

// Group flags: 2 when a branch of the group was taken, 1 once #else is seen.
int Preprocessor::groupFlags() const {
    int depth = trueLevels_ + falseLevels_ - 1;
    return depth >= 0 && depth < kMaxConditionDepth ? groupFlags_[depth] : 0;
}

void Preprocessor::setGroupFlags(int flags) {
    int depth = trueLevels_ + falseLevels_ - 1;
    if (depth >= 0 && depth < kMaxConditionDepth) groupFlags_[depth] = static_cast<std::uint8_t>(flags);
}

void Preprocessor::openGroup(bool copied, bool isIf) {
    int depth = trueLevels_ + falseLevels_;
    if (depth >= kMaxConditionDepth) {
        error(isIf ? "#if,ifdef,ifndef nesting too deep" : "#if,ifdef,ifndef nesting to deep");
    } else {
        groupFlags_[depth] = copied ? 2 : 0;
    }
    if (copied) {
        ++trueLevels_;
    } else {
        ++falseLevels_;
    }
}

void Preprocessor::ifdefDirective(bool wantDefined) {
    Token token = nextNonBlank(false);
    bool defined = token == Token::kIdentifier &&
                   definitionOf(tokenStart_, static_cast<std::size_t>(p_ - tokenStart_)) >= 0;
    openGroup(!skipping() && defined == wantDefined, false);
    finishLine(true);
}

void Preprocessor::ifDirective() {
    if (skipping()) {
        openGroup(false, true);
    } else {
        openGroup(evaluateCondition() != 0, true);
    }
    finishLine(false);
}

void Preprocessor::elifDirective() {
    if (trueLevels_ + falseLevels_ == 0) {
        error("If-less elif");
        finishLine(false);
        return;
    }
    int flags = groupFlags();
    if (flags & 1) error("#elif following #else");
    if (falseLevels_ == 1) {
        if (!(flags & 2)) {
            forceExpansion_ = true;
            int value = evaluateCondition();
            forceExpansion_ = false;
            if (value != 0) {
                --falseLevels_;
                ++trueLevels_;
                setGroupFlags(2);
                lineDirectiveRequested_ = true;
            }
        }
    } else if (falseLevels_ == 0) {
        --trueLevels_;
        ++falseLevels_;
    }
    finishLine(false);
}

void Preprocessor::elseDirective() {
    if (trueLevels_ + falseLevels_ == 0) {
        error("If-less else");
        finishLine(true);
        return;
    }
    int flags = groupFlags();
    if (flags & 1) error("too many #else's");
    if (falseLevels_ == 1) {
        if (!(flags & 2)) {
            --falseLevels_;
            ++trueLevels_;
            flags |= 2;
            lineDirectiveRequested_ = true;
        }
    } else if (falseLevels_ == 0) {
        --trueLevels_;
        ++falseLevels_;
    }
    setGroupFlags(flags | 1);
    finishLine(true);
}

void Preprocessor::endifDirective() {
    if (falseLevels_ > 0) {
        --falseLevels_;
        if (falseLevels_ == 0) lineDirectiveRequested_ = true;
    } else if (trueLevels_ > 0) {
        --trueLevels_;
    } else {
        error("If-less endif");
    }
    finishLine(true);
}

}  // namespace zivrat::pp
