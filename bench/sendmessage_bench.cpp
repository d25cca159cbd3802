// sendMessage round trips through the bus: the real engine on a private bus, one client that
// creates a message server object, advises it, logs in and sends messages, each call answered
// once the engine has filed the message in the Outbox and flushed it to the disk. With one call
// in flight (the default) each call waits for the reply to the one before; with more, that many
// calls are on their way at once, a burst whose messages share their flushes.
//
//   sendmessage_bench [message count] [calls in flight]      (defaults 3000 and 1)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <stdexcept>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

#include "running_engine.h"
#include "unGSMSMS.h"

namespace {

using Clock = std::chrono::steady_clock;

QDBusMessage Call(QDBusConnection& bus, const QString& path, const char* interface,
                  const char* method, const QVariantList& args = {}) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(QStringLiteral("org.nimbra.Transmit"), path,
                                       QString::fromLatin1(interface), QString::fromLatin1(method));
    call.setArguments(args);
    const QDBusMessage reply = bus.call(call, QDBus::Block, 30000);
    if (reply.type() != QDBusMessage::ReplyMessage)
        throw std::runtime_error(reply.errorMessage().toStdString());
    return reply;
}

// Sends count calls with up to inFlight of them unanswered at a time; throws on an error reply.
void SendPipelined(QDBusConnection& bus, const QString& path, const QVariant& msg, int count,
                   int inFlight) {
    int sent = 0;
    int answered = 0;
    QString error;
    std::function<void()> sendOne = [&] {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.nimbra.Transmit"), path,
            QStringLiteral("org.nimbra.Transmit.InbMessageServer"), QStringLiteral("sendMessage"));
        call.setArguments({msg});
        ++sent;
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 30000));
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [&](auto* finished) {
            finished->deleteLater();
            ++answered;
            if (finished->isError() && error.isEmpty())
                error = finished->error().message();
            if (sent < count && error.isEmpty())
                sendOne();
            if (answered == sent && (sent == count || !error.isEmpty()))
                QCoreApplication::exit(0);
        });
    };
    for (int i = 0; i < inFlight && sent < count; ++i)
        sendOne();
    QCoreApplication::exec();
    if (!error.isEmpty())
        throw std::runtime_error(error.toStdString());
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 3000;
    const int inFlight = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
    try {
        nimbra::testing_support::RunningEngine engine(TRANSMIT);
        engine.WriteServerSetting("eInstalledNumber", "0");
        engine.Start();
        QDBusConnection bus = engine.Connect();
        const QString path =
            Call(bus, QStringLiteral("/org/nimbra/Transmit"), "org.nimbra.Transmit.Server",
                 "CreateObject", {QStringLiteral("nbMessageServer")})
                .arguments()
                .at(0)
                .value<QDBusObjectPath>()
                .path();
        Call(bus, path, "org.nimbra.Transmit.ConnectionPoint", "Advise");
        Call(bus, path, "org.nimbra.Transmit.InbMessageServer", "login", {QStringLiteral("bench")});

        nimbra::TGsmSms record;
        record.receiver = "+36201234567";
        record.text = "A benchmark message of a usual length, some forty characters.";
        const QVariant msg =
            QVariant::fromValue(QDBusVariant(QString::fromStdString(record.ToText())));
        const auto start = Clock::now();
        if (inFlight == 1) {
            for (int i = 0; i < count; ++i)
                Call(bus, path, "org.nimbra.Transmit.InbMessageServer", "sendMessage", {msg});
        } else {
            SendPipelined(bus, path, msg, count, inFlight);
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        std::printf(
            "sendMessage, %d in flight: %d round trips in %.2f s: %.0f per second (%.3f ms each)\n",
            inFlight, count, seconds, count / seconds, seconds * 1000 / count);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sendmessage_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
