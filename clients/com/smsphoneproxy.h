#pragma once
// nbSMSPhone, the object of device drivers: a driver logs in under the device lock, tells
// the engine its state, answers Connect with connectionSuccess or connectionFailed, and
// each Transmit with sendSuccess or sendFailed; it hands over what it receives with
// smsReceived and shows signs of life with statusInfo("ping") or deviceInfo.

#include <memory>

#include <QDBusPendingCall>
#include <QString>
#include <QVariant>

#include "objectproxy.h"

class OrgNimbraTransmitInbSMSPhoneInterface;

namespace nimbra::com {

class TnbSMSPhoneProxy : public TnbObjectProxy {
    Q_OBJECT
public:
    // Creates the object in engine and advises its sink. Throws TransmitError.
    explicit TnbSMSPhoneProxy(const TransmitEngine& engine, QObject* parent = nullptr);
    ~TnbSMSPhoneProxy() override;

    void smsReceived(const QString& sms);
    // Gives the device's display name.
    QVariant login(const QString& name);
    void logout();
    void registerMenuItem(const QString& name);
    void unRegisterMenuItem(const QString& name);
    void statusInfo(const QString& info);
    void log(const QString& context, const QString& msg);
    void disableMenuItem(const QString& name);
    void enableMenuItem(const QString& name);
    // Returns once this device holds the engine's device lock, however long that takes.
    void lock();
    void unlock();
    void sendSuccess(const QString& msgId, const QString& senderPhone);
    void sendFailed(const QString& msgId, const QString& reason);
    // The same calls, started without waiting for the engine's answer: a driver with several
    // messages in flight reports the next while the engine files the one before. The calls
    // reach the engine in the order they were started.
    QDBusPendingCall sendSuccessLater(const QString& msgId, const QString& senderPhone);
    QDBusPendingCall sendFailedLater(const QString& msgId, const QString& reason);
    void connectionSuccess();
    void connectionFailed();
    QVariant sendInfo(const QString& name, const QString& value);
    void deviceInfo(const QString& info);

signals:
    void Connect();
    void Disconnect();
    void Transmit(const QString& sms);
    void ServerShutdown();
    void MenuItemClick(const QString& name);
    void info(const QString& msg);
    void unInstall();

private:
    OrgNimbraTransmitInbSMSPhoneInterface& Calls();

    std::unique_ptr<OrgNimbraTransmitInbSMSPhoneInterface> calls_;
};

}  // namespace nimbra::com
