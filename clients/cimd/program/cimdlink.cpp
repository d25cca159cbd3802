#include "cimdlink.h"

#include "qansi.h"
#include "tcptransport.h"
#include "unStrings.h"

namespace nimbra::cimd {

namespace {

using driver::ParsePort;

constexpr int kConnectTimeoutMs = 15000;
constexpr int kDefaultPort = 5000;
const char kSourcePortInUse[] =
    "Source port is already in use or destination host is not a valid IP address.";

}  // namespace

TUcpClientThread::TUcpClientThread(TCIMDclient& client, driver::FrameServices& services,
                                   ConnectPlan plan, std::atomic<bool>& linkLost)
    : client_(client), services_(services), plan_(std::move(plan)), linkLost_(linkLost) {}

void TUcpClientThread::run() {
    driver::TcpTransport link;
    if (plan_.bound) {
        quint16 sourcePort = 0;
        bool connected = false;
        if (ParsePort(plan_.sourcePort, sourcePort, true)) {
            connected = link.BindAndConnect(plan_.sourceAddress, sourcePort, plan_.host, plan_.port,
                                            kConnectTimeoutMs, client_.stop);
            if (!connected && !client_.stop) {
                services_.PostShowMessage(kSourcePortInUse);
            }
        }
        if (!connected) {
            services_.Log("1", "Cannot connect to CIMD server " + plan_.hostField + " on port " +
                                   plan_.portField);
            return;
        }
    } else if (!link.Connect(plan_.host, plan_.port, kConnectTimeoutMs, client_.stop)) {
        services_.PostLinkStatus(link.error().toStdString());
        if (!client_.stop) {
            services_.PostArmRetry();
        }
        return;
    }
    services_.PostLinkConnected();
    bool loggedIn = client_.Login(link);
    if (loggedIn) {
        client_.ThreadLoop(link);
    }
    if (client_.logoutRequested) {
        client_.Logout(link);
    }
    // A link that went down by itself (peer, keepalive, socket error) is rebuilt; one ended
    // by Stop or by a refused login is not.
    linkLost_ = loggedIn && !client_.stop;
    link.Close();
    services_.PostLinkDisconnected();
}

CimdLink::CimdLink(driver::FrameServices& services)
    : services_(services), client_(services.Fields(), services, clock_) {}

CimdLink::~CimdLink() {
    Shutdown();
}

ConnectPlan ReadConnectPlan(driver::LinkFields& fields) {
    ConnectPlan plan;
    static_cast<driver::ConnectTarget&>(plan) = driver::ReadConnectTarget(fields, kDefaultPort);
    std::string sourcePort = TrimBlanks(fields.Get(fields::kSourcePort));
    fields.Set(fields::kSourcePort, sourcePort);
    if (!sourcePort.empty() && sourcePort != "0") {
        plan.bound = true;
        plan.sourcePort = sourcePort;
        if (TrimBlanks(fields.Get(fields::kSourceIp)).empty()) {
            fields.Set(fields::kSourceIp, "127.0.0.1");
        }
        plan.sourceAddress = QFromAnsi(TrimBlanks(fields.Get(fields::kSourceIp)));
    }
    return plan;
}

void CimdLink::Start() {
    if (!thread_.ReadyToStart())
        return;
    client_.ResetReceiveBuffer();
    ConnectPlan plan = ReadConnectPlan(services_.Fields());
    std::string where =
        "Connecting to CIMD server " + plan.hostField + " on port " + std::to_string(plan.port);
    services_.Log("1", plan.bound ? where + " with source port " + plan.sourcePort : where);
    client_.stop = false;
    client_.logoutRequested = false;
    client_.SetHomeFolder(services_.EngineFolder());
    linkLost_ = false;
    thread_.Run(std::make_unique<TUcpClientThread>(client_, services_, std::move(plan), linkLost_));
}

void CimdLink::Stop() {
    client_.stop = true;
    thread_.CancelRestart();
    services_.StopRetryTimer();
}

void CimdLink::EngineDisconnect() {
    if (thread_.Running()) {
        client_.logoutRequested = true;
    }
    Stop();
}

void CimdLink::LinkLost() {
    services_.Log("1", "Disconnected from server");
    if (linkLost_ && services_.EngineConnected()) {
        services_.StartRetryTimer();
    }
}

void CimdLink::RetryTimer() {
    Stop();
    Start();
}

void CimdLink::Submit(const TGsmSms& record) {
    client_.Submit(record.sender, record.receiver, record.text, record.messageId);
}

void CimdLink::Shutdown() {
    thread_.Shutdown();
}

}  // namespace nimbra::cimd
