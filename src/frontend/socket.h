// A UDP socket on the local host that talks in zero-terminated texts, one
// text per datagram.
#pragma once

#include <netinet/in.h>

#include <string>
#include <vector>

namespace zivrat {

// The largest payload of one IPv4 UDP datagram.
constexpr std::size_t kMaxDatagram = 65507;

class Socket {
public:
    // Binds to the address of "localhost" (127.0.0.1 when the lookup fails)
    // at `port`, 0 meaning any free port. Raises PlainMessage on failure.
    explicit Socket(int port);
    ~Socket();
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // Sends the text and its zero byte to the peer. Errors are not reported.
    void sendText(const std::string& text);
    // Waits for one datagram, takes its sender as the peer and returns its
    // text up to the first zero byte (or its whole length without one).
    std::string receiveText();
    // Whether a datagram is waiting; never waits.
    bool isReadable() const;

    // Makes the local host at `port` the peer.
    void setPeer(int port);
    int peerPort() const;
    int localPort() const;
    int handle() const { return handle_; }

private:
    int handle_ = -1;
    sockaddr_in peer_{};
    // Shared by all receives. It holds the largest datagram, so no text is
    // ever cut short, however long an argument the front end sends.
    std::vector<char> buffer_;
};

}  // namespace zivrat
