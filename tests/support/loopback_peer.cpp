#include "loopback_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace nimbra::testing_support {

LoopbackPeer::LoopbackPeer(int port, std::chrono::milliseconds timeout)
    : StreamPeer(::socket(AF_INET, SOCK_STREAM, 0), timeout) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

std::unique_ptr<LoopbackPeer> LoopbackPeer::Adopt(int fd, std::chrono::milliseconds timeout) {
    return std::unique_ptr<LoopbackPeer>(new LoopbackPeer(fd, timeout, true));
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
