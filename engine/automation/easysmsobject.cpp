#include "easysmsobject.h"

#include "automationvalues.h"

namespace nimbra {
namespace {

constexpr char kEvents[] = "org.nimbra.Transmit.InbEasySMSEvents";

}  // namespace

EasySMSObject::EasySMSObject(std::shared_ptr<TnbEasySMS> easy, const QDBusConnection& connection,
                             QString owner, QString path)
    : AutomationObject(connection, std::move(owner), std::move(path), QString::fromLatin1(kEvents)),
      easy_(std::move(easy)) {}

EasySMSObject::~EasySMSObject() {
    easy_->Release();
}

void EasySMSObject::SinkChanged(bool advised) {
    easy_->SetSink(advised ? this : nullptr);
}

void EasySMSObject::Released() {
    easy_->Release();
}

bool EasySMSObject::Dispatch(int dispid, const QVariantList& args, Outcome& outcome) {
    switch (dispid) {
        case 1:
            ExpectArguments(args, 0, dispid);
            easy_->startServer();
            return true;
        case 2:
            ExpectArguments(args, 0, dispid);
            easy_->stopServer();
            return true;
        case 3:
            ExpectArguments(args, 2, dispid);
            outcome.result = easy_->sendMessage(TextArgument(args.at(0), "phonenum"),
                                                MessageTextArgument(args.at(1), "messagetext"));
            return true;
        default:
            return false;
    }
}

void EasySMSObject::startServer() {
    Call(1);
}

void EasySMSObject::stopServer() {
    Call(2);
}

QDBusVariant EasySMSObject::sendMessage(const QDBusVariant& phonenum,
                                        const QDBusVariant& messagetext) {
    return Call(3, {QVariant::fromValue(phonenum), QVariant::fromValue(messagetext)}).Result();
}

void EasySMSObject::MessageReceived(const std::string& senderPhoneNum,
                                    const std::string& messagetext) {
    Emit("MessageReceived", {ToBusVariantText(senderPhoneNum), ToBusVariantText(messagetext)});
}

void EasySMSObject::Error(int errorCode, const std::string& errorMessage, int errorparam) {
    Emit("Error", {errorCode, ToBusVariantText(errorMessage), errorparam});
}

void EasySMSObject::ServerStarted() {
    Emit("ServerStarted");
}

void EasySMSObject::ServerStopped() {
    Emit("ServerStopped");
}

void EasySMSObject::MessageSent(const std::string& messageId) {
    Emit("MessageSent", {ToBusVariantText(messageId)});
}

}  // namespace nimbra
