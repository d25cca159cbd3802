#pragma once
// nbEasySMS on the bus: plain text to phone numbers, start and stop, and plain events.
#include <memory>

#include "automationobject.h"
#include "clientsinks.h"
#include "easysms.h"

namespace nimbra {

class EasySMSObject : public AutomationObject, public EasySmsEventSink {
    Q_OBJECT
public:
    EasySMSObject(std::shared_ptr<TnbEasySMS> easy, const QDBusConnection& connection,
                  QString owner, QString path);
    ~EasySMSObject() override;

public slots:
    void startServer();
    void stopServer();
    QDBusVariant sendMessage(const QDBusVariant& phonenum, const QDBusVariant& messagetext);

public:
    void MessageReceived(const std::string& senderPhoneNum,
                         const std::string& messagetext) override;
    void Error(int errorCode, const std::string& errorMessage, int errorparam) override;
    void ServerStarted() override;
    void ServerStopped() override;
    void MessageSent(const std::string& messageId) override;

protected:
    bool Dispatch(int dispid, const QVariantList& args, Outcome& outcome) override;
    void SinkChanged(bool advised) override;
    void Released() override;

private:
    std::shared_ptr<TnbEasySMS> easy_;
};

}  // namespace nimbra
