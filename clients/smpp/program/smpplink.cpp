#include "smpplink.h"

#include "tcptransport.h"

namespace nimbra::smpp {

namespace {

constexpr int kConnectTimeoutMs = 15000;
constexpr int kDefaultPort = 5000;
const char kDisconnected[] = "Disconnected from smpp server";

}  // namespace

TsmppClientThread::TsmppClientThread(Tsmppclient& client, driver::FrameServices& services,
                                     ConnectPlan plan, std::atomic<bool>& bound,
                                     std::atomic<int>& bindFailures)
    : client_(client),
      services_(services),
      plan_(std::move(plan)),
      bound_(bound),
      bindFailures_(bindFailures) {}

void TsmppClientThread::run() {
    Connect();
    // A message handed over while the link was connecting or binding, or after it ended,
    // goes back to the engine rather than wait for a link that may never come.
    client_.FailInFlight();
}

void TsmppClientThread::Connect() {
    driver::TcpTransport link;
    if (!link.Connect(plan_.host, plan_.port, kConnectTimeoutMs, client_.stop)) {
        if (!client_.stop) {
            services_.PostLinkStatus(link.error().toStdString());
            services_.Log("1", "Cannot connect to smpp server " + plan_.hostField + " on port " +
                                   plan_.portField);
            // A message centre that is down is tried again while the engine wants the link
            // (the frame arms the retry only then), and a bind that fails on one of these
            // later attempts is retried as well.
            client_.reconnect = true;
            services_.PostArmRetry();
        }
        return;
    }
    services_.PostLinkConnected();
    client_.ResetReceiveBuffer();
    if (client_.Login(link)) {
        bindFailures_ = 0;
        bound_ = true;
        client_.ThreadLoop(link);
        bound_ = false;
        services_.PostThreadEnded(client_.reconnect);
    } else if (!client_.stop) {
        services_.Log("1", kDisconnected);
        // The frame arms the retry when it hears the link went down.
        client_.reconnect = client_.retryBind.load();
        if (client_.reconnect) {
            services_.Log(
                "1", "Next bind in " + std::to_string(BindRetrySeconds(++bindFailures_)) + " s");
        }
    }
    link.Close();
    services_.PostLinkDisconnected();
}

SmppLink::SmppLink(driver::FrameServices& services)
    : services_(services), client_(services.Fields(), services, clock_) {}

SmppLink::~SmppLink() {
    Shutdown();
}

void SmppLink::Start() {
    if (!thread_.ReadyToStart())
        return;
    ConnectPlan plan = driver::ReadConnectTarget(services_.Fields(), kDefaultPort);
    services_.Log("1", "Connecting to smpp server " + plan.hostField + " on port " +
                           std::to_string(plan.port));
    client_.stop = false;
    client_.SetHomeFolder(services_.EngineFolder());
    thread_.Run(std::make_unique<TsmppClientThread>(client_, services_, std::move(plan), bound_,
                                                    bindFailures_));
}

void SmppLink::ThreadEnded() {
    if (!client_.reconnect) {
        // A message handed over after the thread had taken stock has no link to wait for.
        client_.FailInFlight();
    }
}

// The retry timer runs on: a link lost later re-arms it, and the engine's Disconnect stops
// it.
void SmppLink::Stop() {
    client_.stop = true;
    thread_.CancelRestart();
    services_.Log("1", kDisconnected);
    // With a protocol thread, it reports what is in flight when it ends.
    if (!thread_.Running()) {
        client_.FailInFlight();
    }
}

void SmppLink::EngineConnect() {
    client_.reconnect = false;
    bindFailures_ = 0;
}

// Only a link that is there is stopped; a message waiting for one keeps waiting for the
// next Connect.
void SmppLink::EngineDisconnect() {
    if (thread_.Running()) {
        Stop();
    }
    client_.reconnect = false;
    services_.StopRetryTimer();
}

void SmppLink::EngineShutdown() {
    client_.reconnect = false;
}

void SmppLink::LinkLost() {
    services_.PostDeviceInfo(kDisconnected);
    if (client_.reconnect && services_.EngineConnected()) {
        const int failures = bindFailures_;
        services_.StartRetryTimer(failures > 0 ? BindRetrySeconds(failures) * 1000 : 0);
    }
}

void SmppLink::RetryTimer() {
    // A bound link has no use for a retry that was armed before it came up.
    if (bound_) {
        return;
    }
    services_.Log("1", "## Trying to reconnect");
    Start();
}

void SmppLink::Submit(const TGsmSms& record) {
    client_.Submit(record);
    // No link and none coming (a refused bind waits for the next start): the message goes
    // back to the engine at once instead of blocking the driver.
    if (!thread_.Running() && !client_.reconnect) {
        services_.Log("1", "Not connected to the smpp server");
        client_.FailInFlight();
    }
}

void SmppLink::Shutdown() {
    client_.abandon = true;
    thread_.Shutdown();
}

}  // namespace nimbra::smpp
