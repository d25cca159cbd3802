#include "pseudo_terminal.h"

#include <cerrno>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace nimbra::testing_support {

PseudoTerminal::PseudoTerminal() {
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&master_, &slave_, name, &raw, nullptr) != 0)
        throw std::runtime_error("no pseudo-terminal");
    path_ = name;
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
}

PseudoTerminal::~PseudoTerminal() {
    ReleaseSlave();
    CloseMaster();
}

void PseudoTerminal::ReleaseSlave() {
    if (slave_ >= 0)
        close(slave_);
    slave_ = -1;
}

void PseudoTerminal::CloseMaster() {
    if (master_ >= 0)
        close(master_);
    master_ = -1;
}

bool PseudoTerminal::Write(const std::string& bytes) {
    std::size_t done = 0;
    while (master_ >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return master_ >= 0;
}

std::string PseudoTerminal::Read(std::chrono::milliseconds timeout) {
    std::string out;
    int wait = static_cast<int>(timeout.count());
    while (master_ >= 0) {
        pollfd fd{master_, POLLIN, 0};
        if (poll(&fd, 1, wait) <= 0 || !(fd.revents & POLLIN))
            break;
        char buffer[4096];
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0)
            break;
        out.append(buffer, static_cast<std::size_t>(n));
        wait = 20;
    }
    return out;
}

}  // namespace nimbra::testing_support
