#include "automationobject.h"

#include <exception>

#include <QMetaMethod>

#include "automationvalues.h"
#include "durablewrites.h"

namespace nimbra {
namespace {

constexpr char kNotStoredText[] = "The message could not be written to the disk";

// The out arguments of the slot that serves a bus call: its return value and the parameters
// beyond the call's in arguments.
int OutArgumentCount(const QMetaObject& meta, const QDBusMessage& call) {
    const QByteArray name = call.member().toLatin1();
    const int ins = static_cast<int>(call.arguments().size());
    for (int i = 0; i < meta.methodCount(); ++i) {
        const QMetaMethod method = meta.method(i);
        if (method.methodType() != QMetaMethod::Slot || method.name() != name ||
            method.parameterCount() < ins)
            continue;
        return method.parameterCount() - ins +
               (method.returnMetaType().id() == QMetaType::Void ? 0 : 1);
    }
    return 0;
}

}  // namespace

AutomationObject::AutomationObject(const QDBusConnection& connection, QString owner, QString path,
                                   QString eventInterface)
    : connection_(connection),
      owner_(std::move(owner)),
      path_(std::move(path)),
      eventInterface_(std::move(eventInterface)) {}

AutomationObject::~AutomationObject() = default;

void AutomationObject::Fail(const char* errorName, const QString& text) {
    if (calledFromDBus())
        sendErrorReply(QString::fromLatin1(errorName), text);
}

bool AutomationObject::Admit() {
    if (!calledFromDBus())
        return !letGo_;
    if (message().service() != owner_) {
        Fail(kNotOwnerError, QStringLiteral("The object %1 belongs to another client").arg(path_));
        return false;
    }
    if (letGo_) {
        Fail(kObjectGoneError, QStringLiteral("The object %1 was released").arg(path_));
        return false;
    }
    return true;
}

void AutomationObject::Advise() {
    if (!Admit())
        return;
    if (advised_) {
        Fail(kFailedError, QStringLiteral("The object %1 has an event sink already").arg(path_));
        return;
    }
    advised_ = true;
    SinkChanged(true);
}

void AutomationObject::Unadvise() {
    if (!Admit() || !advised_)
        return;
    advised_ = false;
    SinkChanged(false);
}

void AutomationObject::Release() {
    if (!Admit())
        return;
    LetGo();
}

void AutomationObject::LetGo() {
    if (letGo_)
        return;
    letGo_ = true;
    advised_ = false;
    Released();
    if (onLetGo)
        onLetGo(this);
}

QDBusVariant AutomationObject::Invoke(int dispid, const QVariantList& args, QVariantList& out) {
    out.clear();
    if (!Admit())
        return EmptyVariant();
    invoking_ = true;
    Outcome outcome;
    bool known = false;
    const bool done = DispatchStored(dispid, args, outcome, known);
    invoking_ = false;
    if (!done)
        return EmptyVariant();
    if (!known) {
        Fail(kUnknownDispIdError,
             QStringLiteral("The object %1 has no operation with dispatch id %2")
                 .arg(path_)
                 .arg(dispid));
        return EmptyVariant();
    }
    for (std::size_t i = 0; i < outcome.outs.size(); ++i)
        out.push_back(QVariant::fromValue(outcome.Out(i)));
    return outcome.Result();
}

bool AutomationObject::DispatchStored(int dispid, const QVariantList& args, Outcome& outcome,
                                      bool& known) {
    DurableWrites& writes = ProcessDurableWrites();
    const std::size_t first = writes.WriteCount();
    std::string failure;
    try {
        DurableWritesHold hold;
        known = Dispatch(dispid, args, outcome);
    } catch (const std::exception& e) {
        failure = e.what();
    }
    const std::size_t last = writes.WriteCount();
    // With the flusher running, the answer waits for it while the next calls are served: the
    // messages of a burst of calls share their flushes.
    if (failure.empty() && last > first && writes.Flushing() && calledFromDBus() &&
        !isDelayedReply()) {
        AnswerWhenStored(first, last, outcome);
        writes.CommitSoon();
        return true;
    }
    // The files of a failed call are committed too: what it changed stays changed.
    writes.Commit();
    if (failure.empty() && writes.AnyFailed(first, last))
        failure = kNotStoredText;
    if (failure.empty())
        return true;
    Fail(kFailedError, FailureText(failure.c_str()));
    return false;
}

void AutomationObject::AnswerWhenStored(std::size_t first, std::size_t last,
                                        const Outcome& outcome) {
    QVariantList values;
    if (invoking_) {
        QVariantList outs;
        for (std::size_t i = 0; i < outcome.outs.size(); ++i)
            outs.push_back(QVariant::fromValue(outcome.Out(i)));
        values = {QVariant::fromValue(outcome.Result()), QVariant::fromValue(outs)};
    } else {
        // A named operation answers its out values in order, the result last, as the slot
        // would: its return value and its reference parameters.
        const int outCount = OutArgumentCount(*metaObject(), message());
        for (int i = 0; i + 1 < outCount; ++i)
            values.push_back(QVariant::fromValue(outcome.Out(static_cast<std::size_t>(i))));
        if (outCount > 0)
            values.push_back(QVariant::fromValue(outcome.Result()));
    }
    setDelayedReply(true);
    const QDBusMessage reply = message().createReply(values);
    const QDBusMessage refusal = message().createErrorReply(QString::fromLatin1(kFailedError),
                                                            QString::fromLatin1(kNotStoredText));
    ProcessDurableWrites().WhenCommitted(first, last,
                                         [connection = connection_, reply, refusal](bool stored) {
                                             connection.send(stored ? reply : refusal);
                                         });
}

QDBusVariant AutomationObject::Outcome::Result() const {
    return resultIsPath ? PathToBus(result) : ToBus(result);
}

QDBusVariant AutomationObject::Outcome::Out(std::size_t index) const {
    if (index >= outs.size())
        return EmptyVariant();
    return outIsPath ? PathToBus(outs[index]) : ToBus(outs[index]);
}

AutomationObject::Outcome AutomationObject::Call(int dispid, const QVariantList& args) {
    Outcome outcome;
    if (!Admit())
        return outcome;
    bool known = false;
    if (!DispatchStored(dispid, args, outcome, known))
        return {};
    return outcome;
}

void AutomationObject::ExpectArguments(const QVariantList& args, int count, int dispid) {
    if (args.size() != count)
        throw ArgumentError("The operation with dispatch id " + std::to_string(dispid) + " takes " +
                            std::to_string(count) + " argument(s), not " +
                            std::to_string(args.size()));
}

AutomationObject::LaterAnswer AutomationObject::AnswerLater() {
    if (!calledFromDBus())
        return {[] {}, [] {}};
    setDelayedReply(true);
    QDBusMessage reply = message().createReply();
    if (invoking_)
        reply << QVariant::fromValue(EmptyVariant()) << QVariant::fromValue(QVariantList{});
    const QDBusMessage refusal = message().createErrorReply(
        QString::fromLatin1(kObjectGoneError),
        QStringLiteral("The object %1 was let go before it got the lock").arg(path_));
    return {[connection = connection_, reply] { connection.send(reply); },
            [connection = connection_, refusal] { connection.send(refusal); }};
}

void AutomationObject::Emit(const char* name, const QVariantList& args) {
    if (!advised_ || letGo_)
        return;
    QDBusMessage signal = QDBusMessage::createTargetedSignal(owner_, path_, eventInterface_,
                                                             QString::fromLatin1(name));
    signal.setArguments(args);
    connection_.send(signal);
}

}  // namespace nimbra
