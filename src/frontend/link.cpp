#include "frontend/link.h"

#include <climits>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "frontend/socket.h"
#include "ground/failures.h"
#include "ground/frontend_hooks.h"
#include "ground/messages.h"

namespace zivrat {
namespace {

constexpr const char* kConnectRequest = "__start_cnx__";
constexpr const char* kConnectAccepted = "__start_ok__";
constexpr const char* kCountRequest = "__argc__";
constexpr const char* kArgumentRequest = "__argv__";
constexpr const char* kStartRequest = "__start__";
constexpr const char* kBreakRequest = "__break__";
constexpr const char* kEnd = "__fin__";
// Our own addition: a front end that wants the result of the last run asks
// for it after the run's "__fin__", and gets this text back followed by the
// result as decimal text (as the front end announces a count). A front end
// that never asks sees the conversation unchanged.
constexpr const char* kResultRequest = "__result__";

struct LinkState {
    bool frontEndMode = false;
    int port = 0;
    std::unique_ptr<Socket> socket;  // absent outside front-end mode
    // The argument vector of the next start request, argv[0] first. It grows
    // with every argument: the announced count only starts a new vector, so a
    // front end that miscounts, or sends arguments before any count, still
    // has its whole command line run.
    std::vector<std::string> arguments;
    // The result of the last start request: the run's, or -1 when it was
    // stopped by a break or had nothing to run.
    int lastResult = 0;
};

LinkState& linkState() {
    static LinkState state;
    return state;
}

// The leading decimal number of a text (0 when there is none), kept within
// the range of int however many digits it has.
int leadingNumber(const std::string& text) {
    long number = std::strtol(text.c_str(), nullptr, 10);
    if (number > INT_MAX) return INT_MAX;
    if (number < INT_MIN) return INT_MIN;
    return static_cast<int>(number);
}

void pollBreak() {
    Socket* socket = linkState().socket.get();
    if (socket == nullptr || !socket->isReadable()) return;
    if (socket->receiveText() == kBreakRequest) throw UserBreak{};
}

void sendOutputText(const std::string& text) {
    if (Socket* socket = linkState().socket.get()) socket->sendText(text);
}

// A datagram counts as the connect request only when nothing else is waiting
// right behind it; anything followed at once by another datagram is dropped.
void waitForConnection(Socket& socket) {
    for (;;) {
        std::string text = socket.receiveText();
        std::cout << '+' << std::flush;
        if (!socket.isReadable() && text == kConnectRequest) return;
    }
}

void receiveArgumentCount(LinkState& state) {
    int count = leadingNumber(state.socket->receiveText());
    std::cout << "argc " << count << std::endl;
    state.arguments.clear();
}

void receiveArgument(LinkState& state) {
    std::string argument = state.socket->receiveText();
    std::cout << "argv " << argument << std::endl;
    state.arguments.push_back(argument);
}

// Sends what currentOutput holds as one text, and starts an empty buffer.
void deliverOutput() {
    if (outputIsBuffered()) deliverBufferedOutput();
}

// Tells the front end that the request is over, then sends what is pending
// (an empty text when nothing is).
void endReply(LinkState& state) {
    state.socket->sendText(kEnd);
    deliverOutput();
}

void serveStartRequest(LinkState& state, const RunRequest& run) {
    std::cout << kStartRequest << std::endl;
    if (state.arguments.empty()) {
        // A run needs at least the program path; there is nothing to run.
        currentOutput() << "Zivrat Error : __start__ without arguments, nothing to run" << endLine;
        state.lastResult = -1;
        endReply(state);
        return;
    }
    try {
        state.lastResult = run(state.arguments);
    } catch (const UserBreak&) {
        state.lastResult = -1;
        currentOutput() << "Zivrat stop by user break ..." << endLine;
    }
    currentOutput() << endLine;
    currentOutput() << "Ok" << endLine;
    endReply(state);
}

void sendLastResult(LinkState& state) {
    state.socket->sendText(kResultRequest);
    state.socket->sendText(std::to_string(state.lastResult));
}

}  // namespace

void detectFrontEnd() {
    const char* value = std::getenv("GUIZIVRAT");
    if (value == nullptr) return;
    LinkState& state = linkState();
    state.frontEndMode = true;
    state.port = leadingNumber(value);
    // Port 0 would bind some free port that no front end knows, and a larger
    // number would wrap round to another port: neither can be reached.
    if (state.port < 1 || state.port > 65535) throw PlainMessage{"Enable to bind"};
    state.socket = std::make_unique<Socket>(state.port);
    installFrontEndHooks({pollBreak, sendOutputText});
    waitForConnection(*state.socket);
    state.socket->sendText(kConnectAccepted);
}

bool frontEndMode() { return linkState().frontEndMode; }

void serveRequests(const RunRequest& run) {
    LinkState& state = linkState();
    if (!state.socket) return;
    for (;;) {
        std::string request = state.socket->receiveText();
        if (request == kEnd) break;
        if (request == kCountRequest) {
            receiveArgumentCount(state);
        } else if (request == kArgumentRequest) {
            receiveArgument(state);
        } else if (request == kStartRequest) {
            serveStartRequest(state, run);
        } else if (request == kResultRequest) {
            sendLastResult(state);
        }
    }
    state.arguments.clear();
}

void closeFrontEnd() {
    LinkState& state = linkState();
    deliverOutput();
    if (state.socket) {
        state.socket->sendText(kEnd);
        state.socket.reset();
    }
    removeFrontEndHooks();
    state.arguments.clear();
}

}  // namespace zivrat
