#include "ptyport.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

namespace modemsim {
namespace {

// How often the modem looks whether the driver has opened its end.
constexpr int kPeerWatchMs = 20;

QString SystemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

// True while nobody has the terminal device open.
bool HungUp(int master) {
    pollfd poller{master, POLLIN, 0};
    return ::poll(&poller, 1, 0) > 0 && (poller.revents & POLLHUP) != 0;
}

struct SpeedCode {
    speed_t code;
    int baud;
};

constexpr SpeedCode kSpeeds[] = {
    {B110, 110},       {B300, 300},       {B600, 600},       {B1200, 1200},     {B2400, 2400},
    {B4800, 4800},     {B9600, 9600},     {B19200, 19200},   {B38400, 38400},   {B57600, 57600},
    {B115200, 115200}, {B230400, 230400}, {B460800, 460800}, {B921600, 921600},
};

}  // namespace

int PtyPort::LineSpeed() const {
    termios settings{};
    if (master_ < 0 || ::tcgetattr(master_, &settings) != 0)
        return 0;
    const speed_t code = ::cfgetospeed(&settings);
    for (const SpeedCode& speed : kSpeeds) {
        if (speed.code == code)
            return speed.baud;
    }
    return 0;
}

PtyPort::PtyPort(QObject* parent) : QObject(parent), peerWatch_(new QTimer(this)) {
    peerWatch_->setInterval(kPeerWatchMs);
    connect(peerWatch_, &QTimer::timeout, this, &PtyPort::CheckPeer);
}

PtyPort::~PtyPort() {
    Close();
}

bool PtyPort::Open(const QString& linkPath, QString& error) {
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        error = SystemError("cannot make a pseudo-terminal");
        return false;
    }
    termios settings{};
    ::tcgetattr(slave, &settings);
    ::cfmakeraw(&settings);
    ::tcsetattr(slave, TCSANOW, &settings);
    ::close(slave);  // the terminal keeps its settings while the modem's end is open
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    const QString device = QString::fromLocal8Bit(name);
    if (!linkPath.isEmpty()) {
        const QFileInfo existing(linkPath);
        if (existing.exists() && !existing.isSymLink()) {
            ::close(master);
            error = QStringLiteral("%1 exists and is not a link").arg(linkPath);
            return false;
        }
        QFile::remove(linkPath);
        if (!QFile::link(device, linkPath)) {
            ::close(master);
            error = QStringLiteral("cannot link %1 to %2").arg(linkPath, device);
            return false;
        }
    }
    master_ = master;
    devicePath_ = device;
    linkPath_ = linkPath;
    readNotifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    writeNotifier_ = new QSocketNotifier(master_, QSocketNotifier::Write, this);
    writeNotifier_->setEnabled(false);
    connect(readNotifier_, &QSocketNotifier::activated, this, &PtyPort::ReadAvailable);
    connect(writeNotifier_, &QSocketNotifier::activated, this, &PtyPort::WriteAvailable);
    peerOpen_ = false;
    readNotifier_->setEnabled(false);
    peerWatch_->start();
    return true;
}

void PtyPort::Close() {
    if (master_ < 0)
        return;
    peerWatch_->stop();
    delete readNotifier_;
    delete writeNotifier_;
    readNotifier_ = nullptr;
    writeNotifier_ = nullptr;
    ::close(master_);
    master_ = -1;
    pending_.clear();
    if (!linkPath_.isEmpty() && QFileInfo(linkPath_).isSymLink())
        QFile::remove(linkPath_);
    SetPeerOpen(false);
}

void PtyPort::SetPeerOpen(bool open) {
    if (open == peerOpen_)
        return;
    peerOpen_ = open;
    if (readNotifier_)
        readNotifier_->setEnabled(open);
    if (open) {
        peerWatch_->stop();
        emit peerOpened();
    } else {
        pending_.clear();
        if (writeNotifier_)
            writeNotifier_->setEnabled(false);
        if (master_ >= 0)
            peerWatch_->start();
        emit peerClosed();
    }
}

void PtyPort::CheckPeer() {
    if (master_ >= 0 && !HungUp(master_))
        SetPeerOpen(true);
}

void PtyPort::ReadAvailable() {
    char buffer[4096];
    const ssize_t got = ::read(master_, buffer, sizeof buffer);
    if (got > 0) {
        emit received(QByteArray(buffer, static_cast<qsizetype>(got)));
        return;
    }
    if (got < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    SetPeerOpen(false);  // EIO: the driver closed its end
}

bool PtyPort::Write(const QByteArray& bytes) {
    if (master_ < 0 || !peerOpen_)
        return false;
    pending_ += bytes;
    WriteAvailable();
    return true;
}

void PtyPort::WriteAvailable() {
    while (!pending_.isEmpty()) {
        const ssize_t put =
            ::write(master_, pending_.constData(), static_cast<size_t>(pending_.size()));
        if (put > 0) {
            pending_.remove(0, put);
            continue;
        }
        if (put < 0 && (errno == EAGAIN || errno == EINTR))
            break;
        pending_.clear();  // the driver went away while it was written
    }
    writeNotifier_->setEnabled(!pending_.isEmpty());
}

}  // namespace modemsim
