// sendMessage round trips through the bus: the real engine on a private bus, one client that
// creates a message server object, advises it, logs in and sends messages one after another,
// each waiting for its reply (the engine files every message in the Outbox before answering).
//
//   sendmessage_bench [message count]      (default 3000)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
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

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 3000;
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
        for (int i = 0; i < count; ++i)
            Call(bus, path, "org.nimbra.Transmit.InbMessageServer", "sendMessage", {msg});
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        std::printf("sendMessage: %d round trips in %.2f s: %.0f per second (%.3f ms each)\n",
                    count, seconds, count / seconds, seconds * 1000 / count);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sendmessage_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
