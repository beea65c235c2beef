#include "ground/messages.h"

#include <iostream>
#include <sstream>

#include "ground/settings.h"

namespace zivrat {
namespace {

// Where ordinary console output goes: standard output, or in front-end mode a
// memory buffer whose text is handed to a delivery callback.
struct ConsoleState {
    std::ostringstream buffer;
    std::function<void(const std::string&)> deliver;  // set in front-end mode
};

ConsoleState& consoleState() {
    static ConsoleState state;
    return state;
}

}  // namespace

bool outputIsBuffered() { return static_cast<bool>(consoleState().deliver); }

std::ostream& currentOutput() {
    if (outputIsBuffered()) return consoleState().buffer;
    return std::cout;
}

void useBufferedOutput(std::function<void(const std::string&)> deliver) {
    consoleState().buffer.str(std::string());
    consoleState().deliver = std::move(deliver);
}

void useStandardOutput() {
    consoleState().deliver = nullptr;
    consoleState().buffer.str(std::string());
}

void deliverBufferedOutput() {
    ConsoleState& state = consoleState();
    if (!state.deliver) return;
    std::string text = state.buffer.str();
    state.buffer.str(std::string());
    state.buffer.clear();
    state.deliver(text);
}

void discardBufferedOutput() {
    consoleState().buffer.str(std::string());
    consoleState().buffer.clear();
}

std::ostream& endLine(std::ostream& stream) {
    stream << '\n';
    stream.flush();
    if (outputIsBuffered()) deliverBufferedOutput();
    return stream;
}

const char* levelName(int level) {
    switch (level) {
        case kInfo: return "INFO";
        case kWarning: return "WARNING";
        case kSystem: return "SYSTEM";
        case kFatal: return "FATAL";
        default: return "unknow";
    }
}

yError::yError(const std::string& text, int level)
    : std::string(text), threshold_(&runSettings().verboseLevel), level_(level) {}

yError::yError(const int& threshold, const std::string& text, int level)
    : std::string(text), threshold_(&threshold), level_(level) {}

void yError::setTextAndLevel(const std::string& text, int level) {
    assign(text);
    level_ = level;
}

void yError::print() const {
    if (*threshold_ <= level_) std::cout << static_cast<const std::string&>(*this) << std::flush;
}

std::ostream& operator<<(std::ostream& stream, const yError& error) {
    stream << levelName(error.level());
    stream << (error.level() == kSystem || error.level() == kFatal ? " Error : " : " : ");
    return stream << static_cast<const std::string&>(error);
}

}  // namespace zivrat
