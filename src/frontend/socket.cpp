#include "frontend/socket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "ground/failures.h"

namespace zivrat {
namespace {

in_addr localHostAddress() {
    in_addr address{};
    address.s_addr = htonl(INADDR_LOOPBACK);
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo("localhost", nullptr, &hints, &found) == 0 && found != nullptr) {
        address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    }
    if (found != nullptr) ::freeaddrinfo(found);
    return address;
}

sockaddr_in localHostAt(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr = localHostAddress();
    return address;
}

}  // namespace

Socket::Socket(int port) : buffer_(kMaxDatagram + 1) {
    handle_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    if (handle_ < 0) throw PlainMessage{"Cant open socket"};
    sockaddr_in address = localHostAt(port);
    if (::bind(handle_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(handle_);
        throw PlainMessage{"Enable to bind"};
    }
}

Socket::~Socket() { ::close(handle_); }

void Socket::sendText(const std::string& text) {
    // A text too long for one datagram goes out in several zero-terminated
    // pieces: a front end shows them one after the other, and nothing is lost.
    const std::size_t pieceLength = kMaxDatagram - 1;
    std::size_t start = 0;
    do {
        std::string piece = text.substr(start, pieceLength);
        piece.push_back('\0');
        ::sendto(handle_, piece.data(), piece.size(), 0, reinterpret_cast<const sockaddr*>(&peer_),
                 sizeof peer_);
        start += pieceLength;
    } while (start < text.size());
}

std::string Socket::receiveText() {
    ssize_t got;
    do {
        socklen_t length = sizeof peer_;
        got = ::recvfrom(handle_, buffer_.data(), buffer_.size(), 0,
                         reinterpret_cast<sockaddr*>(&peer_), &length);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) return std::string();
    const char* data = buffer_.data();
    const void* zero = std::memchr(data, 0, static_cast<std::size_t>(got));
    return std::string(data, zero != nullptr ? static_cast<const char*>(zero) - data : got);
}

bool Socket::isReadable() const {
    pollfd ready{handle_, POLLIN, 0};
    return ::poll(&ready, 1, 0) > 0 && (ready.revents & POLLIN) != 0;
}

void Socket::setPeer(int port) { peer_ = localHostAt(port); }

int Socket::peerPort() const { return ntohs(peer_.sin_port); }

int Socket::localPort() const {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getsockname(handle_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    return ntohs(address.sin_port);
}

}  // namespace zivrat
