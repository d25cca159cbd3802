#include "smpplink.h"

#include "qansi.h"
#include "tcptransport.h"
#include "unStrings.h"

namespace nimbra::smpp {

namespace {

using driver::ParsePort;

constexpr int kConnectTimeoutMs = 15000;
constexpr int kDefaultPort = 5000;
const char kDisconnected[] = "Disconnected from smpp server";

}  // namespace

TsmppClientThread::TsmppClientThread(Tsmppclient& client, driver::FrameServices& services,
                                     ConnectPlan plan, std::atomic<bool>& bound)
    : client_(client), services_(services), plan_(std::move(plan)), bound_(bound) {}

void TsmppClientThread::run() {
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
        bound_ = true;
        client_.ThreadLoop(link);
        bound_ = false;
        services_.PostThreadEnded(client_.reconnect);
    }
    link.Close();
    services_.PostLinkDisconnected();
}

SmppLink::SmppLink(driver::FrameServices& services)
    : services_(services), client_(services.Fields(), services, clock_) {}

SmppLink::~SmppLink() {
    Shutdown();
}

ConnectPlan SmppLink::Plan() {
    driver::LinkFields& fields = services_.Fields();
    ConnectPlan plan;
    plan.hostField = fields.Get(fields::kHost);
    plan.host = QFromAnsi(plan.hostField);
    if (!ParsePort(fields.Get(fields::kPort), plan.port)) {
        plan.port = kDefaultPort;
        fields.Set(fields::kPort, std::to_string(kDefaultPort));
    }
    plan.portField = fields.Get(fields::kPort);
    return plan;
}

void SmppLink::Start() {
    if (thread_) {
        // One protocol thread at a time: the new link starts when the old one has ended.
        client_.stop = true;
        startWhenEnded_ = true;
        failWhenEnded_ = false;
        return;
    }
    ConnectPlan plan = Plan();
    services_.Log("1", "Connecting to smpp server " + plan.hostField + " on port " +
                           std::to_string(plan.port));
    client_.stop = false;
    thread_ = std::make_unique<TsmppClientThread>(client_, services_, std::move(plan), bound_);
    QObject::connect(
        thread_.get(), &QThread::finished, thread_.get(), [this] { ThreadEnded(); },
        Qt::QueuedConnection);
    thread_->start();
}

void SmppLink::ThreadEnded() {
    if (!thread_ || thread_->isRunning()) {
        return;
    }
    thread_->wait();
    thread_.reset();
    if (failWhenEnded_) {
        // Stopped before its loop took the message over (while connecting or binding).
        failWhenEnded_ = false;
        if (client_.busy) {
            client_.FailInFlight();
        }
    }
    if (startWhenEnded_) {
        startWhenEnded_ = false;
        Start();
    }
}

// The retry timer runs on: a link lost later re-arms it, and the engine's Disconnect stops
// it.
void SmppLink::Stop() {
    client_.stop = true;
    startWhenEnded_ = false;
    services_.Log("1", kDisconnected);
    if (thread_) {
        // The loop reports what is in flight when it ends.
        failWhenEnded_ = true;
    } else if (client_.busy) {
        client_.FailInFlight();
    }
}

void SmppLink::EngineConnect() {
    client_.reconnect = false;
}

void SmppLink::EngineDisconnect() {
    Stop();
    client_.reconnect = false;
    services_.StopRetryTimer();
}

void SmppLink::EngineShutdown() {
    client_.reconnect = false;
}

void SmppLink::LinkLost() {
    services_.PostDeviceInfo(kDisconnected);
    if (client_.reconnect && services_.EngineConnected()) {
        services_.StartRetryTimer();
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
}

void SmppLink::Shutdown() {
    client_.stop = true;
    startWhenEnded_ = false;
    failWhenEnded_ = false;
    if (thread_) {
        thread_->wait();
        thread_.reset();
    }
}

}  // namespace nimbra::smpp
