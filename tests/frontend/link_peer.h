// Test helpers for the front-end link: a program started in front-end mode
// on a free port, and a peer that talks to it over loopback. Every wait is
// bounded, and a started program is killed when its helper goes away.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/run_zivrat.h"
#include "common/temp_dir.h"
#include "frontend/socket.h"

extern char** environ;

namespace zivrat::test {

using namespace std::chrono_literals;
using LinkClock = std::chrono::steady_clock;

inline std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline int freeUdpPort() { return Socket(0).localPort(); }

// Whether some socket on this machine is bound to the UDP port.
inline bool udpPortIsBound(int port) {
    char hex[8];
    std::snprintf(hex, sizeof hex, ":%04X ", port);
    std::istringstream table(fileText("/proc/net/udp"));
    std::string line;
    std::getline(table, line);  // the heading
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local;
        fields >> slot >> local;
        if ((local + " ").find(hex) != std::string::npos) return true;
    }
    return false;
}

// The current environment without GUIZIVRAT, TMP, TZ, the trace levels and
// PATH (a zivrat started as "zivrat" reads the zivrat.ini of its folder, not
// that of one installed on this machine), plus TZ=UTC and `extra`.
inline std::vector<std::string> linkEnvironment(const std::map<std::string, std::string>& extra) {
    std::vector<std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        std::string text = *entry;
        std::string name = text.substr(0, text.find('='));
        if (name == "GUIZIVRAT" || name == "TMP" || name == "TZ" || name == "YYDEBUG" ||
            name == "YYDEBUG2" || name == "PATH" || extra.count(name) != 0) {
            continue;
        }
        env.push_back(text);
    }
    env.push_back("TZ=UTC");
    for (const auto& [name, value] : extra) env.push_back(name + "=" + value);
    return env;
}

// A started process whose standard output and error go to files.
class Process {
public:
    Process(const std::string& folder, const std::vector<std::string>& argv,
            const std::map<std::string, std::string>& environment, const std::string& tag)
        : outPath_(folder + "/" + tag + ".out"), errPath_(folder + "/" + tag + ".err") {
        std::vector<std::string> env = linkEnvironment(environment);
        pid_ = ::fork();
        if (pid_ != 0) return;
        int out = ::open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = ::open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int nothing = ::open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || nothing < 0 || ::chdir(folder.c_str()) != 0) ::_exit(127);
        ::dup2(nothing, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        std::vector<std::string> args = argv;
        std::vector<char*> argPointers;
        for (std::string& arg : args) argPointers.push_back(arg.data());
        argPointers.push_back(nullptr);
        std::vector<char*> envPointers;
        for (std::string& entry : env) envPointers.push_back(entry.data());
        envPointers.push_back(nullptr);
        ::execve(argPointers[0], argPointers.data(), envPointers.data());
        ::_exit(127);
    }
    ~Process() {
        if (pid_ > 0 && !status_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    std::string out() const { return fileText(outPath_); }
    std::string err() const { return fileText(errPath_); }
    void signal(int number) const {
        if (pid_ > 0) ::kill(pid_, number);
    }

    // The exit status (128 + signal when killed), or nothing when the
    // process is still running after `patience`.
    std::optional<int> waitForExit(LinkClock::duration patience = 10s) {
        auto deadline = LinkClock::now() + patience;
        while (pid_ > 0 && !status_) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            } else if (LinkClock::now() >= deadline) {
                break;
            } else {
                std::this_thread::sleep_for(5ms);
            }
        }
        return status_;
    }

    // Waits until standard output holds `text`.
    bool waitForOutput(const std::string& text, LinkClock::duration patience = 10s) const {
        auto deadline = LinkClock::now() + patience;
        while (out().find(text) == std::string::npos) {
            if (LinkClock::now() >= deadline) return false;
            std::this_thread::sleep_for(5ms);
        }
        return true;
    }

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
    std::string outPath_;
    std::string errPath_;
};

// A program started with GUIZIVRAT set to a free port.
class LinkedProgram : public Process {
public:
    LinkedProgram(const std::string& folder, const std::string& binary,
                  std::map<std::string, std::string> environment = {}, int port = freeUdpPort())
        : Process(folder, {binary}, withPort(environment, port), "program"), port_(port) {}

    int port() const { return port_; }

    bool waitUntilBound(LinkClock::duration patience = 10s) const {
        auto deadline = LinkClock::now() + patience;
        while (!udpPortIsBound(port_)) {
            if (LinkClock::now() >= deadline) return false;
            std::this_thread::sleep_for(5ms);
        }
        return true;
    }

private:
    static std::map<std::string, std::string> withPort(std::map<std::string, std::string> env,
                                                       int port) {
        env["GUIZIVRAT"] = std::to_string(port);
        return env;
    }
    int port_;
};

// The front end's side of the conversation.
class Peer {
public:
    explicit Peer(int programPort) : socket_(0) {
        socket_.setPeer(programPort);
        // A run sends a line per class: room for thousands of them, so that
        // none is lost while the test looks elsewhere (the system may cap it).
        int bytes = 4 << 20;
        ::setsockopt(socket_.handle(), SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
    }

    void send(const std::string& text) { socket_.sendText(text); }

    // Sends bytes as they are, with no zero byte added.
    void sendBytes(const std::string& bytes) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<std::uint16_t>(socket_.peerPort()));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::sendto(socket_.handle(), bytes.data(), bytes.size(), 0,
                 reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }

    // The next text, or nothing when none comes within `patience`.
    std::optional<std::string> receive(LinkClock::duration patience = 10s) {
        pollfd ready{socket_.handle(), POLLIN, 0};
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(patience).count();
        if (::poll(&ready, 1, static_cast<int>(ms)) <= 0) return std::nullopt;
        return socket_.receiveText();
    }

    // Sends the connect request until it is accepted.
    bool connect(LinkClock::duration patience = 10s) {
        auto deadline = LinkClock::now() + patience;
        while (LinkClock::now() < deadline) {
            send("__start_cnx__");
            std::optional<std::string> answer = receive(50ms);
            if (answer && *answer == "__start_ok__") return true;
        }
        return false;
    }

    void sendArguments(const std::vector<std::string>& arguments) {
        send("__argc__");
        send(std::to_string(arguments.size()));
        for (const std::string& argument : arguments) {
            send("__argv__");
            send(argument);
        }
    }

    // Asks for the result of the last run: the text that follows the
    // program's "__result__" (nothing when the answer is not that).
    std::optional<std::string> askResult() {
        send("__result__");
        if (receive() != "__result__") return std::nullopt;
        return receive();
    }

    // The texts up to and including "__fin__" (fewer when time runs out).
    std::vector<std::string> receiveUntilEnd(LinkClock::duration patience = 20s) {
        std::vector<std::string> texts;
        auto deadline = LinkClock::now() + patience;
        while (LinkClock::now() < deadline) {
            std::optional<std::string> text = receive(deadline - LinkClock::now());
            if (!text) break;
            texts.push_back(*text);
            if (*text == "__fin__") break;
        }
        return texts;
    }

private:
    Socket socket_;
};

inline std::string joined(const std::vector<std::string>& texts) {
    std::string all;
    for (const std::string& text : texts) all += text;
    return all;
}

// zivrat started in front-end mode in a fresh folder that holds `files`
// (name and content), with a peer to talk to it.
struct Conversation {
    TempDir dir;
    std::unique_ptr<LinkedProgram> program;
    std::unique_ptr<Peer> peer;

    explicit Conversation(const std::map<std::string, std::string>& files = {}) {
        for (const auto& [name, content] : files) dir.write(name, content);
        program = std::make_unique<LinkedProgram>(dir.path(), zivratBinary());
        peer = std::make_unique<Peer>(program->port());
    }

    // Connects and reads the banner.
    void open() {
        ASSERT_TRUE(peer->connect());
        EXPECT_EQ(peer->receive(), "Zivrat Version 1.0.2\n");
    }

    // Sends the arguments and a start request; returns the run's texts up to
    // "__fin__", and checks the empty text that follows it.
    std::vector<std::string> run(const std::vector<std::string>& arguments) {
        peer->sendArguments(arguments);
        return start();
    }
    std::vector<std::string> start() {
        peer->send("__start__");
        return finishRun();
    }
    // The rest of a started run, as `start` returns it.
    std::vector<std::string> finishRun() {
        std::vector<std::string> texts = peer->receiveUntilEnd();
        EXPECT_EQ(peer->receive(), "");
        return texts;
    }

    // Ends the conversation and checks the program's last words and status.
    void close() {
        peer->send("__fin__");
        EXPECT_EQ(peer->receiveUntilEnd(), (std::vector<std::string>{"\n", "Ok\n", "", "__fin__"}));
        EXPECT_EQ(peer->receive(300ms), std::nullopt);
        EXPECT_EQ(program->waitForExit(), 0);
    }
};

// The client, built beside zivrat.
inline std::string frontClientBinary() {
    std::string zivrat = zivratBinary();
    return zivrat.substr(0, zivrat.rfind('/') + 1) + "zivrat-front";
}

}  // namespace zivrat::test
