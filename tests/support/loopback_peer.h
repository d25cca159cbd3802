#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace nimbra::testing_support {

// A TCP connection to a port on the loopback address that reads up to a terminator.
class LoopbackPeer {
public:
    explicit LoopbackPeer(int port, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    ~LoopbackPeer();
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    bool connected() const { return connected_; }

    // False when not all bytes could be sent.
    bool Send(const std::string& bytes);
    // What came up to and including `terminator`; empty when it did not come in time.
    std::string ReadUntil(const std::string& terminator);
    // The next `count` bytes; empty when they did not all come in time.
    std::string ReadBytes(std::size_t count);
    // True when the other side closed the connection in time.
    bool ClosedByPeer();

private:
    // False at the end of the stream or when nothing came before the deadline.
    bool ReadSome(std::chrono::steady_clock::time_point deadline);

    int fd_;
    std::chrono::milliseconds timeout_;
    bool connected_ = false;
    bool eof_ = false;
    std::string buffer_;
};

}  // namespace nimbra::testing_support
