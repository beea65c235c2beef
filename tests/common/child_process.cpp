#include "common/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "common/temp_dir.h"

extern char** environ;

namespace zivrat::test {
namespace {

std::vector<std::string> childEnvironment(const std::map<std::string, std::string>& extra) {
    // Without PATH, a zivrat installed on this machine cannot lend the runs
    // the zivrat.ini beside it.
    static const char* const kDropped[] = {"GUIZIVRAT", "TMP", "YYDEBUG", "YYDEBUG2", "TZ",
                                           "SOURCE_DATE_EPOCH", "PATH"};
    std::vector<std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        std::string text = *entry;
        std::string name = text.substr(0, text.find('='));
        bool dropped = extra.count(name) != 0;
        for (const char* drop : kDropped) dropped = dropped || name == drop;
        if (!dropped) env.push_back(text);
    }
    if (extra.count("TZ") == 0) env.push_back("TZ=UTC");
    for (const auto& [name, value] : extra) env.push_back(name + "=" + value);
    return env;
}

// The null-terminated pointer array execve wants; the strings must outlive it.
std::vector<char*> pointersTo(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// In the child, between fork and exec: only system calls from here on.
[[noreturn]] void execute(const char* program, const char* folder, const char* outPath,
                          const char* errPath, char* const* argv, char* const* envp) {
    int nothing = ::open("/dev/null", O_RDONLY);
    int out = ::open(outPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = ::open(errPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (nothing < 0 || out < 0 || err < 0 || ::chdir(folder) != 0) ::_exit(127);
    ::dup2(nothing, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    ::execve(program, argv, envp);
    ::_exit(127);
}

Ending endingOf(int status) {
    Ending ending;
    if (WIFSIGNALED(status)) {
        ending.signal = WTERMSIG(status);
    } else {
        ending.exitCode = WEXITSTATUS(status);
    }
    return ending;
}

}  // namespace

ChildProcess::ChildProcess(const Command& command) : outputs_(std::make_unique<TempDir>()) {
    // Everything the child needs is made before the fork.
    std::vector<std::string> args = command.argv;
    std::vector<std::string> env = childEnvironment(command.environment);
    std::vector<char*> argv = pointersTo(args);
    std::vector<char*> envp = pointersTo(env);
    std::string outPath = outputs_->file("out");
    std::string errPath = outputs_->file("err");
    pid_ = ::fork();
    if (pid_ == 0) {
        execute(command.program.c_str(), command.folder.c_str(), outPath.c_str(), errPath.c_str(),
                argv.data(), envp.data());
    }
}

ChildProcess::ChildProcess(const std::function<void()>& work) {
    pid_ = ::fork();
    if (pid_ != 0) return;
    try {
        work();
    } catch (...) {
        ::_exit(1);
    }
    ::_exit(0);
}

ChildProcess::~ChildProcess() { kill(); }

std::string ChildProcess::out() const { return outputs_ ? outputs_->read("out") : std::string(); }
std::string ChildProcess::err() const { return outputs_ ? outputs_->read("err") : std::string(); }

void ChildProcess::signal(int number) const {
    if (pid_ > 0 && !ending_) ::kill(pid_, number);
}

void ChildProcess::kill() {
    if (pid_ <= 0 || ending_) return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    ending_ = endingOf(status);
}

std::optional<Ending> ChildProcess::waitForEnd(ChildClock::duration patience) {
    auto deadline = ChildClock::now() + patience;
    while (pid_ > 0 && !ending_) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            ending_ = endingOf(status);
        } else if (ChildClock::now() >= deadline) {
            break;
        } else {
            std::this_thread::sleep_for(5ms);
        }
    }
    return ending_;
}

std::optional<int> ChildProcess::waitForExit(ChildClock::duration patience) {
    std::optional<Ending> ending = waitForEnd(patience);
    if (!ending) return std::nullopt;
    return ending->shellStatus();
}

bool ChildProcess::waitForOutput(const std::string& text, ChildClock::duration patience) const {
    return waitUntil([&] { return out().find(text) != std::string::npos; }, patience);
}

bool waitUntil(const std::function<bool()>& condition, ChildClock::duration patience,
               ChildClock::duration step) {
    auto deadline = ChildClock::now() + patience;
    while (!condition()) {
        if (ChildClock::now() >= deadline) return false;
        std::this_thread::sleep_for(step);
    }
    return true;
}

std::optional<Ending> runInChildProcess(const std::function<void()>& work,
                                        ChildClock::duration patience) {
    ChildProcess child(work);
    return child.waitForEnd(patience);
}

}  // namespace zivrat::test
