#pragma once
// The TCP link to a message centre as a byte transport. Created, connected, used and
// destroyed on the protocol thread alone; it waits on the socket itself and needs no event
// loop. Connecting gives up early when the stop flag is set.

#include <atomic>
#include <memory>
#include <string>

#include <QString>

#include "linkinterfaces.h"

class QTcpSocket;

namespace nimbra::driver {

// A port number from a settings field: 1 to 65535, or 0 as well where it means "any".
bool ParsePort(const std::string& text, quint16& port, bool allowZero = false);

// Where a link connects, from the host and port fields.
struct ConnectTarget {
    QString host;
    quint16 port = 0;
    std::string hostField;  // the fields as they read, for the log
    std::string portField;
};
// A port field that is no port number is set to fallbackPort, which is used.
ConnectTarget ReadConnectTarget(LinkFields& fields, quint16 fallbackPort);

class TcpTransport final : public ByteTransport {
public:
    TcpTransport();
    ~TcpTransport() override;

    // Connects to host and port, waiting at most timeoutMs. On failure, error() tells why.
    bool Connect(const QString& host, quint16 port, int timeoutMs, const std::atomic<bool>& stop);
    // Binds to the local address and port first, then connects.
    bool BindAndConnect(const QString& localAddress, quint16 localPort, const QString& host,
                        quint16 port, int timeoutMs, const std::atomic<bool>& stop);
    QString error() const { return error_; }

    bool Read(std::string& into, int waitMs) override;
    bool Write(std::string_view bytes) override;
    bool IsUp() const override;
    void Close() override;

private:
    bool WaitConnected(int timeoutMs, const std::atomic<bool>& stop);

    std::unique_ptr<QTcpSocket> socket_;
    QString error_;
};

}  // namespace nimbra::driver
