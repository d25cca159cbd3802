#pragma once
// A device driver written with the binding that sends every message at once, in the order of
// calls every driver follows: it asks for the engine's folder, logs in under the device lock,
// answers Connect with its operator and connectionSuccess, confirms each Transmit with
// sendSuccess, and pings once a second.

#include <QStringList>
#include <QTimer>

#include "smsphoneproxy.h"

namespace nimbra::testing_support {

class LoopbackDevice {
public:
    // The sender and network reference the device reports for every message.
    static constexpr char kSenderReport[] = "{+3612345},{ref1}";

    // Throws TransmitError when the engine refuses the log-in.
    explicit LoopbackDevice(const com::TransmitEngine& engine);

    const QString& exeDir() const { return exeDir_; }
    const QString& realName() const { return realName_; }
    // The messageIds of the messages it was given, in order.
    const QStringList& transmitted() const { return transmitted_; }
    // Calls the engine refused while the device answered its events.
    const QStringList& failures() const { return failures_; }

private:
    void OnConnect();
    void OnTransmit(const QString& sms);

    com::TnbSMSPhoneProxy phone_;
    QTimer ping_;
    QString exeDir_;
    QString realName_;
    QStringList transmitted_;
    QStringList failures_;
};

}  // namespace nimbra::testing_support
