#pragma once
// nbServiceControl on the bus: start, stop and show the engine for a service monitor.
#include <memory>

#include "automationobject.h"
#include "clientsinks.h"
#include "servicecontrol.h"

namespace nimbra {

class ServiceControlObject : public AutomationObject, public ServiceControlEventSink {
    Q_OBJECT
public:
    ServiceControlObject(std::shared_ptr<TnbServiceControl> control,
                         const QDBusConnection& connection, QString owner, QString path);
    ~ServiceControlObject() override;

public slots:
    void startServer();
    void stopServer();
    void showMonitor();

public:
    void Started() override;
    void Stopped() override;
    void Error(int errorCode, const std::string& errorMessage, int errorparam) override;

protected:
    bool Dispatch(int dispid, const QVariantList& args, Outcome& outcome) override;
    void SinkChanged(bool advised) override;
    void Released() override;

private:
    std::shared_ptr<TnbServiceControl> control_;
};

}  // namespace nimbra
