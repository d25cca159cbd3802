#include "rootobject.h"

#include <unistd.h>

#include "AdminAdaptor.h"
#include "ServerAdaptor.h"

namespace nimbra {

TransmitRootObject::TransmitRootObject(QObject* parent) : QObject(parent), adminUid_(::geteuid()) {
    new ServerAdaptor(this);
    new AdminAdaptor(this);
}

QDBusObjectPath TransmitRootObject::CreateObject(const QString& className) {
    QString error = QStringLiteral("The engine is starting; try again");
    const QString caller = calledFromDBus() ? message().service() : QString();
    const QString path = create_ ? create_(className, caller, error) : QString();
    if (path.isEmpty()) {
        if (calledFromDBus())
            sendErrorReply(QStringLiteral("org.nimbra.Transmit.Error.Failed"), error);
        return QDBusObjectPath(QStringLiteral("/"));
    }
    return QDBusObjectPath(path);
}

void TransmitRootObject::Activate() {
    if (activate_)
        activate_();
}

}  // namespace nimbra
