#pragma once
// The engine's side of one client program (a plugin such as the message wall, a script):
// it names the client, puts its messages into the Outbox, reads, changes, deletes and resends
// stored messages, answers system queries, starts and stops the server, hangs the client's
// commands into the Plugins menu and raises the engine's events on the client's sink.
#include <functional>
#include <memory>
#include <string>

#include "advisedsink.h"
#include "automationvalue.h"
#include "clientsinks.h"
#include "engineclient.h"

namespace nimbra {

class Engine;

class TnbMessageServer : public EngineClient,
                         public std::enable_shared_from_this<TnbMessageServer> {
public:
    TnbMessageServer(Engine& engine, int menuTag);
    TnbMessageServer(const TnbMessageServer&) = delete;
    TnbMessageServer& operator=(const TnbMessageServer&) = delete;

    // The client advised its sink (null: withdrew it, for good).
    void SetSink(MessageServerEventSink* sink);
    // The client let go of the object.
    void Release();
    bool IsLive() const override { return sink_ && !realName.empty(); }
    bool IsGone() const override { return sink_.Gone(); }

    // Operations, in binding order. Failures throw std::exception with the text for the
    // client; effects made before stay.
    AutoValue stopServer();
    AutoValue startServer();
    // msg: a message record, replaced by the record of the stored message. Gives its id.
    std::string sendMessage(std::string& msg);
    AutoValue deleteMessage(const std::string& messageId);
    // The status is never set.
    AutoValue reSendMessage(const std::string& messageId);
    AutoValue getSystemInfo(const std::string& request, const std::string& target,
                            AutoValue& response);
    AutoValue getMessage(const std::string& messageId, AutoValue& msg);
    std::string login(const std::string& clientName);
    void logout();
    AutoValue setMessage(const std::string& messageId, const std::string& msg);
    void registerMenuItem(const std::string& name);
    void unRegisterMenuItem(const std::string& name);
    void statusInfo(const std::string& info);
    void log(const std::string& context, const std::string& msg);
    void enableMenuItem(const std::string& name);
    void disableMenuItem(const std::string& name);
    // granted runs once this client holds the engine's client lock, dropped when the client
    // is dropped first.
    void lock(std::function<void()> granted, std::function<void()> dropped = {});
    void unlock();

    // Engine happenings.
    void ServerStarted() override;
    void ServerStopped() override;
    void MessageSent(const std::string& messageId) override;
    void MessageReceived(const std::string& messageId) override;
    void MessageDeleted(const std::string& messageId) override;
    void SendAttemptFailed(const std::string& messageId, int code) override;
    void MessageDelivered(const std::string& messageId) override;
    void ServerShutdown() override;
    void Info(const std::string& content) override;
    // Raised by another client's (or this one's) sendMessage.
    void RaiseAcceptedForDelivery(const std::string& source, const std::string& messageId,
                                  const std::string& record);
    void RaiseMenuItemClick(const std::string& caption);

    std::string clientName;
    std::string realName;
    const int menuTag;
    bool separatorAdded = false;
    std::string firstCommand;

private:
    // getSystemInfo("masssend"): every line of the file becomes an Outbox message with a new
    // id; throws std::runtime_error when the file cannot be read.
    void MassSend(const std::string& path);

    Engine& engine_;
    AdvisedSink<MessageServerEventSink> sink_;
};

}  // namespace nimbra
