// nbsms watch: a client of its own (login "nbsms") that prints every event of the engine as
// one line with a timestamp, until a stop signal (Ctrl-C, SIGTERM), the engine's shutdown
// notice or the engine leaving the bus.

#include <QCoreApplication>
#include <QDateTime>
#include <QObject>
#include <QStringList>

#include "commands.h"
#include "messageserverproxy.h"
#include "output.h"
#include "stopsignals.h"
#include "transmiterror.h"

namespace nbsms {
namespace {

using nimbra::com::TnbMessageServerProxy;

QString Field(const QString& text) {
    return EscapedField(text);
}

QString Field(const QVariant& value) {
    return EscapedField(ValueText(value));
}

void PrintEvent(const QString& name, const QStringList& fields = {}) {
    QStringList parts{QDateTime::currentDateTime().toString(Qt::ISODateWithMs), name};
    parts += fields;
    PrintLine(parts.join(QLatin1Char(' ')));
}

void PrintEvents(TnbMessageServerProxy& server) {
    using S = TnbMessageServerProxy;
    QObject::connect(&server, &S::ServerStarted,
                     [] { PrintEvent(QStringLiteral("ServerStarted")); });
    QObject::connect(&server, &S::ServerStopped,
                     [] { PrintEvent(QStringLiteral("ServerStopped")); });
    QObject::connect(&server, &S::MessageSent, [](const QVariant& messageId) {
        PrintEvent(QStringLiteral("MessageSent"), {Field(messageId)});
    });
    QObject::connect(&server, &S::MessageDelivered, [](const QVariant& messageId) {
        PrintEvent(QStringLiteral("MessageDelivered"), {Field(messageId)});
    });
    QObject::connect(&server, &S::MessageReceived, [](const QVariant& msg) {
        PrintEvent(QStringLiteral("MessageReceived"), {Field(msg)});
    });
    QObject::connect(&server, &S::MessageDeleted, [](const QVariant& messageId) {
        PrintEvent(QStringLiteral("MessageDeleted"), {Field(messageId)});
    });
    QObject::connect(
        &server, &S::Error,
        [](int code, const QString& message, const QVariant& data, const QString& level) {
            PrintEvent(QStringLiteral("Error"),
                       {QString::number(code), Field(data), Field(level), Field(message)});
        });
    QObject::connect(&server, &S::info, [](const QString& content) {
        PrintEvent(QStringLiteral("info"), {Field(content)});
    });
    QObject::connect(&server, &S::MessageAcceptedForDelivery,
                     [](const QString& source, const QVariant& messageId, const QVariant& msg) {
                         PrintEvent(QStringLiteral("MessageAcceptedForDelivery"),
                                    {Field(source), Field(messageId), Field(msg)});
                     });
    QObject::connect(&server, &S::MenuItemClick, [](const QVariant& name) {
        PrintEvent(QStringLiteral("MenuItemClick"), {Field(name)});
    });
}

}  // namespace

int Watch(const nimbra::com::TransmitEngine& engine, const Request&) {
    TnbMessageServerProxy server(engine);
    PrintEvents(server);
    // The engine closes: the client lets go of its object, as every client must.
    bool shutdown = false;
    QObject::connect(&server, &TnbMessageServerProxy::ServerShutdown, [&shutdown] {
        PrintEvent(QStringLiteral("ServerShutdown"));
        shutdown = true;
        QCoreApplication::quit();
    });
    QObject::connect(&server, &TnbMessageServerProxy::engineGone, [] {
        PrintEvent(QStringLiteral("engine left the bus"));
        QCoreApplication::quit();
    });
    // A stop that comes before the event loop runs (during login) is remembered: quit() does
    // not reach an exec() that has not begun.
    bool stopped = false;
    const nimbra::StopSignals stopSignals([&stopped] {
        stopped = true;
        QCoreApplication::quit();
    });

    const QVariant realName = server.login(QStringLiteral("nbsms"));
    PrintEvent(QStringLiteral("watching as"), {Field(realName)});
    if (!stopped && !shutdown && !server.IsEngineGone())
        QCoreApplication::exec();

    if (server.IsEngineGone())
        return kExitOk;
    try {
        if (!shutdown)
            server.logout();
        server.Release();
    } catch (const nimbra::com::TransmitError&) {
        // An engine that is closing may be gone before it answers; there is nothing left to
        // let go of then.
        if (!shutdown && !server.IsEngineGone())
            throw;
    }
    return kExitOk;
}

}  // namespace nbsms
