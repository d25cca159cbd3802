#include "protocols.h"

#include <memory>

#include <QDateTime>

#include "cimdsession.h"
#include "smppsession.h"

namespace mcsim {

SessionFactory SessionsOf(const QString& protocol) {
    if (protocol == QLatin1String("cimd")) {
        return [](QTcpSocket* socket, int number, SessionContext& context) -> Session* {
            return new CimdSession(socket, number, context);
        };
    }
    if (protocol == QLatin1String("smpp")) {
        auto run = std::make_shared<SmppRun>(
            static_cast<std::uint64_t>(QDateTime::currentSecsSinceEpoch()));
        return [run](QTcpSocket* socket, int number, SessionContext& context) -> Session* {
            return new SmppSession(socket, number, context, run);
        };
    }
    return {};
}

}  // namespace mcsim
