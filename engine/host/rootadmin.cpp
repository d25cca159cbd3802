// The administration calls of the root object: the caller is admitted by the user its
// connection belongs to, as the bus daemon knows it, and the call goes to the handler.
#include <exception>

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusReply>

#include "adminhandler.h"
#include "rootobject.h"

namespace nimbra {

template <class Result, class Call>
Result TransmitRootObject::Serve(const Call& call) {
    if (calledFromDBus()) {
        const QDBusReply<uint> uid = connection().interface()->serviceUid(message().service());
        if (!uid.isValid() || uid.value() != adminUid_) {
            sendErrorReply(QDBusError::AccessDenied, QString::fromLatin1(kAdminAccessDenied));
            return Result();
        }
    }
    try {
        if (!admin_)
            throw AdminError(QStringLiteral("The engine is starting; try again"));
        return call(*admin_);
    } catch (const std::exception& e) {
        if (calledFromDBus())
            sendErrorReply(QStringLiteral("org.nimbra.Transmit.Error.Failed"),
                           QString::fromUtf8(e.what()));
        return Result();
    }
}

QStringList TransmitRootObject::Folders(QList<int>& counts) {
    return Serve<QStringList>([&](AdminHandler& admin) { return admin.Folders(counts); });
}

QStringList TransmitRootObject::Messages(const QString& folder, QStringList& numbers,
                                         QStringList& times, QStringList& texts) {
    return Serve<QStringList>(
        [&](AdminHandler& admin) { return admin.Messages(folder, numbers, times, texts); });
}

QStringList TransmitRootObject::Devices(QStringList& connections, QStringList& states,
                                        QStringList& operators, QList<bool>& canSend,
                                        QStringList& statuses) {
    return Serve<QStringList>([&](AdminHandler& admin) {
        return admin.Devices(connections, states, operators, canSend, statuses);
    });
}

QStringList TransmitRootObject::DevicePane() {
    return Serve<QStringList>([](AdminHandler& admin) { return admin.DevicePane(); });
}

QStringList TransmitRootObject::Plugins(QStringList& active) {
    return Serve<QStringList>([&](AdminHandler& admin) { return admin.Plugins(active); });
}

int TransmitRootObject::InstallDevice(const QString& kind) {
    return Serve<int>([&](AdminHandler& admin) { return admin.InstallDevice(kind); });
}

int TransmitRootObject::UninstallDevice(const QString& kind) {
    return Serve<int>([&](AdminHandler& admin) { return admin.UninstallDevice(kind); });
}

void TransmitRootObject::InstallPlugin(const QString& name) {
    Serve<void>([&](AdminHandler& admin) { admin.InstallPlugin(name); });
}

void TransmitRootObject::UninstallPlugin(const QString& name) {
    Serve<void>([&](AdminHandler& admin) { admin.UninstallPlugin(name); });
}

QStringList TransmitRootObject::Options(QStringList& values) {
    return Serve<QStringList>([&](AdminHandler& admin) { return admin.Options(values); });
}

void TransmitRootObject::SetOptions(const QStringList& names, const QStringList& values) {
    Serve<void>([&](AdminHandler& admin) { admin.SetOptions(names, values); });
}

int TransmitRootObject::ResendFailed(bool& running) {
    return Serve<int>([&](AdminHandler& admin) { return admin.ResendFailed(running); });
}

QString TransmitRootObject::MoveMessage(const QString& messageId, const QString& folder) {
    return Serve<QString>(
        [&](AdminHandler& admin) { return admin.MoveMessage(messageId, folder); });
}

QByteArray TransmitRootObject::ExportFolder(const QString& folder, int& rows) {
    return Serve<QByteArray>([&](AdminHandler& admin) { return admin.ExportFolder(folder, rows); });
}

QString TransmitRootObject::SetLanguage(const QString& name) {
    return Serve<QString>([&](AdminHandler& admin) { return admin.SetLanguage(name); });
}

}  // namespace nimbra
