#pragma once
// Puts the modem on its port: what the driver writes goes to the modem, what the modem has
// due goes to the driver (at its time, on a timer), and both directions go to the log, byte
// for byte, with the modem's notes. Each opening of the port by the driver is one numbered
// session in the log.

#include <QObject>

class QTimer;

namespace simkit {
class PacketLog;
}

namespace modemsim {

class Modem;
class PtyPort;
class SystemClock;

class ModemHost : public QObject {
    Q_OBJECT
public:
    ModemHost(Modem& modem, PtyPort& port, const SystemClock& clock, simkit::PacketLog& log,
              QObject* parent = nullptr);

    // Sends what is due and logs the notes; called after anything that may have moved the
    // modem.
    void Flush();
    int session() const { return session_; }
    // Non-zero: what arrives while the driver's end is set to another speed is not heard (a
    // modem fixed at one line speed hears only noise at the others).
    void SetLineSpeed(int baud) { lineSpeed_ = baud; }

private:
    void Received(const QByteArray& bytes);
    void Opened();
    void Closed();

    Modem& modem_;
    PtyPort& port_;
    const SystemClock& clock_;
    simkit::PacketLog& log_;
    QTimer* timer_;
    int session_ = 0;
    int lineSpeed_ = 0;
};

}  // namespace modemsim
