// Directive lines: includes, conditional groups, #line and #ident.
#include <climits>

#include "ground/input_tracking.h"
#include "ground/frontend_hooks.h"
#include "ground/messages.h"
#include "preprocessor/preprocessor_state.h"
#include "support/file_system.h"
#include "support/paths.h"

namespace zivrat::pp {

bool isIncludeQuery(const std::string& name) {
    return name == "__has_include" || name == "__has_include_next";
}

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
    } else if (lenientSkips(kind, token)) {
        finishLine(false);
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
            case kIncludeNext:
            case kImport:
                if (skipping()) {
                    finishLine(false);
                } else {
                    includeDirective(kind == kInclude       ? IncludeKind::kInclude
                                     : kind == kImport      ? IncludeKind::kImport
                                                            : IncludeKind::kIncludeNext);
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
            case kError:
                if (options_.lenient) messageDirective("#error");
                else finishLine(false);
                break;
            case kWarning: messageDirective("#warning"); break;
            case kPragma: pragmaDirective(); break;
            case kSccs:
            case kAssert:
            case kUnassert: finishLine(false); break;
            default:
                if (options_.lenient) {
                    warning("Warning: unknown directive #" + tokenText());
                } else {
                    error("undefined control");
                }
                finishLine(false);
                break;
        }
    }
    capturing_ = false;
    inDirective_ = false;
}

// In lenient mode, as in standard C, a skipped group is looked at only for
// the directives that open, switch and close groups.
bool Preprocessor::lenientSkips(Directive kind, Token token) const {
    if (!options_.lenient || !skipping() || token == Token::kNewline) return false;
    switch (kind) {
        case kIf:
        case kIfdef:
        case kIfndef:
        case kElif:
        case kElse:
        case kEndif: return false;
        default: return true;
    }
}

// #warning, and #error in lenient mode: the line is shown as a warning and
// the file goes on.
void Preprocessor::messageDirective(const char* word) {
    finishLine(false);
    // capture_ holds the line after "#": blanks, the directive word, the text.
    std::size_t wordStart = capture_.find_first_not_of(" \t");
    std::size_t wordEnd = capture_.find_first_of(" \t\n", wordStart);
    std::size_t start = capture_.find_first_not_of(" \t", wordEnd);
    std::string text = start == std::string::npos ? std::string() : capture_.substr(start);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\t')) {
        text.pop_back();
    }
    warning(std::string(word) + (text.empty() ? "" : " ") + text);
}

// #pragma is passed over; in lenient mode "#pragma once" marks the file as
// one that later includes skip.
void Preprocessor::pragmaDirective() {
    Token token = nextNonBlank(false);
    bool once = token == Token::kIdentifier && tokenText() == "once";
    finishLine(false);
    if (options_.lenient && once) onceOnlyFiles_.insert(canonicalPath(levels_.back().fileName));
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

void Preprocessor::includeDirective(IncludeKind kind) {
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
    std::size_t first = kind == IncludeKind::kIncludeNext ? nextSearchSlot() : angled ? 1 : 0;
    IncludeSearch found = searchInclude(name, first);
    if (found.file == nullptr) {
        // In lenient mode a header of another package that is not on the
        // include path costs only its own declarations.
        if (options_.lenient) {
            warning("Warning: can't find include file " + name);
        } else {
            error("Can't find include file " + name);
        }
        return;
    }
    if (options_.lenient) {
        std::string canonical = canonicalPath(found.path);
        if (onceOnlyFiles_.count(canonical) != 0) {
            std::fclose(found.file);
            return;
        }
        if (kind == IncludeKind::kImport) onceOnlyFiles_.insert(canonical);
    }
    consumeNewline();
    outStart_ = tokenStart_ = p_;
    try {
        pushLevel(found);
    } catch (const PushbackOverflow&) {
        std::fclose(found.file);
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
// angled ones from slot 1 (the first -I directory); #include_next from the
// slot after the one the current file was found in.
Preprocessor::IncludeSearch Preprocessor::searchInclude(const std::string& name,
                                                        std::size_t firstSlot) {
    IncludeSearch found;
    for (std::size_t slot = firstSlot; slot < searchList_.size(); ++slot) {
        const std::string& directory = searchList_[slot];
        if (slot > 0 && directory.empty()) break;  // the first empty slot ends the list
        std::string path = !name.empty() && name[0] == '/' ? name : joinPath(directory, name);
        found.withoutExtension = path.find('.') == std::string::npos;
        found.slot = static_cast<int>(slot);
        // Lenient mode: <map> is the C++ header named so, before map.h.
        if (found.withoutExtension && options_.lenient) {
            if ((found.file = openCandidate(path)) != nullptr) {
                found.path = path;
                return found;
            }
        }
        if (found.withoutExtension) path += ".h";
        if ((found.file = openCandidate(path)) != nullptr) {
            found.path = path;
            return found;
        }
    }
    found.file = nullptr;
    return found;
}

std::FILE* Preprocessor::openCandidate(const std::string& path) const {
    noteFileRead(path);
    if (isSourceFolder(path)) return nullptr;
    return openSourceStream(path);
}

std::size_t Preprocessor::nextSearchSlot() const {
    int slot = levels_.back().searchSlot;
    return slot < 1 ? 1 : static_cast<std::size_t>(slot) + 1;
}

// __has_include(<name>) and __has_include("name") in lenient #if lines;
// __has_include_next searches as #include_next would.
bool Preprocessor::hasInclude(bool next) {
    if (nextNonBlank(false) != Token::kOther || *tokenStart_ != '(') return false;
    std::string name;
    bool angled = false;
    Token token = nextNonBlank(false);
    if (token == Token::kString && p_ - tokenStart_ >= 2) {
        name.assign(tokenStart_ + 1, p_ - 1);
    } else if (token == Token::kOther && *tokenStart_ == '<') {
        angled = true;
        for (token = nextToken(false); token != Token::kNewline; token = nextToken(false)) {
            if (token == Token::kOther && *tokenStart_ == '>') break;
            if (token != Token::kContinuation) name += tokenText();
        }
    }
    if (token == Token::kNewline || nextNonBlank(false) != Token::kOther || *tokenStart_ != ')') {
        warning("Warning: bad __has_include operand");
        return false;
    }
    IncludeSearch found = searchInclude(name, next ? nextSearchSlot() : angled ? 1 : 0);
    if (found.file == nullptr) return false;
    std::fclose(found.file);
    return true;
}

// After a name in an #if line: a parenthesized operand, if one follows, is
// read up to its closing parenthesis; false when none follows.
bool Preprocessor::skipCallOperand() {
    std::size_t offset = 0;
    while (peek(offset) == ' ' || peek(offset) == '\t') ++offset;
    if (peek(offset) != '(') return false;
    int depth = 0;
    for (Token token = nextNonBlank(false); token != Token::kNewline; token = nextToken(false)) {
        if (token != Token::kOther) continue;
        if (*tokenStart_ == '(') ++depth;
        if (*tokenStart_ == ')' && --depth == 0) return true;
    }
    // The line ended first: its newline, left unread, ends the expression.
    return true;
}

void Preprocessor::pushLevel(const IncludeSearch& found) {
    spill();  // the rest of the including file waits in its own segments
    std::string indent(levels_.size() - 1, ' ');
    IncludeLevel level;
    level.fileName = found.path;
    level.line = 1;
    level.file = found.file;
    level.directory = directoryOf(found.path);
    level.withoutExtension = found.withoutExtension;
    level.searchSlot = found.slot;
    level.segmentBase = segments_.size();
    levels_.push_back(std::move(level));
    searchList_[0] = levels_.back().directory;
    setUsingStdNames(found.withoutExtension);
    if (options_.includeTree) {
        currentOutput() << indent << found.path << '\n';
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
                   (definitionOf(tokenStart_, static_cast<std::size_t>(p_ - tokenStart_)) >= 0 ||
                    (options_.lenient && isIncludeQuery(tokenText())));
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
