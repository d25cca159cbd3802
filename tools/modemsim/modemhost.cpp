#include "modemhost.h"

#include <algorithm>

#include <QTimer>

#include "codepage.h"
#include "modem.h"
#include "packetlog.h"
#include "ptyport.h"
#include "systemclock.h"
#include "visible.h"

namespace modemsim {
namespace {

QString Readable(const QByteArray& bytes) {
    return QString::fromLatin1(Escaped(std::string_view(bytes.constData(), bytes.size())));
}

}  // namespace

ModemHost::ModemHost(Modem& modem, PtyPort& port, const SystemClock& clock, simkit::PacketLog& log,
                     QObject* parent)
    : QObject(parent),
      modem_(modem),
      port_(port),
      clock_(clock),
      log_(log),
      timer_(new QTimer(this)) {
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &ModemHost::Flush);
    connect(&port_, &PtyPort::received, this, &ModemHost::Received);
    connect(&port_, &PtyPort::peerOpened, this, &ModemHost::Opened);
    connect(&port_, &PtyPort::peerClosed, this, &ModemHost::Closed);
}

void ModemHost::Received(const QByteArray& bytes) {
    log_.Packet(session_, simkit::PacketLog::Direction::Received, Readable(bytes));
    if (lineSpeed_ != 0) {
        const int speed = port_.LineSpeed();
        if (speed != lineSpeed_) {
            log_.Note(session_, QStringLiteral("not heard at %1 baud (the modem listens at %2)")
                                    .arg(speed)
                                    .arg(lineSpeed_));
            return;
        }
    }
    modem_.Receive(std::string_view(bytes.constData(), bytes.size()));
    Flush();
}

void ModemHost::Opened() {
    ++session_;
    log_.Note(session_, QStringLiteral("port opened"));
    modem_.PortOpened();
    Flush();
}

void ModemHost::Closed() {
    log_.Note(session_, QStringLiteral("port closed"));
    modem_.PortClosed();
    Flush();
}

void ModemHost::Flush() {
    const std::string out = modem_.TakeOutput();
    if (!out.empty()) {
        const QByteArray bytes(out.data(), static_cast<qsizetype>(out.size()));
        if (port_.Write(bytes))
            log_.Packet(session_, simkit::PacketLog::Direction::Sent, Readable(bytes));
        else
            log_.Note(session_,
                      QStringLiteral("not sent, the port is not open: ") + Readable(bytes));
    }
    for (const std::string& note : modem_.TakeNotes())
        log_.Note(session_, QString::fromStdString(nimbra::AnsiToUtf8(note)));
    const std::optional<long long> next = modem_.NextDueMs();
    if (next)
        timer_->start(static_cast<int>(std::clamp(*next - clock_.NowMs(), 0LL, 1LL << 30)));
    else
        timer_->stop();
}

}  // namespace modemsim
