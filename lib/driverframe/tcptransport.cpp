#include "tcptransport.h"

#include "frameconfig.h"
#include "qansi.h"
#include "unStrings.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpSocket>

namespace nimbra::driver {

bool ParsePort(const std::string& text, quint16& port, bool allowZero) {
    int value = 0;
    if (!ParseInt32(text, value) || value < (allowZero ? 0 : 1) || value > 65535)
        return false;
    port = static_cast<quint16>(value);
    return true;
}

ConnectTarget ReadConnectTarget(LinkFields& fields, quint16 fallbackPort) {
    ConnectTarget target;
    target.hostField = fields.Get(kFieldHost);
    target.host = QFromAnsi(target.hostField);
    if (!ParsePort(fields.Get(kFieldPort), target.port)) {
        target.port = fallbackPort;
        fields.Set(kFieldPort, std::to_string(fallbackPort));
    }
    target.portField = fields.Get(kFieldPort);
    return target;
}

namespace {
constexpr int kConnectPollMs = 50;
constexpr int kWriteTimeoutMs = 10000;
}  // namespace

TcpTransport::TcpTransport() : socket_(std::make_unique<QTcpSocket>()) {}

TcpTransport::~TcpTransport() {
    Close();
}

bool TcpTransport::Connect(const QString& host, quint16 port, int timeoutMs,
                           const std::atomic<bool>& stop) {
    socket_->connectToHost(host, port);
    return WaitConnected(timeoutMs, stop);
}

bool TcpTransport::BindAndConnect(const QString& localAddress, quint16 localPort,
                                  const QString& host, quint16 port, int timeoutMs,
                                  const std::atomic<bool>& stop) {
    QHostAddress local;
    if (!local.setAddress(localAddress)) {
        error_ = QStringLiteral("not an IP address: %1").arg(localAddress);
        return false;
    }
    if (!socket_->bind(local, localPort)) {
        error_ = socket_->errorString();
        return false;
    }
    socket_->connectToHost(host, port);
    return WaitConnected(timeoutMs, stop);
}

bool TcpTransport::WaitConnected(int timeoutMs, const std::atomic<bool>& stop) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!socket_->waitForConnected(kConnectPollMs)) {
        bool stillTrying = socket_->state() == QAbstractSocket::HostLookupState ||
                           socket_->state() == QAbstractSocket::ConnectingState;
        if (!stillTrying || stop || elapsed.elapsed() >= timeoutMs) {
            error_ = stillTrying ? QStringLiteral("Connection timed out") : socket_->errorString();
            socket_->abort();
            return false;
        }
    }
    return true;
}

bool TcpTransport::Read(std::string& into, int waitMs) {
    if (!IsUp()) {
        return false;
    }
    if (socket_->bytesAvailable() == 0) {
        socket_->waitForReadyRead(waitMs);
    }
    QByteArray bytes = socket_->readAll();
    into.append(bytes.constData(), static_cast<size_t>(bytes.size()));
    if (socket_->state() != QAbstractSocket::ConnectedState) {
        // The peer closed the link or it failed; what came before is kept.
        Close();
        return bytes.size() > 0;
    }
    return true;
}

bool TcpTransport::Write(std::string_view bytes) {
    if (!IsUp()) {
        return false;
    }
    qint64 written = socket_->write(bytes.data(), static_cast<qint64>(bytes.size()));
    if (written != static_cast<qint64>(bytes.size())) {
        Close();
        return false;
    }
    while (socket_->bytesToWrite() > 0) {
        if (!socket_->waitForBytesWritten(kWriteTimeoutMs)) {
            Close();
            return false;
        }
    }
    return true;
}

bool TcpTransport::IsUp() const {
    return socket_->state() == QAbstractSocket::ConnectedState;
}

void TcpTransport::Close() {
    if (socket_->state() != QAbstractSocket::UnconnectedState) {
        socket_->abort();
    }
}

}  // namespace nimbra::driver
