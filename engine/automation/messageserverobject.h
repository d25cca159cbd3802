#pragma once
// nbMessageServer on the bus: the call interface of a client program's object and the
// events the engine raises on it.
#include <memory>

#include "automationobject.h"
#include "clientsinks.h"
#include "messageserver.h"

namespace nimbra {

class MessageServerObject : public AutomationObject, public MessageServerEventSink {
    Q_OBJECT
public:
    MessageServerObject(std::shared_ptr<TnbMessageServer> server, const QDBusConnection& connection,
                        QString owner, QString path);
    ~MessageServerObject() override;

public slots:
    QDBusVariant stopServer();
    QDBusVariant startServer();
    QDBusVariant sendMessage(const QDBusVariant& msg, QDBusVariant& messageId);
    QDBusVariant deleteMessage(const QDBusVariant& messageId);
    QDBusVariant reSendMessage(const QDBusVariant& messageId);
    QDBusVariant getSystemInfo(const QDBusVariant& request, const QDBusVariant& target,
                               QDBusVariant& status);
    QDBusVariant getMessage(const QDBusVariant& messageId, QDBusVariant& status);
    QDBusVariant login(const QString& clientName);
    void logout();
    QDBusVariant setMessage(const QDBusVariant& messageId, const QDBusVariant& msg);
    void registerMenuItem(const QDBusVariant& name);
    void unRegisterMenuItem(const QDBusVariant& name);
    void statusInfo(const QString& info);
    void log(const QString& context, const QString& msg);
    void enableMenuItem(const QString& name);
    void disableMenuItem(const QString& name);
    void lock();
    void unlock();

public:
    // Events.
    void ServerStarted() override;
    void ServerStopped() override;
    void MessageSent(const std::string& messageId) override;
    void MessageDelivered(const std::string& messageId) override;
    void MessageReceived(const std::string& record) override;
    void MessageDeleted(const std::string& messageId) override;
    void Error(int errorCode, const std::string& errorMessage, const std::string& errorData,
               const std::string& errorLevel) override;
    void Info(const std::string& content) override;
    void ServerShutdown() override;
    void MessageAcceptedForDelivery(const std::string& source, const std::string& messageId,
                                    const std::string& record) override;
    void MenuItemClick(const std::string& name) override;

protected:
    bool Dispatch(int dispid, const QVariantList& args, Outcome& outcome) override;
    void SinkChanged(bool advised) override;
    void Released() override;

private:
    std::shared_ptr<TnbMessageServer> server_;
};

}  // namespace nimbra
