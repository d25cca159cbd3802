#pragma once
// nbServiceControl, for a service wrapper or a monitor: server start and stop, and bringing
// up the engine's window. The object is named by its first startServer; until then only the
// errors of its own calls reach it.

#include <memory>

#include <QString>
#include <QVariant>

#include "objectproxy.h"

class OrgNimbraTransmitInbServiceControlInterface;

namespace nimbra::com {

class TnbServiceControlProxy : public TnbObjectProxy {
    Q_OBJECT
public:
    // Creates the object in engine and advises its sink. Throws TransmitError.
    explicit TnbServiceControlProxy(const TransmitEngine& engine, QObject* parent = nullptr);
    ~TnbServiceControlProxy() override;

    void startServer();
    void stopServer();
    void showMonitor();

signals:
    void Started();
    void Stopped();
    void Error(int errorCode, const QVariant& errorMessage, int errorparam);

private:
    OrgNimbraTransmitInbServiceControlInterface& Calls();

    std::unique_ptr<OrgNimbraTransmitInbServiceControlInterface> calls_;
};

}  // namespace nimbra::com
