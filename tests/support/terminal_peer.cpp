#include "terminal_peer.h"

#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace nimbra::testing_support {
namespace {

constexpr int kWriteWaitMs = 1000;

}  // namespace

TerminalPeer::TerminalPeer(const std::string& path, std::chrono::milliseconds timeout)
    : StreamPeer(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC), timeout) {
    termios settings{};
    if (fd_ >= 0 && ::tcgetattr(fd_, &settings) == 0) {
        ::cfmakeraw(&settings);
        ::tcsetattr(fd_, TCSANOW, &settings);
    }
}

bool TerminalPeer::SetSpeed(int baud) {
    termios settings{};
    // glibc takes the speed in baud as well as its B constant.
    return fd_ >= 0 && ::tcgetattr(fd_, &settings) == 0 &&
           ::cfsetspeed(&settings, static_cast<speed_t>(baud)) == 0 &&
           ::tcsetattr(fd_, TCSANOW, &settings) == 0;
}

bool TerminalPeer::Send(const std::string& bytes) {
    std::size_t written = 0;
    while (fd_ >= 0 && written < bytes.size()) {
        const ssize_t put = ::write(fd_, bytes.data() + written, bytes.size() - written);
        if (put < 0 && errno == EAGAIN) {  // the terminal's buffer is full for a moment
            pollfd wait{fd_, POLLOUT, 0};
            if (::poll(&wait, 1, kWriteWaitMs) <= 0)
                return false;
            continue;
        }
        if (put <= 0)
            return false;
        written += static_cast<std::size_t>(put);
    }
    return written == bytes.size();
}

}  // namespace nimbra::testing_support
