// zivrat-front: starts zivrat in front-end mode and drives one run over its
// UDP link, as a graphical shell would. The arguments go out datagram by
// datagram, the output texts are printed as they arrive, Ctrl-C asks for a
// break, and "__fin__" ends the conversation.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "frontend/socket.h"
#include "ground/failures.h"
#include "support/paths.h"

namespace zivrat {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kUsage =
    "usage : zivrat-front [--zivrat PATH] [--trace] [--] [zivrat flags] [files...]\n"
    " Runs zivrat over its front-end link and prints its output.\n"
    " --zivrat PATH  the zivrat program (else $ZIVRAT_PROGRAM, else the zivrat beside\n"
    "                zivrat-front); its folder holds the zivrat.ini that is read\n"
    " --trace        also show what zivrat writes on its own standard output\n"
    " Ctrl-C asks zivrat to stop the run; a second Ctrl-C ends it at once.\n"
    " The exit status is the run's, as zivrat would end with it; 130 after a stop.\n";

constexpr auto kConnectTimeout = std::chrono::seconds(10);
constexpr auto kConnectRetry = std::chrono::milliseconds(20);
constexpr auto kCloseTimeout = std::chrono::seconds(10);
constexpr auto kExitTimeout = std::chrono::seconds(5);
constexpr std::size_t kKeptProgramOutput = 8192;
constexpr int kStoppedStatus = 130;
constexpr const char* kResultRequest = "__result__";

// Ctrl-C reaches the event loop through this pipe; the signal handler can
// reach nothing else.
int interruptPipe[2] = {-1, -1};

void onInterrupt(int) {
    const char byte = 'i';
    ssize_t ignored = ::write(interruptPipe[1], &byte, 1);
    (void)ignored;
}

void complain(const std::string& text) { std::fprintf(stderr, "zivrat-front: %s\n", text.c_str()); }

struct ClientOptions {
    std::string programPath;
    bool trace = false;
    bool help = false;
    std::vector<std::string> programArguments;
};

// The client's options come first; the first other argument starts zivrat's
// own, and a "--" between them is consumed (give "-- --" to pass one on).
bool parseOptions(int argc, char** argv, ClientOptions& options) {
    int index = 1;
    for (; index < argc; ++index) {
        std::string argument = argv[index];
        if (argument == "--") {
            ++index;
            break;
        }
        if (argument.rfind("--", 0) != 0) break;
        if (argument == "--trace") {
            options.trace = true;
        } else if (argument == "--help") {
            options.help = true;
        } else if (argument == "--zivrat" && index + 1 < argc) {
            options.programPath = argv[++index];
        } else if (argument.rfind("--zivrat=", 0) == 0) {
            options.programPath = argument.substr(9);
        } else {
            complain("unknown option " + argument);
            return false;
        }
    }
    options.programArguments.assign(argv + index, argv + argc);
    return true;
}

std::string ownPath(const char* argv0) {
    if (std::strchr(argv0, '/') != nullptr) return argv0;
    std::vector<char> path(4096);
    ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
    return length > 0 ? std::string(path.data(), static_cast<std::size_t>(length)) : std::string();
}

std::string locateProgram(const ClientOptions& options, const char* argv0) {
    if (!options.programPath.empty()) return options.programPath;
    const char* fromEnvironment = std::getenv("ZIVRAT_PROGRAM");
    if (fromEnvironment != nullptr && *fromEnvironment != '\0') return fromEnvironment;
    return directoryPrefix(ownPath(argv0)) + "zivrat";
}

// A port that is free now; zivrat binds it right after.
int freePort() { return Socket(0).localPort(); }

// Output texts can come faster than a terminal takes them, and a datagram
// that finds the queue full is lost: ask for a generous queue.
void enlargeReceiveQueue(const Socket& socket) {
    int size = 8 << 20;
    if (::setsockopt(socket.handle(), SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size) != 0) {
        ::setsockopt(socket.handle(), SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    }
}

// The started zivrat and what it wrote on its own standard output.
struct Program {
    pid_t pid = -1;
    int output = -1;
    std::string said;  // the last bytes, shown when it fails
    bool ended = false;
    int status = 0;
};

bool startProgram(const std::string& path, int port, Program& program) {
    int output[2];
    if (::pipe2(output, O_CLOEXEC) != 0) return false;
    const std::string portText = std::to_string(port);
    const pid_t parent = ::getpid();
    pid_t child = ::fork();
    if (child < 0) {
        ::close(output[0]);
        ::close(output[1]);
        return false;
    }
    if (child == 0) {
        ::dup2(output[1], STDOUT_FILENO);
        int nothing = ::open("/dev/null", O_RDONLY);
        if (nothing >= 0) ::dup2(nothing, STDIN_FILENO);
        // Ctrl-C is the client's to turn into a break request; and zivrat
        // must not outlive a client that is killed.
        ::signal(SIGINT, SIG_IGN);
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) ::_exit(1);
        ::setenv("GUIZIVRAT", portText.c_str(), 1);
        ::execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
        std::fprintf(stderr, "zivrat-front: cannot start %s: %s\n", path.c_str(), std::strerror(errno));
        ::_exit(127);
    }
    ::close(output[1]);
    program.pid = child;
    program.output = output[0];
    return true;
}

int statusOf(int waitStatus) {
    if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus)) return 128 + WTERMSIG(waitStatus);
    return 1;
}

// Waits for the program to end; true when it did within the time.
bool waitForExit(Program& program, Clock::duration patience) {
    const Clock::time_point deadline = Clock::now() + patience;
    while (!program.ended) {
        int waitStatus = 0;
        pid_t done = ::waitpid(program.pid, &waitStatus, WNOHANG);
        if (done == program.pid || (done < 0 && errno != EINTR)) {
            program.ended = true;
            program.status = done == program.pid ? statusOf(waitStatus) : 1;
        } else if (Clock::now() >= deadline) {
            return false;
        } else {
            ::usleep(10000);
        }
    }
    return true;
}

void stopProgram(Program& program) {
    if (program.ended) return;
    ::kill(program.pid, SIGTERM);
    if (!waitForExit(program, kExitTimeout)) {
        ::kill(program.pid, SIGKILL);
        waitForExit(program, kExitTimeout);
    }
}

class Session {
public:
    enum class Event { Text, Interrupt, ProgramEnded, TimedOut };

    Session(Socket& socket, Program& program, int port, bool trace)
        : socket_(socket), program_(program), port_(port), trace_(trace) {}

    // Sends the connect request until it is accepted.
    Event connect() {
        const Clock::time_point deadline = Clock::now() + kConnectTimeout;
        for (;;) {
            socket_.sendText("__start_cnx__");
            std::string text;
            Event event = nextEvent(std::min(deadline, Clock::now() + kConnectRetry), text);
            if (event == Event::Text && text == "__start_ok__") return Event::Text;
            if (event == Event::Interrupt || event == Event::ProgramEnded) return event;
            if (Clock::now() >= deadline) return Event::TimedOut;
        }
    }

    void sendArguments(const std::vector<std::string>& arguments) {
        socket_.sendText("__argc__");
        socket_.sendText(std::to_string(arguments.size()));
        for (const std::string& argument : arguments) {
            socket_.sendText("__argv__");
            socket_.sendText(argument);
        }
    }

    // Prints the output texts until "__fin__". During a run the first
    // Ctrl-C asks for a break; any other one ends the wait.
    Event relayUntilEnd(Clock::time_point deadline, bool running) {
        return relayUntil("__fin__", deadline, running);
    }

    // Asks for the result of the run that just ended. What the run still had
    // to say comes first, and is printed.
    Event askResult(Clock::time_point deadline, int& result) {
        socket_.sendText(kResultRequest);
        Event event = relayUntil(kResultRequest, deadline, false);
        std::string text;
        if (event == Event::Text) event = nextEvent(deadline, text);
        if (event == Event::Text) result = std::atoi(text.c_str());
        return event;
    }

    bool breakAsked() const { return breakAsked_; }

    void send(const std::string& text) { socket_.sendText(text); }

private:
    Event relayUntil(const char* last, Clock::time_point deadline, bool running) {
        for (;;) {
            std::string text;
            Event event = nextEvent(deadline, text);
            if (event == Event::Interrupt && running && !breakAsked_) {
                socket_.sendText("__break__");
                breakAsked_ = true;
                continue;
            }
            if (event != Event::Text) return event;
            if (text == last) return Event::Text;
            std::fwrite(text.data(), 1, text.size(), stdout);
            std::fflush(stdout);
        }
    }

    // Waits for the next datagram from the program, a Ctrl-C, the end of the
    // program or the deadline (Clock::time_point::max() for none).
    Event nextEvent(Clock::time_point deadline, std::string& text) {
        for (;;) {
            // What the program sent before it ended is still read first.
            if (program_.ended && !socket_.isReadable()) return Event::ProgramEnded;
            int waitMs = -1;
            if (deadline != Clock::time_point::max()) {
                auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
                if (left.count() <= 0) return Event::TimedOut;
                waitMs = static_cast<int>(left.count());
            }
            pollfd ready[3] = {{socket_.handle(), POLLIN, 0},
                               {interruptPipe[0], POLLIN, 0},
                               {program_.output, POLLIN, 0}};
            if (::poll(ready, program_.output >= 0 ? 3 : 2, waitMs) < 0) continue;
            if (ready[1].revents != 0) {
                char bytes[16];
                ssize_t ignored = ::read(interruptPipe[0], bytes, sizeof bytes);
                (void)ignored;
                return Event::Interrupt;
            }
            if (program_.output >= 0 && ready[2].revents != 0) readProgramOutput();
            if ((ready[0].revents & POLLIN) != 0) {
                text = socket_.receiveText();
                if (socket_.peerPort() == port_) return Event::Text;
                socket_.setPeer(port_);  // a stranger's datagram: not ours to answer
            }
        }
    }

    void readProgramOutput() {
        char bytes[4096];
        ssize_t got = ::read(program_.output, bytes, sizeof bytes);
        if (got > 0) {
            if (trace_) {
                std::fwrite(bytes, 1, static_cast<std::size_t>(got), stderr);
                return;
            }
            program_.said.append(bytes, static_cast<std::size_t>(got));
            if (program_.said.size() > kKeptProgramOutput) {
                program_.said.erase(0, program_.said.size() - kKeptProgramOutput);
            }
            return;
        }
        if (got < 0 && errno == EINTR) return;
        // Its standard output closes when it ends.
        ::close(program_.output);
        program_.output = -1;
        if (!waitForExit(program_, kExitTimeout)) stopProgram(program_);
    }

    Socket& socket_;
    Program& program_;
    int port_;
    bool trace_;
    bool breakAsked_ = false;
};

// The status a direct run of zivrat would end with (-1 is 255), except that
// a run stopped by Ctrl-C ends as an interrupted program does.
int exitStatusOf(int runResult, bool breakAsked) {
    if (runResult != 0 && breakAsked) return kStoppedStatus;
    return runResult & 0xff;
}

int reportEndedProgram(const Program& program, bool trace) {
    complain("zivrat ended before the conversation was over (status " +
             std::to_string(program.status) + ")");
    if (!trace) std::fputs(program.said.c_str(), stderr);
    return program.status != 0 ? program.status : 1;
}

// Ends a conversation that went wrong: stops the program and says why.
int abandon(Session::Event event, Program& program, bool trace) {
    if (event == Session::Event::ProgramEnded) return reportEndedProgram(program, trace);
    stopProgram(program);
    if (event == Session::Event::Interrupt) return kStoppedStatus;
    complain("zivrat did not answer in time");
    return 1;
}

int converse(const ClientOptions& options, const std::string& path) {
    std::vector<std::string> arguments{path};
    arguments.insert(arguments.end(), options.programArguments.begin(), options.programArguments.end());
    for (const std::string& argument : arguments) {
        if (argument.size() >= kMaxDatagram) {
            complain("an argument is too long to send: " + argument.substr(0, 40) + "...");
            return 1;
        }
    }
    if (::access(path.c_str(), X_OK) != 0) {
        complain("cannot run " + path + " (give its path with --zivrat or ZIVRAT_PROGRAM)");
        return 1;
    }
    const int port = freePort();
    Socket socket(0);
    enlargeReceiveQueue(socket);
    socket.setPeer(port);
    Program program;
    if (!startProgram(path, port, program)) {
        complain("cannot start " + path);
        return 1;
    }
    Session session(socket, program, port, options.trace);
    Session::Event event = session.connect();
    if (event != Session::Event::Text) return abandon(event, program, options.trace);
    session.sendArguments(arguments);
    session.send("__start__");
    event = session.relayUntilEnd(Clock::time_point::max(), true);
    if (event != Session::Event::Text) return abandon(event, program, options.trace);
    int result = 0;
    event = session.askResult(Clock::now() + kCloseTimeout, result);
    if (event != Session::Event::Text) return abandon(event, program, options.trace);
    session.send("__fin__");
    event = session.relayUntilEnd(Clock::now() + kCloseTimeout, false);
    if (event != Session::Event::Text) return abandon(event, program, options.trace);
    if (!waitForExit(program, kExitTimeout)) return abandon(Session::Event::TimedOut, program, options.trace);
    if (program.status != 0) return program.status;
    return exitStatusOf(result, session.breakAsked());
}

void catchInterrupts() {
    if (::pipe2(interruptPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
}

}  // namespace
}  // namespace zivrat

int main(int argc, char** argv) {
    using namespace zivrat;
    ClientOptions options;
    if (!parseOptions(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    catchInterrupts();
    try {
        return converse(options, locateProgram(options, argv[0]));
    } catch (const PlainMessage& message) {
        complain("socket error " + message.text);
        return 1;
    }
}
