#include "stream_peer.h"

#include <cerrno>

#include <poll.h>
#include <unistd.h>

namespace nimbra::testing_support {

StreamPeer::~StreamPeer() {
    if (fd_ >= 0)
        ::close(fd_);
}

std::string StreamPeer::ReadUntil(const std::string& terminator) {
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

std::string StreamPeer::ReadBytes(std::size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + timeout_;
    while (buffer_.size() < count) {
        if (std::chrono::steady_clock::now() >= deadline || !ReadSome(deadline))
            return {};
    }
    std::string result = buffer_.substr(0, count);
    buffer_.erase(0, count);
    return result;
}

bool StreamPeer::ClosedByPeer() {
    const auto deadline = std::chrono::steady_clock::now() + timeout_;
    while (ReadSome(deadline)) {
    }
    return eof_;
}

bool StreamPeer::ReadSome(std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd wait{fd_, POLLIN, 0};
        if (fd_ < 0 || left.count() <= 0 || ::poll(&wait, 1, static_cast<int>(left.count())) <= 0)
            return false;
        char chunk[4096];
        const ssize_t got = ::read(fd_, chunk, sizeof chunk);
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (got <= 0) {  // end of stream; a terminal whose other end closed gives EIO
            eof_ = true;
            return false;
        }
        buffer_.append(chunk, static_cast<std::size_t>(got));
        return true;
    }
}

}  // namespace nimbra::testing_support
