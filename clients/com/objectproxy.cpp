#include "objectproxy.h"

#include <array>

#include <QDBusServiceWatcher>
#include <QGenericArgument>
#include <QMetaMethod>
#include <QPointer>

#include "automationvariant.h"
#include "connectionpoint_proxy.h"
#include "dispatch_proxy.h"
#include "pendingcall.h"
#include "transmiterror.h"

namespace nimbra::com {
namespace {

constexpr char kDispatchInterface[] = "org.nimbra.Transmit.Dispatch";
// QMetaMethod::invoke takes at most ten arguments.
constexpr int kMostEventArguments = 10;

// An event argument as the signal's parameter of type into value; false when it does not
// fit: a VARIANT for a QVariant, otherwise the very type.
bool ForParameter(const QVariant& argument, QMetaType type, QVariant& value) {
    if (type == QMetaType::fromType<QVariant>()) {
        value = FromBusValue(argument);
        return argument.userType() == qMetaTypeId<QDBusVariant>();
    }
    value = argument;
    return argument.metaType() == type;
}

}  // namespace

TnbObjectProxy::TnbObjectProxy(const TransmitEngine& engine, const QString& className,
                               const QString& eventInterface, const QMetaObject& events,
                               QObject* parent)
    : QObject(parent),
      engine_(engine),
      path_(engine.CreateObject(className)),
      eventInterface_(eventInterface),
      events_(events),
      connectionPoint_(std::make_unique<OrgNimbraTransmitConnectionPointInterface>(
          engine.uniqueName(), path_, engine.connection())),
      dispatch_(std::make_unique<OrgNimbraTransmitDispatchInterface>(engine.uniqueName(), path_,
                                                                     engine.connection())) {
    connectionPoint_->setTimeout(kCallTimeoutMs);
    dispatch_->setTimeout(kCallTimeoutMs);
    // The engine leaving is noticed from here on; had it left before, the calls fail.
    engineWatcher_ =
        new QDBusServiceWatcher(QString::fromLatin1(kEngineBusName), engine.connection(),
                                QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(engineWatcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            &TnbObjectProxy::OnEngineOwnerChanged);
    QDBusConnection connection = engine.connection();
    subscribed_ = connection.connect(engine.uniqueName(), path_, eventInterface_, QString(), this,
                                     SLOT(OnEvent(QDBusMessage)));
    if (!subscribed_)
        throw TransmitError(QString(), QStringLiteral("cannot receive the events of %1: %2")
                                           .arg(path_, connection.lastError().message()));
}

TnbObjectProxy::~TnbObjectProxy() {
    StopEvents();
    if (released_ || engineGone_)
        return;
    // A destructor does not wait: the release goes out without its answer.
    engine_.connection().send(QDBusMessage::createMethodCall(
        engine_.uniqueName(), path_, QString::fromLatin1(kDispatchInterface),
        QStringLiteral("Release")));
}

void TnbObjectProxy::RequireUsable() const {
    if (engineGone_)
        throw TransmitError(QString(), QStringLiteral("the engine has left the bus"));
    if (released_)
        throw TransmitError(QString(),
                            QStringLiteral("the object %1 has been released").arg(path_));
}

void TnbObjectProxy::Advise() {
    RequireUsable();
    // A slot that runs while the call waits may delete this proxy.
    const QPointer<TnbObjectProxy> self(this);
    Await(connectionPoint_->Advise());
    if (self)
        advised_ = true;
}

void TnbObjectProxy::Unadvise() {
    RequireUsable();
    const QPointer<TnbObjectProxy> self(this);
    Await(connectionPoint_->Unadvise());
    if (self)
        advised_ = false;
}

void TnbObjectProxy::Release() {
    if (released_ || engineGone_)
        return;
    const QPointer<TnbObjectProxy> self(this);
    Await(dispatch_->Release());
    if (!self)
        return;
    released_ = true;
    advised_ = false;
    StopEvents();
}

TnbObjectProxy::InvokeResult TnbObjectProxy::Invoke(int dispid, const QVariantList& args) {
    RequireUsable();
    QVariantList busArgs;
    for (const QVariant& arg : args)
        busArgs.append(ToBusVariant(arg).variant());
    const auto reply = Await(dispatch_->Invoke(dispid, busArgs));
    InvokeResult result{FromBusVariant(reply.argumentAt<0>()), {}};
    for (const QVariant& value : reply.argumentAt<1>())
        result.out.append(FromBusValue(value));
    return result;
}

void TnbObjectProxy::OnEvent(const QDBusMessage& message) {
    if (released_ || engineGone_)
        return;
    const QByteArray name = message.member().toLatin1();
    const QVariantList arguments = message.arguments();
    if (arguments.size() > kMostEventArguments)
        return;
    for (int index = events_.methodOffset(); index < events_.methodCount(); ++index) {
        const QMetaMethod signal = events_.method(index);
        if (signal.methodType() != QMetaMethod::Signal || signal.name() != name ||
            signal.parameterCount() != arguments.size())
            continue;
        std::array<QVariant, kMostEventArguments> values;
        std::array<QByteArray, kMostEventArguments> typeNames;
        std::array<QGenericArgument, kMostEventArguments> generic;
        for (int i = 0; i < arguments.size(); ++i) {
            const QMetaType type = signal.parameterMetaType(i);
            if (!ForParameter(arguments[i], type, values[i]))
                return;
            // A QVariant parameter is passed as the QVariant itself, others as its content.
            const void* data = type == QMetaType::fromType<QVariant>()
                                   ? static_cast<const void*>(&values[i])
                                   : values[i].constData();
            typeNames[i] = signal.parameterTypeName(i);
            generic[i] = QGenericArgument(typeNames[i].constData(), data);
        }
        signal.invoke(this, Qt::DirectConnection, generic[0], generic[1], generic[2], generic[3],
                      generic[4], generic[5], generic[6], generic[7], generic[8], generic[9]);
        return;
    }
}

void TnbObjectProxy::OnEngineOwnerChanged(const QString&, const QString& oldOwner, const QString&) {
    if (engineGone_ || oldOwner != engine_.uniqueName())
        return;
    engineGone_ = true;
    advised_ = false;
    StopEvents();
    emit engineGone();
}

void TnbObjectProxy::StopEvents() {
    if (!subscribed_)
        return;
    subscribed_ = false;
    QDBusConnection connection = engine_.connection();
    connection.disconnect(engine_.uniqueName(), path_, eventInterface_, QString(), this,
                          SLOT(OnEvent(QDBusMessage)));
}

}  // namespace nimbra::com
