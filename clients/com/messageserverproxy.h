#pragma once
// nbMessageServer, the object of client programs and plugins: sending, reading, changing,
// deleting and resending stored messages, system queries, server start and stop, commands in
// the engine's Plugins menu, status lines; and the engine's events about messages and the
// server. A client calls login at once: the engine sends events only to a named client.

#include <memory>

#include <QString>
#include <QVariant>

#include "objectproxy.h"

class OrgNimbraTransmitInbMessageServerInterface;

namespace nimbra::com {

class TnbMessageServerProxy : public TnbObjectProxy {
    Q_OBJECT
public:
    // Creates the object in engine and advises its sink. Throws TransmitError.
    explicit TnbMessageServerProxy(const TransmitEngine& engine, QObject* parent = nullptr);
    ~TnbMessageServerProxy() override;

    // Statuses are 1 (done) or 0 (not done), invalid when the engine set none.
    QVariant stopServer();
    QVariant startServer();
    // msg: a message record, replaced by the record of the stored message. Gives its id.
    QVariant sendMessage(QVariant& msg);
    QVariant deleteMessage(const QVariant& messageId);
    QVariant reSendMessage(const QVariant& messageId);
    QVariant getSystemInfo(const QVariant& request, const QVariant& target, QVariant& response);
    QVariant getMessage(const QVariant& messageId, QVariant& msg);
    // Gives the name the engine shows for this client.
    QVariant login(const QString& clientName);
    void logout();
    QVariant setMessage(const QVariant& messageId, const QVariant& msg);
    void registerMenuItem(const QVariant& name);
    void unRegisterMenuItem(const QVariant& name);
    void statusInfo(const QString& info);
    void log(const QString& context, const QString& msg);
    void enableMenuItem(const QString& name);
    void disableMenuItem(const QString& name);
    // Returns once this client holds the engine's client lock, however long that takes.
    void lock();
    void unlock();

signals:
    void ServerStarted();
    void ServerStopped();
    void MessageSent(const QVariant& messageId);
    void MessageDelivered(const QVariant& messageId);
    void MessageReceived(const QVariant& msg);
    void MessageDeleted(const QVariant& messageId);
    void Error(int errorCode, const QString& errorMessage, const QVariant& errorData,
               const QString& errorLevel);
    void info(const QString& content);
    void ServerShutdown();
    void MessageAcceptedForDelivery(const QString& source, const QVariant& messageId,
                                    const QVariant& msg);
    void MenuItemClick(const QVariant& name);

private:
    OrgNimbraTransmitInbMessageServerInterface& Calls();

    std::unique_ptr<OrgNimbraTransmitInbMessageServerInterface> calls_;
};

}  // namespace nimbra::com
