#pragma once
// The engine's root object on the bus, /org/nimbra/Transmit: Activate() hands a second start
// of the engine over to this one, EngineClosing() tells drivers that the engine closes.

#include <functional>

#include <QObject>

namespace nimbra {

class TransmitRootObject : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.nimbra.Transmit.Server")
public:
    explicit TransmitRootObject(QObject* parent = nullptr) : QObject(parent) {}

    // What Activate does; until one is set, Activate does nothing.
    void SetActivateHandler(std::function<void()> handler) { activate_ = std::move(handler); }

public slots:
    Q_SCRIPTABLE void Activate();

signals:
    Q_SCRIPTABLE void EngineClosing();

private:
    std::function<void()> activate_;
};

}  // namespace nimbra
