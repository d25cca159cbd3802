#pragma once
// The service monitor's object: starts and stops the server, brings up the engine's window,
// and hears when the server starts, stops or a send attempt fails.
#include <string>

#include "advisedsink.h"
#include "clientsinks.h"
#include "engineclient.h"

namespace nimbra {

class Engine;

class TnbServiceControl : public EngineClient {
public:
    explicit TnbServiceControl(Engine& engine) : engine_(engine) {}
    TnbServiceControl(const TnbServiceControl&) = delete;
    TnbServiceControl& operator=(const TnbServiceControl&) = delete;

    void SetSink(ServiceControlEventSink* sink);
    void Release();
    bool IsLive() const override { return sink_ && !name.empty(); }
    bool IsGone() const override { return sink_.Gone(); }

    void startServer();
    void stopServer();
    void showMonitor();

    void ServerStarted() override;
    void ServerStopped() override;
    void MessageSent(const std::string&) override {}
    void MessageReceived(const std::string&) override {}
    void MessageDeleted(const std::string&) override {}
    void SendAttemptFailed(const std::string& messageId, int code) override;
    void MessageDelivered(const std::string&) override {}
    void ServerShutdown() override {}

    std::string name;

private:
    Engine& engine_;
    AdvisedSink<ServiceControlEventSink> sink_;
};

}  // namespace nimbra
