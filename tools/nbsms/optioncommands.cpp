// nbsms options and language: the engine's Server options and its user-interface language
// through its administration interface.

#include <algorithm>

#include <QJsonObject>

#include "admin_proxy.h"
#include "adminbus.h"
#include "commands.h"
#include "output.h"

namespace nbsms {

using nimbra::com::Await;

int Options(const nimbra::com::TransmitEngine& engine, const Request& request) {
    const AdminBus admin(engine);
    QStringList names;
    QStringList values;
    for (const QString& assignment : request.arguments) {
        const qsizetype equals = assignment.indexOf(QLatin1Char('='));
        if (equals <= 0) {
            PrintProblem(
                QStringLiteral("\"%1\" is not NAME=VALUE (nbsms options --help)").arg(assignment));
            return kExitUsage;
        }
        names << assignment.left(equals);
        values << assignment.mid(equals + 1);
    }
    if (!names.isEmpty())
        Await(admin->SetOptions(names, values));
    // What the options read now: all of them, or the ones just changed.
    const auto reply = Await(admin->Options());
    const QStringList allNames = reply.argumentAt<0>();
    const QStringList allValues = reply.argumentAt<1>();
    QJsonObject json;
    for (qsizetype i = 0; i < allNames.size(); ++i) {
        const bool changed = std::any_of(names.begin(), names.end(), [&](const QString& name) {
            return name.compare(allNames[i], Qt::CaseInsensitive) == 0;
        });
        if (!names.isEmpty() && !changed)
            continue;
        if (request.json)
            json.insert(allNames[i], allValues.value(i));
        else
            PrintLine(QStringLiteral("%1=%2").arg(allNames[i], EscapedField(allValues.value(i))));
    }
    if (request.json)
        PrintJson(json);
    return kExitOk;
}

int Language(const nimbra::com::TransmitEngine& engine, const Request& request) {
    const QString notice = Await(AdminBus(engine)->SetLanguage(request.arguments[0])).value();
    PrintLine(notice);
    PrintLine(QStringLiteral("The engine ends now (exit code 75) to be started again."));
    return kExitOk;
}

}  // namespace nbsms
