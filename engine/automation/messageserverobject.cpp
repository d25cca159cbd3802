#include "messageserverobject.h"

#include "automationvalues.h"

namespace nimbra {
namespace {

constexpr char kEvents[] = "org.nimbra.Transmit.InbMessageServerEvents";

QVariant V(const QDBusVariant& value) {
    return QVariant::fromValue(value);
}

}  // namespace

MessageServerObject::MessageServerObject(std::shared_ptr<TnbMessageServer> server,
                                         const QDBusConnection& connection, QString owner,
                                         QString path)
    : AutomationObject(connection, std::move(owner), std::move(path), QString::fromLatin1(kEvents)),
      server_(std::move(server)) {}

MessageServerObject::~MessageServerObject() {
    server_->Release();
}

void MessageServerObject::SinkChanged(bool advised) {
    server_->SetSink(advised ? this : nullptr);
}

void MessageServerObject::Released() {
    server_->Release();
}

bool MessageServerObject::Dispatch(int dispid, const QVariantList& args, Outcome& outcome) {
    TnbMessageServer& server = *server_;
    const auto text = [&args](int index, const char* name) {
        return TextArgument(args.at(index), name);
    };
    switch (dispid) {
        case 1:
            ExpectArguments(args, 0, dispid);
            outcome.result = server.stopServer();
            return true;
        case 2:
            ExpectArguments(args, 0, dispid);
            outcome.result = server.startServer();
            return true;
        case 3: {
            ExpectArguments(args, 1, dispid);
            std::string msg = RecordArgument(args.at(0), "msg");
            outcome.result = server.sendMessage(msg);
            outcome.outs = {msg};
            return true;
        }
        case 4:
            ExpectArguments(args, 1, dispid);
            outcome.result = server.deleteMessage(text(0, "messageId"));
            return true;
        case 5:
            ExpectArguments(args, 1, dispid);
            outcome.result = server.reSendMessage(text(0, "messageId"));
            return true;
        case 6:
            ExpectArguments(args, 2, dispid);
            outcome.result =
                server.setMessage(text(0, "messageId"), RecordArgument(args.at(1), "msg"));
            return true;
        case 7: {
            ExpectArguments(args, 2, dispid);
            AutoValue response;
            const std::string target = text(1, "target");
            // A mass-send file is named by its path.
            const std::string request =
                target == "masssend" ? PathArgument(args.at(0), "request") : text(0, "request");
            outcome.result = server.getSystemInfo(request, target, response);
            outcome.outs = {response};
            outcome.outIsPath = target == "system" && request == "exedir";
            return true;
        }
        case 8:
            ExpectArguments(args, 1, dispid);
            server.registerMenuItem(text(0, "name"));
            return true;
        case 9: {
            ExpectArguments(args, 1, dispid);
            AutoValue msg;
            outcome.result = server.getMessage(text(0, "messageId"), msg);
            outcome.outs = {msg};
            return true;
        }
        case 10:
            ExpectArguments(args, 1, dispid);
            outcome.result = server.login(text(0, "clientName"));
            return true;
        case 11:
            ExpectArguments(args, 0, dispid);
            server.logout();
            return true;
        case 12:
            ExpectArguments(args, 1, dispid);
            server.unRegisterMenuItem(text(0, "name"));
            return true;
        case 13:
            ExpectArguments(args, 1, dispid);
            server.statusInfo(text(0, "info"));
            return true;
        case 14:
            ExpectArguments(args, 2, dispid);
            server.log(text(0, "context"), text(1, "msg"));
            return true;
        case 15:
            ExpectArguments(args, 1, dispid);
            server.enableMenuItem(text(0, "name"));
            return true;
        case 16:
            ExpectArguments(args, 1, dispid);
            server.disableMenuItem(text(0, "name"));
            return true;
        case 17: {
            ExpectArguments(args, 0, dispid);
            LaterAnswer later = AnswerLater();
            server.lock(std::move(later.answer), std::move(later.refuse));
            return true;
        }
        case 18:
            ExpectArguments(args, 0, dispid);
            server.unlock();
            return true;
        default:
            return false;
    }
}

QDBusVariant MessageServerObject::stopServer() {
    return Call(1).Result();
}

QDBusVariant MessageServerObject::startServer() {
    return Call(2).Result();
}

QDBusVariant MessageServerObject::sendMessage(const QDBusVariant& msg, QDBusVariant& messageId) {
    const Outcome outcome = Call(3, {V(msg)});
    messageId = outcome.Result();
    return outcome.Out(0);
}

QDBusVariant MessageServerObject::deleteMessage(const QDBusVariant& messageId) {
    return Call(4, {V(messageId)}).Result();
}

QDBusVariant MessageServerObject::reSendMessage(const QDBusVariant& messageId) {
    return Call(5, {V(messageId)}).Result();
}

QDBusVariant MessageServerObject::getSystemInfo(const QDBusVariant& request,
                                                const QDBusVariant& target, QDBusVariant& status) {
    const Outcome outcome = Call(7, {V(request), V(target)});
    status = outcome.Result();
    return outcome.Out(0);
}

QDBusVariant MessageServerObject::getMessage(const QDBusVariant& messageId, QDBusVariant& status) {
    const Outcome outcome = Call(9, {V(messageId)});
    status = outcome.Result();
    return outcome.Out(0);
}

QDBusVariant MessageServerObject::login(const QString& clientName) {
    return Call(10, {clientName}).Result();
}

void MessageServerObject::logout() {
    Call(11);
}

QDBusVariant MessageServerObject::setMessage(const QDBusVariant& messageId,
                                             const QDBusVariant& msg) {
    return Call(6, {V(messageId), V(msg)}).Result();
}

void MessageServerObject::registerMenuItem(const QDBusVariant& name) {
    Call(8, {V(name)});
}

void MessageServerObject::unRegisterMenuItem(const QDBusVariant& name) {
    Call(12, {V(name)});
}

void MessageServerObject::statusInfo(const QString& info) {
    Call(13, {info});
}

void MessageServerObject::log(const QString& context, const QString& msg) {
    Call(14, {context, msg});
}

void MessageServerObject::enableMenuItem(const QString& name) {
    Call(15, {name});
}

void MessageServerObject::disableMenuItem(const QString& name) {
    Call(16, {name});
}

void MessageServerObject::lock() {
    Call(17);
}

void MessageServerObject::unlock() {
    Call(18);
}

void MessageServerObject::ServerStarted() {
    Emit("ServerStarted");
}

void MessageServerObject::ServerStopped() {
    Emit("ServerStopped");
}

void MessageServerObject::MessageSent(const std::string& messageId) {
    Emit("MessageSent", {ToBusVariantText(messageId)});
}

void MessageServerObject::MessageDelivered(const std::string& messageId) {
    Emit("MessageDelivered", {ToBusVariantText(messageId)});
}

void MessageServerObject::MessageReceived(const std::string& record) {
    Emit("MessageReceived", {ToBusVariantText(record)});
}

void MessageServerObject::MessageDeleted(const std::string& messageId) {
    Emit("MessageDeleted", {ToBusVariantText(messageId)});
}

void MessageServerObject::Error(int errorCode, const std::string& errorMessage,
                                const std::string& errorData, const std::string& errorLevel) {
    Emit("Error",
         {errorCode, ToBusText(errorMessage), ToBusVariantText(errorData), ToBusText(errorLevel)});
}

void MessageServerObject::Info(const std::string& content) {
    Emit("info", {ToBusText(content)});
}

void MessageServerObject::ServerShutdown() {
    Emit("ServerShutdown");
}

void MessageServerObject::MessageAcceptedForDelivery(const std::string& source,
                                                     const std::string& messageId,
                                                     const std::string& record) {
    Emit("MessageAcceptedForDelivery",
         {ToBusText(source), ToBusVariantText(messageId), ToBusVariantText(record)});
}

void MessageServerObject::MenuItemClick(const std::string& name) {
    Emit("MenuItemClick", {ToBusVariantText(name)});
}

}  // namespace nimbra
