#pragma once
// The engine's root object on the bus, /org/nimbra/Transmit: CreateObject makes an object for
// the caller, Activate hands a second start of the engine over to this one, EngineClosing
// tells drivers that the engine closes. Beside it, the administration interface
// (org.nimbra.Transmit.Admin), served only to connections of the user running the engine.

#include <functional>

#include <QByteArray>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace nimbra {

class AdminHandler;

inline constexpr char kAdminAccessDenied[] =
    "The administration of the engine is open only to the user running it";

class TransmitRootObject : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    explicit TransmitRootObject(QObject* parent = nullptr);

    // What Activate does; until one is set, Activate does nothing.
    void SetActivateHandler(std::function<void()> handler) { activate_ = std::move(handler); }
    // Creates an object of a class for a caller (a unique bus name): its path, or "" and the
    // error text. Until one is set, CreateObject fails.
    using CreateHandler =
        std::function<QString(const QString& className, const QString& caller, QString& error)>;
    void SetCreateHandler(CreateHandler handler) { create_ = std::move(handler); }
    // What the administration calls do; until one is set (and after null) they fail.
    void SetAdminHandler(AdminHandler* handler) { admin_ = handler; }
    // The user whose connections may administer the engine; the engine's own by default.
    void SetAdminUser(uint uid) { adminUid_ = uid; }

public slots:
    QDBusObjectPath CreateObject(const QString& className);
    void Activate();

    // org.nimbra.Transmit.Admin
    QStringList Folders(QList<int>& counts);
    QStringList Messages(const QString& folder, QStringList& numbers, QStringList& times,
                         QStringList& texts);
    QStringList Devices(QStringList& connections, QStringList& states, QStringList& operators,
                        QList<bool>& canSend, QStringList& statuses);
    QStringList DevicePane();
    QStringList Plugins(QStringList& active);
    int InstallDevice(const QString& kind);
    int UninstallDevice(const QString& kind);
    void InstallPlugin(const QString& name);
    void UninstallPlugin(const QString& name);
    QStringList Options(QStringList& values);
    void SetOptions(const QStringList& names, const QStringList& values);
    int ResendFailed(bool& running);
    QString MoveMessage(const QString& messageId, const QString& folder);
    QByteArray ExportFolder(const QString& folder, int& rows);
    QString SetLanguage(const QString& name);

signals:
    void EngineClosing();

private:
    // Runs call on the handler when the caller may administer the engine; otherwise, or when
    // the call fails, answers with an error and gives an empty result.
    template <class Result, class Call>
    Result Serve(const Call& call);

    std::function<void()> activate_;
    CreateHandler create_;
    AdminHandler* admin_ = nullptr;
    uint adminUid_;
};

}  // namespace nimbra
