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

// What install and uninstall call and say: for a device kind, its new count.
struct Installation {
    QDBusPendingReply<int> (OrgNimbraTransmitAdminInterface::*device)(const QString&);
    QDBusPendingReply<> (OrgNimbraTransmitAdminInterface::*plugin)(const QString&);
    const char* deviceDone;  // %1 the kind, %2 the count
    const char* pluginDone;  // %1 the plugin
};
const Installation kInstall = {&OrgNimbraTransmitAdminInterface::InstallDevice,
                               &OrgNimbraTransmitAdminInterface::InstallPlugin,
                               "installed one more %1 device: %2 now", "installed the plugin %1"};
const Installation kUninstall = {&OrgNimbraTransmitAdminInterface::UninstallDevice,
                                 &OrgNimbraTransmitAdminInterface::UninstallPlugin,
                                 "uninstalled one %1 device: %2 left", "uninstalled the plugin %1"};

int InstallOrUninstall(const nimbra::com::TransmitEngine& engine, const QString& what,
                       const Installation& action) {
    const AdminBus admin(engine);
    if (!IsDeviceKind(what)) {
        Await(((*admin).*action.plugin)(what));
        PrintLine(QString::fromLatin1(action.pluginDone).arg(what));
        return kExitOk;
    }
    const int count = Await(((*admin).*action.device)(what)).value();
    PrintLine(QString::fromLatin1(action.deviceDone).arg(what.toLower()).arg(count));
    return kExitOk;
}

}  // namespace

int Devices(const nimbra::com::TransmitEngine& engine, const Request& request) {
    PrintDevices(AdminBus(engine), request.json);
    return kExitOk;
}

int Install(const nimbra::com::TransmitEngine& engine, const Request& request) {
    return InstallOrUninstall(engine, request.arguments[0], kInstall);
}

int Uninstall(const nimbra::com::TransmitEngine& engine, const Request& request) {
    return InstallOrUninstall(engine, request.arguments[0], kUninstall);
}

}  // namespace nbsms
