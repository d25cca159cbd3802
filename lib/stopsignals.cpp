#include "stopsignals.h"

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace nimbra {
namespace {

// SIGHUP: the terminal that started the engine was closed.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

int g_pipe[2] = {-1, -1};

void WriteStopByte(int signalNumber) {
    const int savedErrno = errno;
    const char byte = static_cast<char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

void SetHandlers(void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : kStopSignals)
        ::sigaction(signalNumber, &action, nullptr);
}

}  // namespace

StopSignals::StopSignals(std::function<void()> onStop, QObject* parent)
    : QObject(parent), onStop_(std::move(onStop)) {
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_pipe[0] = g_pipe[1] = -1;
        return;
    }
    notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &StopSignals::OnReadable);
    SetHandlers(WriteStopByte);
}

StopSignals::~StopSignals() {
    if (!notifier_)
        return;
    SetHandlers(SIG_DFL);
    delete notifier_;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void StopSignals::OnReadable() {
    char bytes[16];
    bool stop = false;
    while (::read(g_pipe[0], bytes, sizeof bytes) > 0)
        stop = true;
    if (!stop)
        return;
    SetHandlers(SIG_DFL);
    if (onStop_)
        onStop_();
}

}  // namespace nimbra
