#include "automation_fixture.h"

#include <QDBusVariant>

#include "unGSMSMS.h"

namespace nimbra::testing_support {

void AutomationTest::SetUp() {
    engine = std::make_unique<RunningEngine>(TRANSMIT);
    engine->Start();
    a = NewClient();
    b = NewClient();
}

std::unique_ptr<BusClient> AutomationTest::NewClient() {
    return std::make_unique<BusClient>(engine->busAddress(),
                                       QStringLiteral("client%1").arg(++clients_));
}

QString AutomationTest::Ready(BusClient& client, const QString& className, const QString& name) {
    const QString path = client.Create(className);
    EXPECT_FALSE(path.isEmpty()) << className.toStdString();
    EXPECT_EQ(client.Advise(path).type(), QDBusMessage::ReplyMessage);
    if (!name.isEmpty())
        client.CallObject(path, QStringLiteral("login"), {name});
    return path;
}

QString AutomationTest::Record(const std::string& to, const std::string& text,
                               const std::string& messageId) {
    TGsmSms record;
    record.receiver = to;
    record.text = text;
    record.messageId = messageId;
    return QString::fromStdString(record.ToText());
}

int AutomationTest::OutboxCount(BusClient& client, const QString& server) {
    const QDBusMessage reply =
        client.CallObject(server, QStringLiteral("getSystemInfo"),
                          {Wrap(QStringLiteral("count")), Wrap(QStringLiteral("sendqueue"))});
    if (reply.arguments().size() != 2)
        return -1;
    return reply.arguments().at(0).value<QDBusVariant>().variant().toInt();
}

}  // namespace nimbra::testing_support
