#include "common/run_zivrat.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

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

// Reads both pipes until the child closes them or the deadline passes.
bool drainPipes(int outFd, int errFd, RunResult& result, int timeoutSeconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    struct pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = 2;
    char buffer[65536];
    while (open > 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            for (auto& fd : fds) {
                if (fd.fd >= 0) ::close(fd.fd);
            }
            return false;
        }
        if (::poll(fds, 2, static_cast<int>(left.count())) < 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(got));
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    return true;
}

}  // namespace

std::string zivratBinary() { return ZIVRAT_BINARY; }
std::string sourceDirectory() { return ZIVRAT_SOURCE_DIR; }

std::map<std::string, std::string> reproducibleEnvironment() {
    return {{"SOURCE_DATE_EPOCH", "883990987"}};  // Mon Jan  5 09:03:07 1998 UTC
}

RunResult runZivrat(const std::string& folder, const std::vector<std::string>& args,
                    const std::map<std::string, std::string>& environment, int timeoutSeconds) {
    RunResult result;
    int outPipe[2], errPipe[2];
    if (::pipe(outPipe) != 0 || ::pipe(errPipe) != 0) return result;
    std::vector<std::string> env = childEnvironment(environment);
    pid_t child = ::fork();
    if (child == 0) {
        ::dup2(outPipe[1], 1);
        ::dup2(errPipe[1], 2);
        ::close(outPipe[0]);
        ::close(errPipe[0]);
        if (::chdir(folder.c_str()) != 0) ::_exit(127);
        std::vector<char*> argv;
        std::string name = "zivrat";
        argv.push_back(name.data());
        std::vector<std::string> copies = args;
        for (std::string& arg : copies) argv.push_back(arg.data());
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (std::string& entry : env) envp.push_back(entry.data());
        envp.push_back(nullptr);
        ::execve(ZIVRAT_BINARY, argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    bool finished = drainPipes(outPipe[0], errPipe[0], result, timeoutSeconds);
    if (!finished) {
        ::kill(child, SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    result.status = finished && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace zivrat::test
