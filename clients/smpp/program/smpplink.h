#pragma once
// The smpp driver's link to its message centre: Start connects and binds on the protocol
// thread, which then runs the protocol client's loop; Stop ends it. A link that failed while
// bound (keepalive, submit timeout, lost connection, an unbind from the centre) is rebuilt by
// the frame's retry timer 15 seconds later, as is a connect that failed while the engine
// wants the link. A failed bind is tried again after 15 s, 30 s, 60 s, ... at most 5 minutes,
// except one refused for its system id or password, which waits for the next start.

#include <atomic>
#include <memory>
#include <string>

#include <QString>
#include <QThread>

#include "driverlink.h"
#include "protocolthread.h"
#include "realclock.h"
#include "tcptransport.h"
#include "unSmpp.h"

namespace nimbra::smpp {

// Where the protocol thread connects.
using ConnectPlan = driver::ConnectTarget;

// TsmppClientThread: connects, binds and runs the client's loop; the link is closed when it
// ends.
class TsmppClientThread : public QThread {
    Q_OBJECT
public:
    // bound is set while the client's loop runs on a bound link.
    TsmppClientThread(Tsmppclient& client, driver::FrameServices& services, ConnectPlan plan,
                      std::atomic<bool>& bound, std::atomic<int>& bindFailures);

protected:
    void run() override;

private:
    void Connect();

    Tsmppclient& client_;
    driver::FrameServices& services_;
    ConnectPlan plan_;
    std::atomic<bool>& bound_;
    std::atomic<int>& bindFailures_;
};

class SmppLink final : public driver::DriverLink {
public:
    explicit SmppLink(driver::FrameServices& services);
    ~SmppLink() override;

    void Start() override;
    void Stop() override;
    void EngineConnect() override;
    void EngineDisconnect() override;
    void LinkLost() override;
    void RetryTimer() override;
    void EngineShutdown() override;

    int Window() const override { return client_.Window(); }
    bool Busy() const override { return client_.busy; }
    void SetBusy(bool busy) override { client_.busy = busy; }
    void Submit(const TGsmSms& record) override;

    void Shutdown() override;

    // Whether a protocol thread runs (until the window thread has seen it end).
    bool ProtocolThreadRunning() const { return thread_.Running(); }

private:
    // A protocol thread ended with no new start waiting.
    void ThreadEnded();

    driver::FrameServices& services_;
    driver::RealClock clock_;
    Tsmppclient client_;
    driver::ProtocolThreadOwner thread_{client_.stop, [this] { Start(); },
                                        [this] { ThreadEnded(); }};
    std::atomic<bool> bound_{false};
    // Binds that failed in a row since the engine's last Connect or the last bound link.
    std::atomic<int> bindFailures_{0};
};

}  // namespace nimbra::smpp
