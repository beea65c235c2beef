// The text buffer: input read in blocks, expansions pushed back in front of
// the unread text, saved segments, and the output writer.
#include <algorithm>
#include <cstring>

#include "preprocessor/preprocessor_state.h"

namespace zivrat::pp {

namespace {

constexpr std::size_t kOutputChunk = 1 << 16;

// Replaces every carriage-return-newline pair by a newline; returns the new length.
std::size_t foldLineEnds(char* text, std::size_t length) {
    char* from = static_cast<char*>(std::memchr(text, '\r', length));
    if (from == nullptr) return length;
    char* to = from;
    char* stop = text + length;
    while (from < stop) {
        if (*from == '\r' && from + 1 < stop && from[1] == '\n') ++from;
        *to++ = *from++;
    }
    return static_cast<std::size_t>(to - text);
}

}  // namespace

void Preprocessor::resetBuffer() {
    p_ = end_ = tokenStart_ = outStart_ = inputStart_;
    *end_ = 0;
    selfReferenceEnd_ = nullptr;
}

long long Preprocessor::unreadBytes() const {
    return static_cast<long long>(end_ - p_) + levels_.back().segmentBytes;
}

// Called when the scanner needs bytes past the end of the valid text. Keeps
// the current token (from tokenStart_) in front of the input area and brings
// more text: a saved segment, the next block of the file, or the text of the
// including file. Returns false only at the end of the source while a
// function-like macro's "(" is being looked for.
bool Preprocessor::refill() {
    flushOutput(tokenStart_);
    std::size_t length = static_cast<std::size_t>(end_ - tokenStart_);
    std::size_t room = static_cast<std::size_t>(inputStart_ - buffer_.data());
    if (length > room) {
        // One long token is reported once, however many blocks it spans.
        if (tokenStart_ != buffer_.data()) error("token too long");
        tokenStart_ = end_ - room;
        length = room;
    }
    std::ptrdiff_t position = std::max<std::ptrdiff_t>(p_ - tokenStart_, 0);
    char* destination = inputStart_ - length;
    std::memmove(destination, tokenStart_, length);
    tokenStart_ = outStart_ = destination;
    p_ = destination + position;
    end_ = inputStart_;
    *end_ = 0;
    selfReferenceEnd_ = nullptr;
    for (;;) {
        if (restoreSegment()) return true;
        if (readingCommandLine_) throw CommandLineEnd{};
        std::size_t count = readBlock(levels_.back());
        if (count > 0) {
            end_ = inputStart_ + count;
            *end_ = 0;
            expansionRegions_.clear();
            return true;
        }
        if (levels_.size() > 1) {
            popLevel();
            continue;
        }
        if (collectingArguments_ && supplyClosingParentheses()) return true;
        if (lookingAhead_) return false;
        throw SourceEnd{};
    }
}

std::size_t Preprocessor::readBlock(IncludeLevel& level) {
    if (level.file == nullptr) return 0;
    std::size_t count = std::fread(inputStart_, 1, kBlockSize, level.file);
    if (count == 0) {
        // A file always ends with a newline, supplied when its last line has none.
        if (level.endsWithNewline) return 0;
        inputStart_[0] = '\n';
        level.endsWithNewline = true;
        return 1;
    }
    if (inputStart_[count - 1] == '\r') {  // the pair may straddle two blocks
        int next = std::getc(level.file);
        if (next == '\n') {
            inputStart_[count - 1] = '\n';
        } else if (next != EOF) {
            std::ungetc(next, level.file);
        }
    }
    countWork(count);
    count = foldLineEnds(inputStart_, count);
    level.endsWithNewline = inputStart_[count - 1] == '\n';
    return count;
}

bool Preprocessor::restoreSegment() {
    IncludeLevel& level = levels_.back();
    if (segments_.size() <= level.segmentBase) return false;
    Segment segment = segments_.back();
    segments_.pop_back();
    std::memcpy(end_, &pool_[segment.offset], segment.length);
    end_ += segment.length;
    *end_ = 0;
    level.segmentBytes -= segment.length;
    if (freeSegments_.size() < kMaxSegments) freeSegments_.push_back(segment.offset);
    return true;
}

void Preprocessor::popLevel() {
    std::fclose(levels_.back().file);
    levels_.pop_back();
    searchList_[0] = levels_.back().directory;
    setUsingStdNames(levels_.back().withoutExtension);
    expansionRegions_.clear();
    writeLineDirective();
}

// The source ended inside a macro call: a newline and the missing ")" are
// supplied so that the call completes. They are supplied once: when they are
// used up inside a comment, the source ends there.
bool Preprocessor::supplyClosingParentheses() {
    std::size_t count = 0;
    if (!unterminatedReported_) {
        reportAt(callFile_, callLine_, callName_ + ": unterminated macro call");
        unterminatedReported_ = true;
        closersToSupply_ = argumentDepth_;
        inputStart_[count++] = '\n';
    } else if (closersToSupply_ == 0) {
        return false;
    }
    for (; count < kBlockSize && closersToSupply_ > 0; --closersToSupply_) inputStart_[count++] = ')';
    end_ = inputStart_ + count;
    *end_ = 0;
    return true;
}

// Makes p_[offset] a valid byte, reading more text when needed.
bool Preprocessor::ensure(std::size_t offset) {
    while (p_ + offset >= end_) {
        if (!refill()) return false;
    }
    return true;
}

int Preprocessor::peek(std::size_t offset) { return ensure(offset) ? byteAt(p_ + offset) : -1; }

// Puts text in front of the unread text; the scanner resumes at its start.
void Preprocessor::pushBack(const char* text, std::size_t length) {
    while (length > 0) {
        std::size_t room = static_cast<std::size_t>(p_ - buffer_.data());
        if (room == 0) {
            spill();
            continue;
        }
        std::size_t part = std::min(room, length);
        p_ -= part;
        std::memcpy(p_, text + length - part, part);
        length -= part;
    }
    tokenStart_ = outStart_ = p_;
}

// A line marker: the marker byte and the line number, most significant byte first.
void Preprocessor::pushMarker(int line) {
    auto value = static_cast<std::uint32_t>(line);
    const char marker[5] = {static_cast<char>(kMarkerByte), static_cast<char>(value >> 24),
                            static_cast<char>(value >> 16), static_cast<char>(value >> 8),
                            static_cast<char>(value)};
    pushBack(marker, sizeof marker);
}

// Saves the unread text of the buffer as segments of the current level and
// empties the buffer, so that a long expansion finds room.
void Preprocessor::spill() {
    std::size_t remaining = static_cast<std::size_t>(end_ - p_);
    std::size_t pieces = (remaining + kBlockSize - 1) / kBlockSize;
    if (segments_.size() + pieces > kMaxSegments) throw PushbackOverflow{};
    while (remaining > 0) {  // the last piece first: segments are restored last in, first out
        std::size_t part = std::min<std::size_t>(remaining, kBlockSize);
        saveSegment(p_ + remaining - part, part);
        remaining -= part;
    }
    p_ = end_ = tokenStart_ = outStart_ = bufferTop_;
    *end_ = 0;
    selfReferenceEnd_ = nullptr;
}

void Preprocessor::saveSegment(const char* from, std::size_t length) {
    std::int32_t offset;
    if (freeSegments_.empty()) {
        offset = poolAllocate(kBlockSize + 1);
    } else {
        offset = freeSegments_.back();
        freeSegments_.pop_back();
    }
    std::memcpy(&pool_[offset], from, length);
    segments_.push_back({offset, static_cast<std::int32_t>(length)});
    levels_.back().segmentBytes += static_cast<long long>(length);
}

// After "too much pushback": the buffered text of the current level is
// written as it stands, and reading goes on from the file.
void Preprocessor::dumpBufferedText() {
    writeText(p_, end_);
    IncludeLevel& level = levels_.back();
    while (segments_.size() > level.segmentBase) {
        Segment segment = segments_.back();
        segments_.pop_back();
        const char* text = &pool_[segment.offset];
        writeText(text, text + segment.length);
        if (freeSegments_.size() < kMaxSegments) freeSegments_.push_back(segment.offset);
    }
    level.segmentBytes = 0;
    expansionRegions_.clear();
    resetBuffer();
}

std::int32_t Preprocessor::poolAllocate(std::size_t length) {
    if (length > kPoolSize - poolUsed_) fatal("no space");
    auto offset = static_cast<std::int32_t>(poolUsed_);
    poolUsed_ += length;
    tables_.poolWritten = std::max(tables_.poolWritten, poolUsed_);
    return offset;
}

std::int32_t Preprocessor::poolAppend(const char* text, std::size_t length) {
    std::int32_t offset = poolAllocate(length);
    std::memcpy(&pool_[offset], text, length);
    return offset;
}

void Preprocessor::flushOutput(const char* to) {
    if (to > outStart_) writeText(outStart_, to);
    outStart_ = const_cast<char*>(to);
}

namespace {

// The next "#" or stringize byte from `from`, or `to`: most text holds
// neither, and the library's scans pass over it fastest.
const char* nextOutputMark(const char* from, const char* to) {
    const auto* hash = static_cast<const char*>(std::memchr(from, '#', to - from));
    const char* end = hash != nullptr ? hash : to;
    const auto* stringize = static_cast<const char*>(std::memchr(from, kStringizeByte, end - from));
    return stringize != nullptr ? stringize : end;
}

}  // namespace

// The output writer: nothing while a group is skipped; the stringize byte
// becomes a double quote and every "##" is dropped.
void Preprocessor::writeText(const char* from, const char* to) {
    if (skipping()) return;
    const char* run = from;
    for (const char* at = nextOutputMark(from, to); at < to; at = nextOutputMark(at + 1, to)) {
        if (byteAt(at) == kStringizeByte) {
            outputBuffer_.append(run, at);
            outputBuffer_ += '"';
            run = at + 1;
        } else if (at + 1 < to && at[1] == '#') {
            outputBuffer_.append(run, at);
            ++at;
            run = at + 1;
        }
    }
    outputBuffer_.append(run, to);
    if (outputBuffer_.size() >= kOutputChunk) flushOutputFile();
}

void Preprocessor::writeRaw(const std::string& text) {
    if (skipping()) return;
    outputBuffer_ += text;
}

void Preprocessor::writeLineDirective() {
    if (skipping() || options_.noLineDirectives) return;
    const IncludeLevel& level = levels_.back();
    outputBuffer_ += "#line " + std::to_string(level.line) + " \"" + level.fileName + "\"\n";
}

void Preprocessor::flushOutputFile() {
    if (!outputBuffer_.empty()) std::fwrite(outputBuffer_.data(), 1, outputBuffer_.size(), output_);
    outputBuffer_.clear();
    std::fflush(output_);
}

}  // namespace zivrat::pp
