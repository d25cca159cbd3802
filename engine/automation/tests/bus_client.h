#pragma once
// A client of the engine in a test, speaking the bus protocol by hand: its own connection to
// the private bus (so its own unique name), object creation, named calls and Invoke, and a
// record of the events the engine sends it.
#include <string>
#include <vector>

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QVariantList>

namespace nimbra::testing_support {

inline constexpr char kEngineName[] = "org.nimbra.Transmit";
inline constexpr char kRootPath[] = "/org/nimbra/Transmit";

struct Event {
    QString path;
    QString name;
    QVariantList args;
};

class BusClient : public QObject {
    Q_OBJECT
public:
    BusClient(const std::string& address, const QString& name);
    ~BusClient() override;

    QDBusConnection& Connection() { return connection_; }
    // CreateObject; "" when it failed.
    QString Create(const QString& className);
    // A call that lets the events arriving before its reply be recorded first.
    QDBusMessage Call(const QString& path, const QString& interface, const QString& method,
                      const QVariantList& args = {});
    QDBusMessage CallObject(const QString& path, const QString& method,
                            const QVariantList& args = {});
    QDBusMessage Invoke(const QString& path, int dispid, const QVariantList& args = {});
    QDBusMessage Advise(const QString& path);
    // Listens to the events of path (before advising).
    void Listen(const QString& path);
    // Starts a call without waiting for the reply.
    void CallAsync(const QString& path, const QString& method, const QVariantList& args = {});
    int AsyncReplies() const { return asyncReplies_; }
    // Error replies to those calls, by error name.
    const QStringList& AsyncErrors() const { return asyncErrors_; }

    // Names of the events of path recorded so far.
    std::vector<QString> EventNames(const QString& path = {}) const;
    const std::vector<Event>& Events() const { return events_; }
    bool WaitForEvent(const QString& name, int timeoutMs = 10000);
    void ClearEvents() { events_.clear(); }

private slots:
    void OnSignal(const QDBusMessage& message);
    void OnAsyncReply(const QDBusMessage& message);
    void OnAsyncError(const QDBusError& error);

private:
    QString InterfaceOf(const QString& path) const;

    QString connectionName_;
    QDBusConnection connection_;
    std::vector<Event> events_;
    int asyncReplies_ = 0;
    QStringList asyncErrors_;
};

// An argument of a reply as plain text or number: an empty VARIANT (empty array) is
// "<empty>".
QString Show(const QVariant& value);
// The arguments of a reply, shown.
QStringList ShowAll(const QDBusMessage& reply);
QVariant Wrap(const QVariant& value);

}  // namespace nimbra::testing_support
