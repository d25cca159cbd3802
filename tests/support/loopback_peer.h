#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

namespace nimbra::testing_support {

// A TCP connection to a port on the loopback address that reads up to a terminator.
class LoopbackPeer {
public:
    explicit LoopbackPeer(int port, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Takes over a connected socket.
    static std::unique_ptr<LoopbackPeer> Adopt(int fd, std::chrono::milliseconds timeout);
    ~LoopbackPeer();
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    bool connected() const { return connected_; }
    // The port the other side of the connection uses.
    int remotePort() const;

    // False when not all bytes could be sent.
    bool Send(const std::string& bytes);
    // What came up to and including `terminator`; empty when it did not come in time.
    std::string ReadUntil(const std::string& terminator);
    // The next `count` bytes; empty when they did not all come in time.
    std::string ReadBytes(std::size_t count);
    // True when the other side closed the connection in time.
    bool ClosedByPeer();

private:
    LoopbackPeer(int fd, std::chrono::milliseconds timeout, bool connected);
    // False at the end of the stream or when nothing came before the deadline.
    bool ReadSome(std::chrono::steady_clock::time_point deadline);

    int fd_;
    std::chrono::milliseconds timeout_;
    bool connected_ = false;
    bool eof_ = false;
    std::string buffer_;
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
