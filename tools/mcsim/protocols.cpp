#include "protocols.h"

#include "cimdsession.h"

namespace mcsim {

SessionFactory SessionsOf(const QString& protocol) {
    if (protocol == QLatin1String("cimd")) {
        return [](QTcpSocket* socket, int number, SessionContext& context) -> Session* {
            return new CimdSession(socket, number, context);
        };
    }
    return {};
}

}  // namespace mcsim
