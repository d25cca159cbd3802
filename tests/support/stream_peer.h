#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace nimbra::testing_support {

// The reading half of a test's end of a byte stream (a socket, a terminal): reads up to a
// terminator or a count, each within the peer's timeout. The derived peer opens the stream.
class StreamPeer {
public:
    ~StreamPeer();
    StreamPeer(const StreamPeer&) = delete;
    StreamPeer& operator=(const StreamPeer&) = delete;

    // What came up to and including `terminator`; empty when it did not come in time.
    std::string ReadUntil(const std::string& terminator);
    // The next `count` bytes; empty when they did not all come in time.
    std::string ReadBytes(std::size_t count);
    // True when the other side closed (or hung up) in time.
    bool ClosedByPeer();

protected:
    StreamPeer(int fd, std::chrono::milliseconds timeout) : fd_(fd), timeout_(timeout) {}

    int fd_;

private:
    // False at the end of the stream or when nothing came before the deadline.
    bool ReadSome(std::chrono::steady_clock::time_point deadline);

    std::chrono::milliseconds timeout_;
    bool eof_ = false;
    std::string buffer_;
};

}  // namespace nimbra::testing_support
