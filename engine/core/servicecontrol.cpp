#include "servicecontrol.h"

#include "engine.h"

namespace nimbra {

void TnbServiceControl::SetSink(ServiceControlEventSink* sink) {
    sink_.Set(sink);
}

void TnbServiceControl::Release() {
    sink_.Release();
}

void TnbServiceControl::startServer() {
    // One more than the objects of this kind the engine holds, this one among them.
    name = "ServiceMonitorcom " + std::to_string(engine_.CountClients<TnbServiceControl>() + 1);
    if (engine_.StartAvailable())
        engine_.StartbtnClick(true);
    else if (sink_)
        sink_->Error(5, kAlreadyRunningText, 0);
}

void TnbServiceControl::stopServer() {
    if (engine_.StopAvailable())
        engine_.StopbtnClick();
    else if (sink_)
        sink_->Error(6, kNotRunningText, 0);
}

void TnbServiceControl::showMonitor() {
    engine_.PostMessage(WindowMessage::ShowMonitor);
}

void TnbServiceControl::ServerStarted() {
    if (sink_)
        sink_->Started();
}

void TnbServiceControl::ServerStopped() {
    if (sink_)
        sink_->Stopped();
}

void TnbServiceControl::SendAttemptFailed(const std::string& messageId, int code) {
    if (sink_)
        sink_->Error(code, kRetryErrorText, MessageIdNumber(messageId));
}

}  // namespace nimbra
