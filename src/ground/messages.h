// Console output: the three streams, line ends that reach the front end,
// and the message object yError with its level and verbose threshold.
#pragma once

#include <functional>
#include <ostream>
#include <string>

namespace zivrat {

std::ostream& currentOutput();
bool outputIsBuffered();
// Front-end mode: currentOutput writes into memory; delivery calls `deliver`.
void useBufferedOutput(std::function<void(const std::string&)> deliver);
void useStandardOutput();
// Hands the buffered text to the front end and starts an empty buffer.
void deliverBufferedOutput();
// Drops whatever is buffered (end of front-end mode).
void discardBufferedOutput();

// Writes "\n", flushes and, in front-end mode, delivers the buffered text.
std::ostream& endLine(std::ostream& stream);

enum MessageLevel { kInfo = 0, kWarning = 1, kSystem = 2, kFatal = 3 };

const char* levelName(int level);

// A message text with a level. The verbose threshold is read when the
// message is printed, so a later -v applies to existing messages.
class yError : public std::string {
public:
    yError(const std::string& text, int level);
    yError(const int& threshold, const std::string& text, int level);

    int level() const { return level_; }
    void setText(const std::string& text) { assign(text); }
    void setTextAndLevel(const std::string& text, int level);
    void setLevel(int level) { level_ = level; }

    // Writes the bare text on standard output when threshold <= level.
    void print() const;

private:
    const int* threshold_;
    int level_;
};

// The reporter: level name, " Error : " (levels 2, 3) or " : ", then the text.
std::ostream& operator<<(std::ostream& stream, const yError& error);

}  // namespace zivrat
