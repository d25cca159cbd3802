#pragma once
// What every engine object has on the client side: its creation in the engine, the event
// sink (Advise / Unadvise), calls by dispatch id, Release, and noticing the engine leave the
// bus. The engine's events arrive as the Qt signals of the same name that the object's
// class declares; their arguments are converted as the class declares them (a VARIANT as
// QVariant, invalid when empty; a text as QString; an integer as int). An event whose
// arguments do not fit its signal is dropped.
//
// Calls block until the engine answers, letting the event loop run meanwhile: the events
// the engine raised during the call reach their slots before the call returns. A failed
// call throws TransmitError. Needs a QCoreApplication for events; calls work without one.

#include <limits>
#include <memory>

#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include "transmitengine.h"

class OrgNimbraTransmitConnectionPointInterface;
class OrgNimbraTransmitDispatchInterface;
class QDBusServiceWatcher;

namespace nimbra::com {

// Calls wait for the engine's answer as long as it takes (a lock is answered when granted, a
// mass send when the file is filed). An engine that leaves the bus fails the call at once,
// so only an engine that hangs holds its caller: a call that gave up on a live engine could
// not tell whether the engine carried it out.
inline constexpr int kCallTimeoutMs = std::numeric_limits<int>::max();

// Slots of its events may run while one of its calls waits; a slot that ends with the proxy
// deletes it with deleteLater().
class TnbObjectProxy : public QObject {
    Q_OBJECT
public:
    ~TnbObjectProxy() override;

    const TransmitEngine& engine() const { return engine_; }
    // The object's path in the engine.
    const QString& path() const { return path_; }
    bool IsAdvised() const { return advised_; }
    bool IsReleased() const { return released_; }
    // The engine has left the bus (ended, or given up its name).
    bool IsEngineGone() const { return engineGone_; }

    // Connects the event sink; the events of the object come from now on.
    void Advise();
    // Disconnects the event sink; no more events come.
    void Unadvise();
    // Drops the object in the engine. Later calls fail; no more events come.
    void Release();

    // A late-bound call by dispatch id: the result and the values of the out and in/out
    // arguments, in parameter order.
    struct InvokeResult {
        QVariant result;
        QVariantList out;
    };
    InvokeResult Invoke(int dispid, const QVariantList& args = {});

signals:
    // The engine has left the bus; the object is gone with it.
    void engineGone();

protected:
    // Creates an object of className in the engine and subscribes to its events, which come
    // once Advise() is called. events: the meta object of the class whose signals are the
    // events. Throws TransmitError.
    TnbObjectProxy(const TransmitEngine& engine, const QString& className,
                   const QString& eventInterface, const QMetaObject& events, QObject* parent);

    // Throws TransmitError when the object has been released or the engine is gone.
    void RequireUsable() const;

private slots:
    void OnEvent(const QDBusMessage& message);
    void OnEngineOwnerChanged(const QString& name, const QString& oldOwner,
                              const QString& newOwner);

private:
    void StopEvents();

    TransmitEngine engine_;
    QString path_;
    QString eventInterface_;
    const QMetaObject& events_;
    std::unique_ptr<OrgNimbraTransmitConnectionPointInterface> connectionPoint_;
    std::unique_ptr<OrgNimbraTransmitDispatchInterface> dispatch_;
    QDBusServiceWatcher* engineWatcher_ = nullptr;
    bool subscribed_ = false;
    bool advised_ = false;
    bool released_ = false;
    bool engineGone_ = false;
};

}  // namespace nimbra::com
