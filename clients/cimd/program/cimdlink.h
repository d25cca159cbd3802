#pragma once
// The cimd driver's link to its message centre: Start connects (plainly, or bound to a
// source address and port) and logs in on the protocol thread, which then runs the
// protocol client's loop; Stop ends it; the engine's Disconnect logs out first. A link lost
// while the engine wants it connected is rebuilt by the frame's retry timer three seconds
// later, as is a plain connect that failed; a refused login waits for the next start.

#include <atomic>
#include <memory>

#include <QString>
#include <QThread>

#include "driverlink.h"
#include "protocolthread.h"
#include "realclock.h"
#include "tcptransport.h"
#include "unCimd.h"

namespace nimbra::cimd {

// Where and how the protocol thread connects.
struct ConnectPlan : driver::ConnectTarget {
    bool bound = false;
    QString sourceAddress;
    std::string sourcePort;  // as the field reads; checked on the thread
};
// The plan from the fields: a source port other than blank or "0" binds the connect to it, on
// the source address (127.0.0.1 when blank). The source port is written back without its
// blanks, a blank source address as 127.0.0.1.
ConnectPlan ReadConnectPlan(driver::LinkFields& fields);

// TUcpClientThread: connects, logs in and runs the client's loop; the link is closed when
// it ends.
class TUcpClientThread : public QThread {
    Q_OBJECT
public:
    // linkLost tells, once the link is down, whether it was lost rather than ended by Stop
    // or a refused login.
    TUcpClientThread(TCIMDclient& client, driver::FrameServices& services, ConnectPlan plan,
                     std::atomic<bool>& linkLost);

protected:
    void run() override;

private:
    TCIMDclient& client_;
    driver::FrameServices& services_;
    ConnectPlan plan_;
    std::atomic<bool>& linkLost_;
};

class CimdLink final : public driver::DriverLink {
public:
    explicit CimdLink(driver::FrameServices& services);
    ~CimdLink() override;

    void Start() override;
    void Stop() override;
    void EngineDisconnect() override;
    void LinkLost() override;
    void RetryTimer() override;

    int Window() const override { return client_.Window(); }
    bool Busy() const override { return client_.busy; }
    void SetBusy(bool busy) override { client_.busy = busy; }
    void Submit(const TGsmSms& record) override;

    void Shutdown() override;

    // Whether a protocol thread runs (until the window thread has seen it end).
    bool ProtocolThreadRunning() const { return thread_.Running(); }

private:
    driver::FrameServices& services_;
    driver::RealClock clock_;
    TCIMDclient client_;
    driver::ProtocolThreadOwner thread_{client_.stop, [this] { Start(); }};
    std::atomic<bool> linkLost_{false};
    bool startWhenEnded_ = false;
};

}  // namespace nimbra::cimd
