#pragma once
// The engine's root object on the bus, /org/nimbra/Transmit: CreateObject makes an object for
// the caller, Activate hands a second start of the engine over to this one, EngineClosing
// tells drivers that the engine closes.

#include <functional>

#include <QDBusContext>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>

namespace nimbra {

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

public slots:
    QDBusObjectPath CreateObject(const QString& className);
    void Activate();

signals:
    void EngineClosing();

private:
    std::function<void()> activate_;
    CreateHandler create_;
};

}  // namespace nimbra
