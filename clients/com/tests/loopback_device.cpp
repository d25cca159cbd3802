#include "loopback_device.h"

#include <QObject>

#include "transmiterror.h"
#include "unGSMSMS.h"

namespace nimbra::testing_support {

LoopbackDevice::LoopbackDevice(const com::TransmitEngine& engine) : phone_(engine) {
    exeDir_ = phone_.sendInfo(QStringLiteral("system"), QStringLiteral("exedir")).toString();
    phone_.lock();
    realName_ = phone_.login(QStringLiteral("loopback")).toString();
    phone_.unlock();

    QObject::connect(&phone_, &com::TnbSMSPhoneProxy::Connect, [this] { OnConnect(); });
    QObject::connect(&phone_, &com::TnbSMSPhoneProxy::Transmit,
                     [this](const QString& sms) { OnTransmit(sms); });
    QObject::connect(&ping_, &QTimer::timeout, [this] {
        try {
            phone_.statusInfo(QStringLiteral("ping"));
        } catch (const com::TransmitError& e) {
            failures_ << e.text();
        }
    });
    ping_.start(1000);
}

// Events are slots of the event loop: a refused call is noted, not thrown through it.
void LoopbackDevice::OnConnect() {
    try {
        phone_.sendInfo(QStringLiteral("operator"), QStringLiteral("loop"));
        phone_.connectionSuccess();
    } catch (const com::TransmitError& e) {
        failures_ << e.text();
    }
}

void LoopbackDevice::OnTransmit(const QString& sms) {
    TGsmSms record;
    record.FromText(sms.toStdString());
    const QString messageId = QString::fromStdString(record.messageId);
    transmitted_ << messageId;
    try {
        phone_.sendSuccess(messageId, QString::fromLatin1(kSenderReport));
    } catch (const com::TransmitError& e) {
        failures_ << e.text();
    }
}

}  // namespace nimbra::testing_support
