// nbsms folders, list, move, export and resend-failed: the message store through the engine's
// administration interface.

#include <QJsonArray>
#include <QJsonObject>
#include <QSaveFile>

#include "admin_proxy.h"
#include "adminbus.h"
#include "commands.h"
#include "output.h"

namespace nbsms {

using nimbra::com::Await;

int Folders(const nimbra::com::TransmitEngine& engine, const Request& request) {
    const auto reply = Await(AdminBus(engine)->Folders());
    const QStringList folders = reply.argumentAt<0>();
    const QList<int> counts = reply.argumentAt<1>();
    QJsonArray json;
    for (qsizetype i = 0; i < folders.size() && i < counts.size(); ++i) {
        if (request.json)
            json.append(QJsonObject{{QStringLiteral("folder"), folders[i]},
                                    {QStringLiteral("count"), counts[i]}});
        else
            PrintLine(QStringLiteral("%1  %2").arg(counts[i], 6).arg(folders[i]));
    }
    if (request.json)
        PrintJson(json);
    return kExitOk;
}

int List(const nimbra::com::TransmitEngine& engine, const Request& request) {
    const auto reply = Await(AdminBus(engine)->Messages(request.arguments[0]));
    const QStringList ids = reply.argumentAt<0>();
    const QStringList numbers = reply.argumentAt<1>();
    const QStringList times = reply.argumentAt<2>();
    const QStringList texts = reply.argumentAt<3>();
    QJsonArray json;
    for (qsizetype i = 0; i < ids.size(); ++i) {
        const QString number = numbers.value(i);
        const QString time = times.value(i);
        const QString text = texts.value(i);
        if (request.json) {
            json.append(QJsonObject{{QStringLiteral("id"), ids[i]},
                                    {QStringLiteral("number"), number},
                                    {QStringLiteral("time"), time},
                                    {QStringLiteral("text"), text}});
        } else {
            PrintLine(QStringList{EscapedField(ids[i]), EscapedField(number), EscapedField(time),
                                  EscapedField(text)}
                          .join(QLatin1Char('\t')));
        }
    }
    if (request.json)
        PrintJson(json);
    return kExitOk;
}

int Move(const nimbra::com::TransmitEngine& engine, const Request& request) {
    const QString& id = request.arguments[0];
    const QString& folder = request.arguments[1];
    const QString from = Await(AdminBus(engine)->MoveMessage(id, folder)).value();
    PrintLine(QStringLiteral("moved %1 from %2 to %3").arg(id, from, folder));
    return kExitOk;
}

int Export(const nimbra::com::TransmitEngine& engine, const Request& request) {
    const QString& folder = request.arguments[0];
    const QString& path = request.arguments[1];
    const auto reply = Await(AdminBus(engine)->ExportFolder(folder));
    // The file is whole or not there: written beside its place and renamed over it.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(reply.argumentAt<0>()) < 0 ||
        !file.commit()) {
        PrintProblem(QStringLiteral("Can't write to file: %1 (%2)").arg(path, file.errorString()));
        return kExitFailed;
    }
    PrintLine(QStringLiteral("exported %1 messages of %2 to %3")
                  .arg(reply.argumentAt<1>())
                  .arg(folder, path));
    return kExitOk;
}

int ResendFailed(const nimbra::com::TransmitEngine& engine, const Request& request) {
    const auto reply = Await(AdminBus(engine)->ResendFailed());
    const int waiting = reply.argumentAt<0>();
    const bool running = reply.argumentAt<1>();
    if (request.json)
        PrintJson(QJsonObject{{QStringLiteral("waiting"), waiting},
                              {QStringLiteral("running"), running}});
    // Only the running server puts failed messages back.
    if (!running) {
        PrintProblem(QStringLiteral("Server is not running: the %1 messages waiting for resend "
                                    "go back to the Outbox only while it runs")
                         .arg(waiting));
        return kExitFailed;
    }
    if (!request.json)
        PrintLine(QStringLiteral("%1 messages wait for resend; they go back to the Outbox at "
                                 "the next tick, at most 20 at a time")
                      .arg(waiting));
    return kExitOk;
}

}  // namespace nbsms
