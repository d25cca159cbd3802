#include "automationregistry.h"

#include <array>

#include <QDBusConnectionInterface>
#include <utility>

#include "ConnectionPointAdaptor.h"
#include "DispatchAdaptor.h"
#include "InbEasySMSAdaptor.h"
#include "InbEasySMSEventsAdaptor.h"
#include "InbMessageServerAdaptor.h"
#include "InbMessageServerEventsAdaptor.h"
#include "InbSMSPhoneAdaptor.h"
#include "InbSMSPhoneEventsAdaptor.h"
#include "InbServiceControlAdaptor.h"
#include "InbServiceControlEventsAdaptor.h"
#include "easysmsobject.h"
#include "engine.h"
#include "messageserverobject.h"
#include "servicecontrolobject.h"
#include "smsphoneobject.h"

namespace nimbra {
namespace {

struct ClassEntry {
    const char* name;
    const char* identifier;
};

constexpr std::array<ClassEntry, 4> kClasses{{
    {"nbMessageServer", "{2DEE8FEA-E37B-11D6-B1EC-00E0299A95BF}"},
    {"nbSMSPhone", "{EFD82F34-9F9F-4AA8-9C77-27F8EC9FA49A}"},
    {"nbEasySMS", "{4A38EF13-F573-40C9-858A-81F375344250}"},
    {"nbServiceControl", "{195C6046-75EB-4ACA-8656-5A9561D01E09}"},
}};

}  // namespace

QString AutomationClassName(const QString& className) {
    for (const ClassEntry& entry : kClasses) {
        if (className == QLatin1String(entry.name) ||
            className.compare(QLatin1String(entry.identifier), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(entry.name);
    }
    return {};
}

AutomationRegistry::AutomationRegistry(Engine& engine, const QDBusConnection& connection)
    : engine_(engine),
      connection_(connection),
      ownerWatcher_(QString(), connection, QDBusServiceWatcher::WatchForUnregistration) {
    connect(&ownerWatcher_, &QDBusServiceWatcher::serviceUnregistered, this,
            &AutomationRegistry::OwnerLeft);
}

AutomationRegistry::~AutomationRegistry() {
    // Objects go before the engine: their engine sides forget their sinks first.
    auto objects = std::move(objects_);
    for (auto& [raw, object] : objects) {
        object->onLetGo = nullptr;
        connection_.unregisterObject(object->Path());
        object->LetGo();
    }
}

std::unique_ptr<AutomationObject> AutomationRegistry::Make(const QString& className,
                                                           const QString& owner,
                                                           const QString& path) {
    if (className == QLatin1String("nbMessageServer")) {
        auto object = std::make_unique<MessageServerObject>(engine_.CreateMessageServer(),
                                                            connection_, owner, path);
        new InbMessageServerAdaptor(object.get());
        new InbMessageServerEventsAdaptor(object.get());
        return object;
    }
    if (className == QLatin1String("nbSMSPhone")) {
        auto object =
            std::make_unique<SMSPhoneObject>(engine_.CreateDevice(), connection_, owner, path);
        new InbSMSPhoneAdaptor(object.get());
        new InbSMSPhoneEventsAdaptor(object.get());
        return object;
    }
    if (className == QLatin1String("nbEasySMS")) {
        auto object =
            std::make_unique<EasySMSObject>(engine_.CreateEasySms(), connection_, owner, path);
        new InbEasySMSAdaptor(object.get());
        new InbEasySMSEventsAdaptor(object.get());
        return object;
    }
    auto object = std::make_unique<ServiceControlObject>(engine_.CreateServiceControl(),
                                                         connection_, owner, path);
    new InbServiceControlAdaptor(object.get());
    new InbServiceControlEventsAdaptor(object.get());
    return object;
}

QString AutomationRegistry::Create(const QString& className, const QString& owner, QString& error) {
    const QString name = AutomationClassName(className);
    if (name.isEmpty()) {
        error = QStringLiteral("Unknown class: %1").arg(className.left(100));
        return {};
    }
    if (engine_.HasShutDown()) {
        error = QStringLiteral("The engine is closing");
        return {};
    }
    const QString path = QString::fromLatin1(kObjectPathPrefix) + name + QLatin1Char('/') +
                         QString::number(++created_[name]);
    std::unique_ptr<AutomationObject> object = Make(name, owner, path);
    new ConnectionPointAdaptor(object.get());
    new DispatchAdaptor(object.get());
    if (!connection_.registerObject(path, object.get(), QDBusConnection::ExportAdaptors)) {
        object->LetGo();
        error = QStringLiteral("Cannot register the object %1 on the bus").arg(path);
        return {};
    }
    object->onLetGo = [this](AutomationObject* gone) { Forget(gone); };
    AutomationObject* raw = object.get();
    objects_.emplace(raw, std::move(object));
    if (!ownerWatcher_.watchedServices().contains(owner)) {
        ownerWatcher_.addWatchedService(owner);
        // An owner that left before the watch began is never reported: look once.
        if (!owner.isEmpty() && !connection_.interface()->isServiceRegistered(owner))
            OwnerLeft(owner);
    }
    return path;
}

void AutomationRegistry::Forget(AutomationObject* object) {
    const auto found = objects_.find(object);
    if (found == objects_.end())
        return;
    connection_.unregisterObject(object->Path());
    // The object may be inside one of its own calls: it goes once that has returned, or with
    // the registry.
    released_.push_back(std::move(found->second));
    objects_.erase(found);
    QMetaObject::invokeMethod(
        this, [this] { released_.clear(); }, Qt::QueuedConnection);
}

void AutomationRegistry::OwnerLeft(const QString& owner) {
    ownerWatcher_.removeWatchedService(owner);
    std::vector<AutomationObject*> owned;
    for (const auto& [raw, object] : objects_) {
        if (object->Owner() == owner)
            owned.push_back(raw);
    }
    for (AutomationObject* object : owned)
        object->LetGo();
}

}  // namespace nimbra
