#pragma once
// The engine's objects on the bus: creates one for a client on request (each creation a new
// object, as every client gets its own), knows whose it is, and lets go of every object of a
// client that leaves the bus.
#include <map>
#include <memory>
#include <vector>

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>

#include "automationobject.h"

namespace nimbra {

class Engine;

inline constexpr char kObjectPathPrefix[] = "/org/nimbra/Transmit/";

class AutomationRegistry : public QObject {
    Q_OBJECT
public:
    AutomationRegistry(Engine& engine, const QDBusConnection& connection);
    ~AutomationRegistry() override;

    // A new object of className ("nbMessageServer", "nbSMSPhone", "nbEasySMS",
    // "nbServiceControl" or the class identifier in braces) owned by owner, a unique bus name.
    // Gives its path, or "" with error set.
    QString Create(const QString& className, const QString& owner, QString& error);
    std::size_t Count() const { return objects_.size(); }

private:
    std::unique_ptr<AutomationObject> Make(const QString& className, const QString& owner,
                                           const QString& path);
    void Forget(AutomationObject* object);
    void OwnerLeft(const QString& owner);

    Engine& engine_;
    QDBusConnection connection_;
    QDBusServiceWatcher ownerWatcher_;
    std::map<AutomationObject*, std::unique_ptr<AutomationObject>> objects_;
    std::vector<std::unique_ptr<AutomationObject>> released_;
    std::map<QString, int> created_;
};

// The class name for className or a class identifier ("{...}", any case); "" when unknown.
QString AutomationClassName(const QString& className);

}  // namespace nimbra
