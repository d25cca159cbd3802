#include "smsphoneobject.h"

#include "automationvalues.h"

namespace nimbra {
namespace {

constexpr char kEvents[] = "org.nimbra.Transmit.InbSMSPhoneEvents";

}  // namespace

SMSPhoneObject::SMSPhoneObject(std::shared_ptr<TnbSMSPhone> phone,
                               const QDBusConnection& connection, QString owner, QString path)
    : AutomationObject(connection, std::move(owner), std::move(path), QString::fromLatin1(kEvents)),
      phone_(std::move(phone)) {}

SMSPhoneObject::~SMSPhoneObject() {
    phone_->Release();
}

void SMSPhoneObject::SinkChanged(bool advised) {
    phone_->SetSink(advised ? this : nullptr);
}

void SMSPhoneObject::Released() {
    phone_->Release();
}

bool SMSPhoneObject::Dispatch(int dispid, const QVariantList& args, Outcome& outcome) {
    TnbSMSPhone& phone = *phone_;
    const auto text = [&args](int index, const char* name) {
        return TextArgument(args.at(index), name);
    };
    // Operations without arguments, then those with one text, then the rest.
    switch (dispid) {
        case 3:
        case 10:
        case 11:
        case 14:
        case 15:
            ExpectArguments(args, 0, dispid);
            break;
        case 7:
        case 12:
        case 13:
        case 16:
            ExpectArguments(args, 2, dispid);
            break;
        case 1:
        case 2:
        case 4:
        case 5:
        case 6:
        case 8:
        case 9:
        case 17:
            ExpectArguments(args, 1, dispid);
            break;
        default:
            return false;
    }
    switch (dispid) {
        case 1:
            phone.smsReceived(text(0, "sms"));
            break;
        case 2:
            outcome.result = phone.login(text(0, "name"));
            break;
        case 3:
            phone.logout();
            break;
        case 4:
            phone.registerMenuItem(text(0, "name"));
            break;
        case 5:
            phone.unRegisterMenuItem(text(0, "name"));
            break;
        case 6:
            phone.statusInfo(text(0, "info"));
            break;
        case 7:
            phone.log(text(0, "context"), text(1, "msg"));
            break;
        case 8:
            phone.disableMenuItem(text(0, "name"));
            break;
        case 9:
            phone.enableMenuItem(text(0, "name"));
            break;
        case 10: {
            LaterAnswer later = AnswerLater();
            phone.lock(std::move(later.answer), std::move(later.refuse));
        } break;
        case 11:
            phone.unlock();
            break;
        case 12:
            phone.sendSuccess(text(0, "msgId"), text(1, "senderPhone"));
            break;
        case 13:
            phone.sendFailed(text(0, "msgId"), text(1, "reason"));
            break;
        case 14:
            phone.connectionSuccess();
            break;
        case 15:
            phone.connectionFailed();
            break;
        case 16:
            outcome.result = phone.sendInfo(text(0, "name"), text(1, "value"));
            outcome.resultIsPath = text(0, "name") == "system" && text(1, "value") == "exedir";
            break;
        case 17:
            phone.deviceInfo(text(0, "info"));
            break;
    }
    return true;
}

void SMSPhoneObject::smsReceived(const QString& sms) {
    Call(1, {sms});
}

QDBusVariant SMSPhoneObject::login(const QString& name) {
    return Call(2, {name}).Result();
}

void SMSPhoneObject::logout() {
    Call(3);
}

void SMSPhoneObject::registerMenuItem(const QString& name) {
    Call(4, {name});
}

void SMSPhoneObject::unRegisterMenuItem(const QString& name) {
    Call(5, {name});
}

void SMSPhoneObject::statusInfo(const QString& info) {
    Call(6, {info});
}

void SMSPhoneObject::log(const QString& context, const QString& msg) {
    Call(7, {context, msg});
}

void SMSPhoneObject::disableMenuItem(const QString& name) {
    Call(8, {name});
}

void SMSPhoneObject::enableMenuItem(const QString& name) {
    Call(9, {name});
}

void SMSPhoneObject::lock() {
    Call(10);
}

void SMSPhoneObject::unlock() {
    Call(11);
}

void SMSPhoneObject::sendSuccess(const QString& msgId, const QString& senderPhone) {
    Call(12, {msgId, senderPhone});
}

void SMSPhoneObject::sendFailed(const QString& msgId, const QString& reason) {
    Call(13, {msgId, reason});
}

void SMSPhoneObject::connectionSuccess() {
    Call(14);
}

void SMSPhoneObject::connectionFailed() {
    Call(15);
}

QDBusVariant SMSPhoneObject::sendInfo(const QString& name, const QString& value) {
    return Call(16, {name, value}).Result();
}

void SMSPhoneObject::deviceInfo(const QString& info) {
    Call(17, {info});
}

void SMSPhoneObject::Connect() {
    Emit("Connect");
}

void SMSPhoneObject::Disconnect() {
    Emit("Disconnect");
}

void SMSPhoneObject::Transmit(const std::string& record) {
    Emit("Transmit", {ToBusText(record)});
}

void SMSPhoneObject::ServerShutdown() {
    Emit("ServerShutdown");
}

void SMSPhoneObject::MenuItemClick(const std::string& caption) {
    Emit("MenuItemClick", {ToBusText(caption)});
}

void SMSPhoneObject::Info(const std::string& text) {
    Emit("info", {ToBusText(text)});
}

void SMSPhoneObject::UnInstall() {
    Emit("unInstall");
}

}  // namespace nimbra
