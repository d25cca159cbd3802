#pragma once
// The simple sending object: plain text to phone numbers, start and stop, and the engine's
// happenings in plain terms (sent, failed, delivered, received).
#include <string>

#include "advisedsink.h"
#include "clientsinks.h"
#include "engineclient.h"

namespace nimbra {

class Engine;

class TnbEasySMS : public EngineClient {
public:
    explicit TnbEasySMS(Engine& engine) : engine_(engine) {}
    TnbEasySMS(const TnbEasySMS&) = delete;
    TnbEasySMS& operator=(const TnbEasySMS&) = delete;

    void SetSink(EasySmsEventSink* sink);
    void Release();
    bool IsLive() const override { return sink_ && !name.empty(); }
    bool IsGone() const override { return sink_.Gone(); }

    // Names the object, then starts the server, or raises Error 5 when it cannot be started.
    void startServer();
    // Stops the server, or raises Error 6 when it does not run.
    void stopServer();
    // Queues text (in parts of 160 characters) to every valid number of phonenum (separated
    // by "," or ";"); raises Error 3 for each invalid entry and Error 4 when none is left.
    // Gives the id of the last message queued, "" when none.
    std::string sendMessage(const std::string& phonenum, const std::string& messagetext);

    void ServerStarted() override;
    void ServerStopped() override;
    void MessageSent(const std::string& messageId) override;
    void MessageReceived(const std::string& messageId) override;
    void MessageDeleted(const std::string& messageId) override;
    void SendAttemptFailed(const std::string& messageId, int code) override;
    void MessageDelivered(const std::string& messageId) override;
    void ServerShutdown() override {}

    std::string name;

private:
    void RaiseError(int code, const std::string& text, int param);

    Engine& engine_;
    AdvisedSink<EasySmsEventSink> sink_;
};

}  // namespace nimbra
