#pragma once
// What the administration interface of the root object (org.nimbra.Transmit.Admin) does:
// the calls of the interface, as the root object hands them on once it has admitted the
// caller. A call that is refused or fails throws AdminError with the text for the caller.

#include <stdexcept>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace nimbra {

class AdminError : public std::runtime_error {
public:
    explicit AdminError(const QString& text) : std::runtime_error(text.toStdString()) {}
    QString text() const { return QString::fromStdString(what()); }
};

class AdminHandler {
public:
    virtual ~AdminHandler() = default;

    virtual QStringList Folders(QList<int>& counts) = 0;
    virtual QStringList Messages(const QString& folder, QStringList& numbers, QStringList& times,
                                 QStringList& texts) = 0;
    virtual QStringList Devices(QStringList& connections, QStringList& states,
                                QStringList& operators, QList<bool>& canSend,
                                QStringList& statuses) = 0;
    virtual QStringList DevicePane() = 0;
    virtual QStringList Plugins(QStringList& active) = 0;
    virtual int InstallDevice(const QString& kind) = 0;
    virtual int UninstallDevice(const QString& kind) = 0;
    virtual void InstallPlugin(const QString& name) = 0;
    virtual void UninstallPlugin(const QString& name) = 0;
    virtual QStringList Options(QStringList& values) = 0;
    virtual void SetOptions(const QStringList& names, const QStringList& values) = 0;
    virtual int ResendFailed(bool& running) = 0;
    virtual QString MoveMessage(const QString& messageId, const QString& folder) = 0;
    virtual QByteArray ExportFolder(const QString& folder, int& rows) = 0;
    virtual QString SetLanguage(const QString& name) = 0;
};

}  // namespace nimbra
