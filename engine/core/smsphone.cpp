#include "smsphone.h"

#include "codepage.h"
#include "engine.h"
#include "sendpacing.h"
#include "unGSMSMS.h"

namespace nimbra {

TnbSMSPhone::TnbSMSPhone(Engine& engine, int tag) : menuTag(tag), engine_(engine) {}

std::string TnbSMSPhone::tr(const std::string& text) const {
    return engine_.Translate(text);
}

std::string TnbSMSPhone::login(const std::string& name) {
    return engine_.Devices().Login(shared_from_this(), name);
}

void TnbSMSPhone::smsReceived(const std::string& sms) {
    TGsmSms record(engine_.Now());
    record.FromText(sms);
    if (record.type == kTypeDeliveryReport) {
        // A report is never stored; its text is kept in the receive log only.
        engine_.Log("receive", "[" + realName + "] " + record.ToText());
        engine_.matchReport(record);
        return;
    }
    if (record.text.empty())
        return;
    const std::string who = "[" + realName + "] ";
    engine_.Log("screen", who + tr("SMS_RECEIVED") + " " + record.Summary());
    engine_.Log("receive", who + tr("SMS_RECEIVED") + " " + record.ToText());
    engine_.SetStatus("status3", who + "SMS Received " + record.Summary());
    engine_.ReceiveMessage(record);
}

void TnbSMSPhone::registerMenuItem(const std::string& name) {
    engine_.Menu().Register(name, menuTag);
}

void TnbSMSPhone::unRegisterMenuItem(const std::string& name) {
    engine_.Menu().Unregister(name, menuTag);
}

void TnbSMSPhone::disableMenuItem(const std::string& name) {
    engine_.Menu().SetEnabled(name, menuTag, false);
}

void TnbSMSPhone::enableMenuItem(const std::string& name) {
    engine_.Menu().SetEnabled(name, menuTag, true);
}

void TnbSMSPhone::lock(std::function<void()> granted, std::function<void()> dropped) {
    engine_.Lock().Request(this, std::move(granted), std::move(dropped));
}

void TnbSMSPhone::Release() {
    sink_ = nullptr;
    engine_.Lock().Forget({this});
    GiveBackHeld();
}

void TnbSMSPhone::unlock() {
    engine_.Lock().Unlock();
}

void TnbSMSPhone::statusInfo(const std::string& info) {
    if (info == "ping") {
        if (connState == kConnected)
            lastHeard = LocalEpochSeconds(engine_.Now());
        return;
    }
    engine_.SetStatus("status3", "[" + realName + "] " + info);
}

void TnbSMSPhone::log(const std::string& context, const std::string& msg) {
    engine_.SetStatus(context, msg);
}

AutoValue TnbSMSPhone::sendInfo(const std::string& name, const std::string& value) {
    // Settings the driver tells leave the answer unset.
    if (name == "operator") {
        operatorName = value;
        return {};
    }
    if (name == "cansend") {
        canSend = value == "1";
        return {};
    }
    if (name == "window") {
        // A window that is not one keeps the one the device had.
        if (const std::optional<int> window = ParseWindow(value)) {
            window_ = *window;
            sendState = sendState == kSending && HeldCount() < window_ ? kIdle : sendState;
        } else {
            engine_.Log("error", "[" + realName + "] Not a window (1 to " +
                                     std::to_string(kMostWindow) + "): " + value);
        }
        return {};
    }
    if (name == "system" && value == "exedir")
        return engine_.ProgramDirectory();
    if (name == "system" && value == "language")
        return engine_.LanguageName();
    return std::string();
}

// A device with a window takes messages until it holds that many; the designed device goes
// by its send state alone.
bool TnbSMSPhone::CanTake(const std::string& messageOperator) const {
    return IsLive() && sendState == kIdle && canSend && (window_ == 1 || HeldCount() < window_) &&
           (messageOperator.empty() || messageOperator == operatorName);
}

void TnbSMSPhone::RaiseConnect() {
    if (!sink_)
        return;
    sendState = kConnecting;
    sink_->Connect();
}

void TnbSMSPhone::RaiseDisconnect() {
    if (!sink_)
        return;
    sendState = kNotConnected;
    connState = kNotConnected;
    sink_->Disconnect();
    RedrawPicture();
}

void TnbSMSPhone::RaiseTransmit(const TSms& message, const std::string& record,
                                const std::string& operatorBefore) {
    if (!sink_)
        return;
    // Held before the event: a driver may answer inside it.
    held_.push_back({message.listId, message.messageId, operatorBefore});
    sendState = HeldCount() >= window_ ? kSending : kIdle;
    sink_->Transmit(record);
}

void TnbSMSPhone::RaiseServerShutdown() {
    if (sink_)
        sink_->ServerShutdown();
}

void TnbSMSPhone::RaiseMenuItemClick(const std::string& caption) {
    if (sink_)
        sink_->MenuItemClick(caption);
}

void TnbSMSPhone::RaiseInfo(const std::string& text) {
    if (sink_)
        sink_->Info(text);
}

void TnbSMSPhone::RaiseUnInstall() {
    if (sink_)
        sink_->UnInstall();
}

void TnbSMSPhone::CheckHeartbeat(long long now) {
    if (!IsLive())
        return;
    if (now - lastHeard > kHeartbeatSeconds) {
        connState = kNotConnected;
        RedrawPicture();
    }
}

void TnbSMSPhone::RedrawPicture() {
    DevicePanel::Entry* entry = engine_.Panel().Find(realName);
    if (!entry)
        return;
    const bool relay =
        realName.find("ucp") != std::string::npos || realName.find("smpp") != std::string::npos;
    const std::string kind = relay ? "UCP" : "DEV";
    std::string picture;
    if (connState != kConnected && connState != kConnecting) {
        picture = kind + "OFFLINE";
        if (entry->status == tr("Connection: ok"))
            entry->status = tr("Connection: down");
    } else {
        picture = kind + "ONLINE";
    }
    entry->picture = picture;
    engine_.Panel().Changed();
}

}  // namespace nimbra
