#pragma once
// nbSMSPhone on the bus: the object through which a device driver joins the engine, and the
// events the engine raises on the driver.
#include <memory>

#include "automationobject.h"
#include "devicesink.h"
#include "smsphone.h"

namespace nimbra {

class SMSPhoneObject : public AutomationObject, public DeviceEventSink {
    Q_OBJECT
public:
    SMSPhoneObject(std::shared_ptr<TnbSMSPhone> phone, const QDBusConnection& connection,
                   QString owner, QString path);
    ~SMSPhoneObject() override;

public slots:
    void smsReceived(const QString& sms);
    QDBusVariant login(const QString& name);
    void logout();
    void registerMenuItem(const QString& name);
    void unRegisterMenuItem(const QString& name);
    void statusInfo(const QString& info);
    void log(const QString& context, const QString& msg);
    void disableMenuItem(const QString& name);
    void enableMenuItem(const QString& name);
    void lock();
    void unlock();
    void sendSuccess(const QString& msgId, const QString& senderPhone);
    void sendFailed(const QString& msgId, const QString& reason);
    void connectionSuccess();
    void connectionFailed();
    QDBusVariant sendInfo(const QString& name, const QString& value);
    void deviceInfo(const QString& info);

public:
    void Connect() override;
    void Disconnect() override;
    void Transmit(const std::string& record) override;
    void ServerShutdown() override;
    void MenuItemClick(const std::string& caption) override;
    void Info(const std::string& text) override;
    void UnInstall() override;

protected:
    bool Dispatch(int dispid, const QVariantList& args, Outcome& outcome) override;
    void SinkChanged(bool advised) override;
    void Released() override;

private:
    std::shared_ptr<TnbSMSPhone> phone_;
};

}  // namespace nimbra
