// nbsms get, delete, resend, count and masssend: through an nbMessageServer object.

#include <QFileInfo>

#include "commands.h"
#include "messageserverproxy.h"
#include "output.h"

namespace nbsms {
namespace {

using nimbra::com::TnbMessageServerProxy;

bool Done(const QVariant& status) {
    return status.isValid() && status.toInt() == 1;
}

QString NoSuchMessage(const QString& messageId) {
    return QStringLiteral("no stored message has the id %1").arg(messageId);
}

}  // namespace

int Get(const nimbra::com::TransmitEngine& engine, const Request& request) {
    TnbMessageServerProxy server(engine);
    QVariant msg;
    const bool found = Done(server.getMessage(request.arguments[0], msg));
    server.Release();
    if (!found) {
        PrintProblem(NoSuchMessage(request.arguments[0]));
        return kExitFailed;
    }
    PrintLine(msg.toString());
    return kExitOk;
}

int Delete(const nimbra::com::TransmitEngine& engine, const Request& request) {
    TnbMessageServerProxy server(engine);
    const bool deleted = Done(server.deleteMessage(request.arguments[0]));
    server.Release();
    if (!deleted) {
        PrintProblem(QStringLiteral("message %1 was not deleted: no stored message has that id, "
                                    "or a device is sending it now")
                         .arg(request.arguments[0]));
        return kExitFailed;
    }
    PrintLine(QStringLiteral("deleted %1").arg(request.arguments[0]));
    return kExitOk;
}

int Resend(const nimbra::com::TransmitEngine& engine, const Request& request) {
    TnbMessageServerProxy server(engine);
    // The engine says nothing about the resend itself, so the message is looked up first.
    QVariant msg;
    if (!Done(server.getMessage(request.arguments[0], msg))) {
        server.Release();
        PrintProblem(NoSuchMessage(request.arguments[0]));
        return kExitFailed;
    }
    const QVariant status = server.reSendMessage(request.arguments[0]);
    server.Release();
    if (status.isValid() && !Done(status)) {
        PrintProblem(QStringLiteral("message %1 was not put back into the Outbox")
                         .arg(request.arguments[0]));
        return kExitFailed;
    }
    PrintLine(QStringLiteral("resend of %1 requested").arg(request.arguments[0]));
    return kExitOk;
}

int Count(const nimbra::com::TransmitEngine& engine, const Request&) {
    TnbMessageServerProxy server(engine);
    QVariant count;
    const bool answered =
        Done(server.getSystemInfo(QStringLiteral("count"), QStringLiteral("sendqueue"), count));
    server.Release();
    if (!answered) {
        PrintProblem(QStringLiteral("the engine did not give the Outbox count"));
        return kExitFailed;
    }
    PrintLine(ValueText(count));
    return kExitOk;
}

int MassSend(const nimbra::com::TransmitEngine& engine, const Request& request) {
    const QFileInfo file(request.arguments[0]);
    if (!file.isFile() || !file.isReadable()) {
        PrintProblem(QStringLiteral("cannot read %1").arg(request.arguments[0]));
        return kExitFailed;
    }
    TnbMessageServerProxy server(engine);
    // The engine runs in its own folder: it gets the file's full path.
    QVariant response;
    const bool done =
        Done(server.getSystemInfo(file.absoluteFilePath(), QStringLiteral("masssend"), response));
    server.Release();
    if (!done) {
        PrintProblem(QStringLiteral("the engine did not queue %1").arg(request.arguments[0]));
        return kExitFailed;
    }
    PrintLine(QStringLiteral("queued the lines of %1").arg(request.arguments[0]));
    return kExitOk;
}

}  // namespace nbsms
