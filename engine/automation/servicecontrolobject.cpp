#include "servicecontrolobject.h"

#include "automationvalues.h"

namespace nimbra {
namespace {

constexpr char kEvents[] = "org.nimbra.Transmit.InbServiceControlEvents";

}  // namespace

ServiceControlObject::ServiceControlObject(std::shared_ptr<TnbServiceControl> control,
                                           const QDBusConnection& connection, QString owner,
                                           QString path)
    : AutomationObject(connection, std::move(owner), std::move(path), QString::fromLatin1(kEvents)),
      control_(std::move(control)) {}

ServiceControlObject::~ServiceControlObject() {
    control_->Release();
}

void ServiceControlObject::SinkChanged(bool advised) {
    control_->SetSink(advised ? this : nullptr);
}

void ServiceControlObject::Released() {
    control_->Release();
}

bool ServiceControlObject::Dispatch(int dispid, const QVariantList& args, Outcome&) {
    if (dispid < 1 || dispid > 3)
        return false;
    ExpectArguments(args, 0, dispid);
    if (dispid == 1)
        control_->startServer();
    else if (dispid == 2)
        control_->stopServer();
    else
        control_->showMonitor();
    return true;
}

void ServiceControlObject::startServer() {
    Call(1);
}

void ServiceControlObject::stopServer() {
    Call(2);
}

void ServiceControlObject::showMonitor() {
    Call(3);
}

void ServiceControlObject::Started() {
    Emit("Started");
}

void ServiceControlObject::Stopped() {
    Emit("Stopped");
}

void ServiceControlObject::Error(int errorCode, const std::string& errorMessage, int errorparam) {
    Emit("Error", {errorCode, ToBusVariantText(errorMessage), errorparam});
}

}  // namespace nimbra
