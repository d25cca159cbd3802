#pragma once
// The administration interface's calls carried out on the engine: the folder tree, folders,
// devices, plugins, options and language, with the operations of the engine core. Texts cross
// as UTF-8, converted from and to the engine's code page here. A message file written by a
// call is on the disk before the call answers.

#include "adminhandler.h"

namespace nimbra {

class Engine;

class EngineAdmin final : public AdminHandler {
public:
    explicit EngineAdmin(Engine& engine) : engine_(engine) {}

    QStringList Folders(QList<int>& counts) override;
    QStringList Messages(const QString& folder, QStringList& numbers, QStringList& times,
                         QStringList& texts) override;
    QStringList Devices(QStringList& connections, QStringList& states, QStringList& operators,
                        QList<bool>& canSend, QStringList& statuses) override;
    QStringList DevicePane() override;
    QStringList Plugins(QStringList& active) override;
    int InstallDevice(const QString& kind) override;
    int UninstallDevice(const QString& kind) override;
    void InstallPlugin(const QString& name) override;
    void UninstallPlugin(const QString& name) override;
    QStringList Options(QStringList& values) override;
    void SetOptions(const QStringList& names, const QStringList& values) override;
    int ResendFailed(bool& running) override;
    QString MoveMessage(const QString& messageId, const QString& folder) override;
    QByteArray ExportFolder(const QString& folder, int& rows) override;
    QString SetLanguage(const QString& name) override;

private:
    Engine& engine_;
};

// The system's short date with the time to the second, as a date-format picture: what the
// date-format option "c" stands for.
std::string SystemDatePicture();

}  // namespace nimbra
