#pragma once
// nbEasySMS, for scripts: plain text to phone numbers, server start and stop, and the
// engine's happenings in plain terms. The object is named by its first startServer; until
// then only the errors of its own calls reach it.

#include <memory>

#include <QString>
#include <QVariant>

#include "objectproxy.h"

class OrgNimbraTransmitInbEasySMSInterface;

namespace nimbra::com {

class TnbEasySMSProxy : public TnbObjectProxy {
    Q_OBJECT
public:
    // Creates the object in engine and advises its sink. Throws TransmitError.
    explicit TnbEasySMSProxy(const TransmitEngine& engine, QObject* parent = nullptr);
    ~TnbEasySMSProxy() override;

    void startServer();
    void stopServer();
    // phonenum: numbers separated by "," or ";". Gives the id of the last message queued,
    // invalid or empty when none was.
    QVariant sendMessage(const QVariant& phonenum, const QVariant& messagetext);

signals:
    void MessageReceived(const QVariant& senderPhoneNum, const QVariant& messagetext);
    void Error(int errorCode, const QVariant& errorMessage, int errorparam);
    void ServerStarted();
    void ServerStopped();
    void MessageSent(const QVariant& messageId);

private:
    OrgNimbraTransmitInbEasySMSInterface& Calls();

    std::unique_ptr<OrgNimbraTransmitInbEasySMSInterface> calls_;
};

}  // namespace nimbra::com
