// nbsms devices, install and uninstall: devices and plugins through the engine's
// administration interface.

#include <QJsonArray>
#include <QJsonObject>

#include "admin_proxy.h"
#include "adminbus.h"
#include "commands.h"
#include "output.h"

namespace nbsms {
namespace {

using nimbra::com::Await;

const QStringList kDeviceKinds = {QStringLiteral("gsm"), QStringLiteral("ucp"),
                                  QStringLiteral("smpp"), QStringLiteral("cimd")};

bool IsDeviceKind(const QString& word) {
    return kDeviceKinds.contains(word.toLower());
}

void PrintDevices(const AdminBus& admin, bool json) {
    const auto devices = Await(admin->Devices());
    const QStringList names = devices.argumentAt<0>();
    const QStringList connections = devices.argumentAt<1>();
    const QStringList states = devices.argumentAt<2>();
    const QStringList operators = devices.argumentAt<3>();
    const QList<bool> canSend = devices.argumentAt<4>();
    const QStringList statuses = devices.argumentAt<5>();
    const auto plugins = Await(admin->Plugins());
    const QStringList installed = plugins.argumentAt<0>();
    const QStringList active = plugins.argumentAt<1>();
    const QStringList pane = Await(admin->DevicePane()).value();

    if (json) {
        QJsonArray list;
        for (qsizetype i = 0; i < names.size(); ++i)
            list.append(QJsonObject{{QStringLiteral("name"), names[i]},
                                    {QStringLiteral("connection"), connections.value(i)},
                                    {QStringLiteral("state"), states.value(i)},
                                    {QStringLiteral("operator"), operators.value(i)},
                                    {QStringLiteral("canSend"), canSend.value(i)},
                                    {QStringLiteral("status"), statuses.value(i)}});
        PrintJson(
            QJsonObject{{QStringLiteral("devices"), list},
                        {QStringLiteral("installedPlugins"), QJsonArray::fromStringList(installed)},
                        {QStringLiteral("activePlugins"), QJsonArray::fromStringList(active)},
                        {QStringLiteral("pane"), QJsonArray::fromStringList(pane)}});
        return;
    }
    PrintLine(QStringLiteral("Devices:"));
    for (qsizetype i = 0; i < names.size(); ++i) {
        QString line = QStringLiteral("  %1  %2, %3")
                           .arg(EscapedField(names[i]), connections.value(i), states.value(i));
        if (!operators.value(i).isEmpty())
            line += QStringLiteral(", operator %1").arg(EscapedField(operators[i]));
        if (!canSend.value(i, true))
            line += QStringLiteral(", not sending");
        PrintLine(line);
    }
    PrintLine(QStringLiteral("Plugins installed: %1").arg(installed.join(QStringLiteral(", "))));
    PrintLine(QStringLiteral("Plugins running: %1").arg(active.join(QStringLiteral(", "))));
    PrintLine(QStringLiteral("Device pane:"));
    for (const QString& line : pane)
        PrintLine(EscapedField(line));
}

}  // namespace

int Devices(const nimbra::com::TransmitEngine& engine, const Request& request) {
    PrintDevices(AdminBus(engine), request.json);
    return kExitOk;
}

int Install(const nimbra::com::TransmitEngine& engine, const Request& request) {
    const QString& what = request.arguments[0];
    const AdminBus admin(engine);
    if (IsDeviceKind(what)) {
        const int count = Await(admin->InstallDevice(what)).value();
        PrintLine(
            QStringLiteral("installed one more %1 device: %2 now").arg(what.toLower()).arg(count));
    } else {
        Await(admin->InstallPlugin(what));
        PrintLine(QStringLiteral("installed the plugin %1").arg(what));
    }
    return kExitOk;
}

int Uninstall(const nimbra::com::TransmitEngine& engine, const Request& request) {
    const QString& what = request.arguments[0];
    const AdminBus admin(engine);
    if (IsDeviceKind(what)) {
        const int count = Await(admin->UninstallDevice(what)).value();
        PrintLine(
            QStringLiteral("uninstalled one %1 device: %2 left").arg(what.toLower()).arg(count));
    } else {
        Await(admin->UninstallPlugin(what));
        PrintLine(QStringLiteral("uninstalled the plugin %1").arg(what));
    }
    return kExitOk;
}

}  // namespace nbsms
