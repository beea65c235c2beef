// Test helpers for the front-end link: a program started in front-end mode
// on a free port, and a peer that talks to it over loopback. Every wait is
// bounded, and a started program is killed when its helper goes away.
#pragma once

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "common/console_texts.h"
#include "common/child_process.h"
#include "common/run_zivrat.h"
#include "common/temp_dir.h"
#include "frontend/socket.h"

namespace zivrat::test {

inline int freeUdpPort() { return Socket(0).localPort(); }

// Whether some socket on this machine is bound to the UDP port.
inline bool udpPortIsBound(int port) {
    char hex[8];
    std::snprintf(hex, sizeof hex, ":%04X ", port);
    std::istringstream table(readFile("/proc/net/udp"));
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

// A program started with GUIZIVRAT set to a free port.
class LinkedProgram : public ChildProcess {
public:
    LinkedProgram(const std::string& folder, const std::string& binary,
                  std::map<std::string, std::string> environment = {}, int port = freeUdpPort())
        : ChildProcess(Command{binary, {binary}, withPort(environment, port), folder}),
          port_(port) {}

    int port() const { return port_; }

    bool waitUntilBound(ChildClock::duration patience = 10s) const {
        return waitUntil([this] { return udpPortIsBound(port_); }, patience);
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
    std::optional<std::string> receive(ChildClock::duration patience = 10s) {
        pollfd ready{socket_.handle(), POLLIN, 0};
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(patience).count();
        if (::poll(&ready, 1, static_cast<int>(ms)) <= 0) return std::nullopt;
        return socket_.receiveText();
    }

    // Sends the connect request until it is accepted.
    bool connect(ChildClock::duration patience = 10s) {
        auto deadline = ChildClock::now() + patience;
        while (ChildClock::now() < deadline) {
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
    std::vector<std::string> receiveUntilEnd(ChildClock::duration patience = 20s) {
        std::vector<std::string> texts;
        auto deadline = ChildClock::now() + patience;
        while (ChildClock::now() < deadline) {
            std::optional<std::string> text = receive(deadline - ChildClock::now());
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
        EXPECT_EQ(peer->receive(), kBannerLine);
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

// The client started in the folder with the arguments.
inline Command frontClientCommand(const std::string& folder, std::vector<std::string> arguments,
                                  std::map<std::string, std::string> environment = {}) {
    arguments.insert(arguments.begin(), frontClientBinary());
    return Command{arguments.front(), arguments, std::move(environment), folder};
}

}  // namespace zivrat::test
