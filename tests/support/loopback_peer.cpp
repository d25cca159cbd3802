#include "loopback_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace nimbra::testing_support {

LoopbackPeer::LoopbackPeer(int port, std::chrono::milliseconds timeout)
    : fd_(::socket(AF_INET, SOCK_STREAM, 0)), timeout_(timeout) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

LoopbackPeer::LoopbackPeer(int fd, std::chrono::milliseconds timeout, bool connected)
    : fd_(fd), timeout_(timeout), connected_(connected) {}

std::unique_ptr<LoopbackPeer> LoopbackPeer::Adopt(int fd, std::chrono::milliseconds timeout) {
    return std::unique_ptr<LoopbackPeer>(new LoopbackPeer(fd, timeout, true));
}

LoopbackPeer::~LoopbackPeer() {
    ::close(fd_);
}

int LoopbackPeer::remotePort() const {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getpeername(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    return ntohs(address.sin_port);
}

bool LoopbackPeer::Send(const std::string& bytes) {
    return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(bytes.size());
}

std::string LoopbackPeer::ReadUntil(const std::string& terminator) {
    const auto deadline = std::chrono::steady_clock::now() + timeout_;
    for (;;) {
        const std::size_t at = buffer_.find(terminator);
        if (at != std::string::npos) {
            std::string result = buffer_.substr(0, at + terminator.size());
            buffer_.erase(0, at + terminator.size());
            return result;
        }
        if (std::chrono::steady_clock::now() >= deadline || !ReadSome(deadline))
            return {};
    }
}

std::string LoopbackPeer::ReadBytes(std::size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + timeout_;
    while (buffer_.size() < count) {
        if (std::chrono::steady_clock::now() >= deadline || !ReadSome(deadline))
            return {};
    }
    std::string result = buffer_.substr(0, count);
    buffer_.erase(0, count);
    return result;
}

bool LoopbackPeer::ClosedByPeer() {
    const auto deadline = std::chrono::steady_clock::now() + timeout_;
    while (ReadSome(deadline)) {
    }
    return eof_;
}

bool LoopbackPeer::ReadSome(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd wait{fd_, POLLIN, 0};
    if (left.count() <= 0 || ::poll(&wait, 1, static_cast<int>(left.count())) <= 0)
        return false;
    char chunk[4096];
    const ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
    if (got <= 0) {
        eof_ = true;
        return false;
    }
    buffer_.append(chunk, static_cast<std::size_t>(got));
    return true;
}

LoopbackListener::LoopbackListener(int port, std::chrono::milliseconds timeout)
    : fd_(::socket(AF_INET, SOCK_STREAM, 0)), timeout_(timeout) {
    const int reuse = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(fd_, 4) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd_);
        throw std::runtime_error("cannot listen on 127.0.0.1 port " + std::to_string(port));
    }
    port_ = ntohs(address.sin_port);
}

LoopbackListener::~LoopbackListener() {
    ::close(fd_);
}

std::unique_ptr<LoopbackPeer> LoopbackListener::Accept() {
    pollfd wait{fd_, POLLIN, 0};
    if (::poll(&wait, 1, static_cast<int>(timeout_.count())) <= 0)
        return nullptr;
    const int connection = ::accept(fd_, nullptr, nullptr);
    if (connection < 0)
        return nullptr;
    return LoopbackPeer::Adopt(connection, timeout_);
}

int FreeLoopbackPort() {
    return LoopbackListener().port();
}

}  // namespace nimbra::testing_support
