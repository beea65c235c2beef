// The one way the tests start other processes: a program run with
// arguments, environment and working folder, its output kept in files of
// its own; or a piece of the test run in a forked copy of the test program.
// Every wait is bounded, and a child still running when its object goes
// away is killed.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zivrat::test {

using namespace std::chrono_literals;
using ChildClock = std::chrono::steady_clock;

struct Command {
    std::string program;                // the file executed
    std::vector<std::string> argv;      // from argv[0]
    // Over the current environment, which loses GUIZIVRAT, TMP, TZ,
    // SOURCE_DATE_EPOCH and the trace levels and gains TZ=UTC.
    std::map<std::string, std::string> environment;
    std::string folder = ".";           // the working folder
};

// How a child ended.
struct Ending {
    int exitCode = -1;  // the exit status, or -1 when a signal ended it
    int signal = 0;     // the signal that ended it, or 0
    // As a shell reports it: the exit status, or 128 + the signal.
    int shellStatus() const { return signal != 0 ? 128 + signal : exitCode; }
};

class TempDir;

class ChildProcess {
public:
    // Starts the command; standard input is /dev/null, standard output and
    // error go to files.
    explicit ChildProcess(const Command& command);
    // Runs `work` in a forked copy of this program, which then exits with 0
    // (1 when the work throws).
    explicit ChildProcess(const std::function<void()>& work);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // What the started command has written so far.
    std::string out() const;
    std::string err() const;

    void signal(int number) const;
    // Kills the child if it still runs, and waits for it.
    void kill();

    // How the child ended, or nothing when it still runs after `patience`.
    std::optional<Ending> waitForEnd(ChildClock::duration patience = 10s);
    // The end as a shell status, or nothing when it still runs.
    std::optional<int> waitForExit(ChildClock::duration patience = 10s);
    // Waits until standard output holds `text`.
    bool waitForOutput(const std::string& text, ChildClock::duration patience = 10s) const;

private:
    pid_t pid_ = -1;
    std::optional<Ending> ending_;
    std::unique_ptr<TempDir> outputs_;  // the command's output files
};

// Checks the condition every `step` until it holds (true) or `patience`
// has passed (false).
bool waitUntil(const std::function<bool()>& condition, ChildClock::duration patience = 10s,
               ChildClock::duration step = 5ms);

// Runs `work` in a forked copy of this program and waits for its end
// (nothing when it is killed after `patience`).
std::optional<Ending> runInChildProcess(const std::function<void()>& work,
                                        ChildClock::duration patience = 120s);

}  // namespace zivrat::test
