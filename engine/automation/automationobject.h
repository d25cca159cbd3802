#pragma once
// One object of the engine on the bus, created by and belonging to one bus client (its
// owner). Only the owner may advise, call or release it; anyone else gets an error and
// changes nothing. Named calls and Invoke by dispatch id run the same operation. Events go
// to the owner alone, and only while it has advised the object.
#include <functional>
#include <string>
#include <vector>

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QObject>
#include <QString>
#include <QVariantList>

#include "automationvalue.h"

namespace nimbra {

inline constexpr char kFailedError[] = "org.nimbra.Transmit.Error.Failed";
inline constexpr char kNotOwnerError[] = "org.nimbra.Transmit.Error.NotOwner";
inline constexpr char kUnknownDispIdError[] = "org.nimbra.Transmit.Error.UnknownDispId";
inline constexpr char kObjectGoneError[] = "org.nimbra.Transmit.Error.ObjectGone";

class AutomationObject : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    AutomationObject(const QDBusConnection& connection, QString owner, QString path,
                     QString eventInterface);
    ~AutomationObject() override;

    const QString& Owner() const { return owner_; }
    const QString& Path() const { return path_; }
    bool IsAdvised() const { return advised_; }
    // The owner left the bus or released the object: the sink is gone for good and every
    // later call is refused.
    void LetGo();

    // Called once the object has been let go; the registry forgets it.
    std::function<void(AutomationObject*)> onLetGo;

public slots:
    // org.nimbra.Transmit.ConnectionPoint
    void Advise();
    void Unadvise();
    // org.nimbra.Transmit.Dispatch
    QDBusVariant Invoke(int dispid, const QVariantList& args, QVariantList& out);
    void Release();

protected:
    // The result and the out and in/out values of an operation, in parameter order.
    struct Outcome {
        AutoValue result;
        std::vector<AutoValue> outs;
        // The result, or the out values, are file paths (the engine's directory).
        bool resultIsPath = false;
        bool outIsPath = false;
        QDBusVariant Result() const;
        QDBusVariant Out(std::size_t index) const;
    };
    // Runs the operation with dispatch id dispid. Throws ArgumentError for bad arguments and
    // std::exception for failures; false when no operation has that id.
    virtual bool Dispatch(int dispid, const QVariantList& args, Outcome& outcome) = 0;
    // The sink came or went.
    virtual void SinkChanged(bool advised) = 0;
    // The object is let go: the engine's object forgets its sink for good.
    virtual void Released() = 0;

    // A named call: checks the caller, runs the operation, and on failure sends the error
    // reply (the return value is then not sent).
    Outcome Call(int dispid, const QVariantList& args = {});
    static void ExpectArguments(const QVariantList& args, int count, int dispid);

    // For an operation answered later (lock): the reply is delayed; answer sends it, refuse
    // sends an error instead. Outside a bus call both do nothing.
    struct LaterAnswer {
        std::function<void()> answer;
        std::function<void()> refuse;
    };
    LaterAnswer AnswerLater();

    // Sends an event to the owner while the object is advised.
    void Emit(const char* name, const QVariantList& args = {});

private:
    bool Admit();
    // Runs the operation with the message files it writes held, then commits them together:
    // what a call stored is on the disk before its answer goes. False (with the error reply
    // sent) when the operation failed; a failure to store what it wrote is one.
    bool DispatchStored(int dispid, const QVariantList& args, Outcome& outcome, bool& known);
    // Sends the answer of the running bus call once the writes numbered after first, up to
    // last, are on the disk (or an error when they could not be put there).
    void AnswerWhenStored(std::size_t first, std::size_t last, const Outcome& outcome);
    void Fail(const char* errorName, const QString& text);

    QDBusConnection connection_;
    QString owner_;
    QString path_;
    QString eventInterface_;
    bool advised_ = false;
    bool letGo_ = false;
    bool invoking_ = false;
};

}  // namespace nimbra
