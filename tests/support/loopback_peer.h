#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "stream_peer.h"

namespace nimbra::testing_support {

// A TCP connection to a port on the loopback address that reads up to a terminator.
class LoopbackPeer : public StreamPeer {
public:
    explicit LoopbackPeer(int port, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Takes over a connected socket.
    static std::unique_ptr<LoopbackPeer> Adopt(int fd, std::chrono::milliseconds timeout);

    bool connected() const { return connected_; }
    // The port the other side of the connection uses.
    int remotePort() const;
    // False when not all bytes could be sent.
    bool Send(const std::string& bytes);

private:
    LoopbackPeer(int fd, std::chrono::milliseconds timeout, bool connected)
        : StreamPeer(fd, timeout), connected_(connected) {}

    bool connected_ = false;
};

// A listening socket on the loopback address, on a free port, standing in for a server the
// code under test connects to. Accepts one connection at a time.
class LoopbackListener {
public:
    // port 0: a free port.
    explicit LoopbackListener(int port = 0,
                              std::chrono::milliseconds timeout = std::chrono::seconds(10));
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    int port() const { return port_; }
    // The next connection, or nullptr when none came within the timeout.
    std::unique_ptr<LoopbackPeer> Accept();

private:
    int fd_;
    int port_ = 0;
    std::chrono::milliseconds timeout_;
};

// A port on the loopback address that nothing listens on (free when asked).
int FreeLoopbackPort();

}  // namespace nimbra::testing_support
