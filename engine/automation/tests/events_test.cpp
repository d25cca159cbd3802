// Which object hears what, and when: a device driven by hand through the bus carries a
// message from a client to "Sent Items"; reports, incoming messages, failures, the simple
// objects, mass sending and the engine closing.
#include <fstream>

#include <QDBusVariant>

#include "automation_fixture.h"
#include "event_wait.h"
#include "file_text.h"
#include "unGSMSMS.h"

namespace nimbra::testing_support {
namespace {

const QString kServer = QStringLiteral("nbMessageServer");

QString Arg(const Event& event, int index) {
    return Show(event.args.value(index));
}

const Event* Find(const BusClient& client, const QString& path, const QString& name) {
    for (const Event& event : client.Events()) {
        if (event.path == path && event.name == name)
            return &event;
    }
    return nullptr;
}

class EventsTest : public AutomationTest {
protected:
    // A device of client b that connects when the server starts.
    void ReadyDevice() {
        device = Ready(*b, QStringLiteral("nbSMSPhone"), QStringLiteral("loop"));
        b->CallObject(device, QStringLiteral("sendInfo"),
                      {QStringLiteral("operator"), QStringLiteral("LoopNet")});
    }
    void StartServer() {
        a->CallObject(server, QStringLiteral("startServer"));
        ASSERT_TRUE(b->WaitForEvent(QStringLiteral("Connect")));
        b->CallObject(device, QStringLiteral("connectionSuccess"));
    }
    // Sends a message through a's server and waits for the device to get it.
    QString SendThroughDevice(const std::string& text) {
        const QDBusMessage reply =
            a->CallObject(server, QStringLiteral("sendMessage"), {Wrap(Record("+3620111", text))});
        const QString id = Show(reply.arguments().value(1));
        EXPECT_TRUE(b->WaitForEvent(QStringLiteral("Transmit")));
        return id;
    }

    QString server;
    QString device;
};

TEST_F(EventsTest, ADeviceCarriesAMessageToSentItemsAndReportsComeBack) {
    server = Ready(*a, kServer, QStringLiteral("client"));
    const QString easy = Ready(*a, QStringLiteral("nbEasySMS"));
    ReadyDevice();
    StartServer();
    a->CallObject(easy, QStringLiteral("startServer"));  // names it; the server runs already
    ASSERT_TRUE(a->WaitForEvent(QStringLiteral("Error")));
    const Event* refused = Find(*a, easy, QStringLiteral("Error"));
    ASSERT_NE(refused, nullptr);
    EXPECT_EQ(Arg(*refused, 0), QStringLiteral("i:5"));
    EXPECT_EQ(Arg(*refused, 1), QStringLiteral("Server already running"));

    const QString id = SendThroughDevice("hello");
    const Event* transmit = Find(*b, device, QStringLiteral("Transmit"));
    ASSERT_NE(transmit, nullptr);
    EXPECT_TRUE(Arg(*transmit, 0).contains(QStringLiteral("hello")));
    b->CallObject(device, QStringLiteral("sendSuccess"), {id, QStringLiteral("{+3630},{ref9}")});
    ASSERT_TRUE(a->WaitForEvent(QStringLiteral("MessageSent")));
    EXPECT_EQ(Arg(*Find(*a, server, QStringLiteral("MessageSent")), 0), id);
    EXPECT_TRUE(
        ProcessEventsUntil([&] { return Find(*a, easy, QStringLiteral("MessageSent")); }, 5000));
    // Filed in Sent Items with the sending number and the device's operator; the reference
    // stays with the stored message (records do not carry it) and matches the report below.
    const QDBusMessage stored = a->CallObject(server, QStringLiteral("getMessage"), {Wrap(id)});
    EXPECT_TRUE(
        Show(stored.arguments().value(0)).startsWith(QStringLiteral("{GSMSMS}{LoopNet}{+3630}")))
        << ShowAll(stored).join(QLatin1Char(';')).toStdString();
    const auto sentFiles = std::distance(
        std::filesystem::directory_iterator(engine->home() / "SysFolders/Sent Items"), {});
    EXPECT_EQ(sentFiles, 1);

    // The delivery report of that reference.
    TGsmSms report;
    report.type = "GSMSMS_DELIVERY_REPORT";
    report.sender = "+3620111";
    report.reference = "ref9";
    b->CallObject(device, QStringLiteral("smsReceived"), {QString::fromStdString(report.ToText())});
    ASSERT_TRUE(a->WaitForEvent(QStringLiteral("MessageDelivered")));
    EXPECT_EQ(Arg(*Find(*a, server, QStringLiteral("MessageDelivered")), 0), id);

    // An incoming message.
    TGsmSms incoming;
    incoming.sender = "+3640222";
    incoming.text = "a reply";
    b->CallObject(device, QStringLiteral("smsReceived"),
                  {QString::fromStdString(incoming.ToText())});
    ASSERT_TRUE(a->WaitForEvent(QStringLiteral("MessageReceived")));
    ASSERT_TRUE(ProcessEventsUntil(
        [&] { return Find(*a, easy, QStringLiteral("MessageReceived")); }, 5000));
    EXPECT_TRUE(Arg(*Find(*a, server, QStringLiteral("MessageReceived")), 0)
                    .contains(QStringLiteral("a reply")));
    const Event* plain = Find(*a, easy, QStringLiteral("MessageReceived"));
    EXPECT_EQ(Arg(*plain, 1), QStringLiteral("a reply"));
    EXPECT_TRUE(Arg(*plain, 0).contains(QStringLiteral("3640222")));
}

TEST_F(EventsTest, AcceptedForDeliveryReachesEveryClientBeforeSendMessageReturns) {
    server = Ready(*a, kServer, QStringLiteral("sender"));
    const QString other = Ready(*b, kServer, QStringLiteral("listener"));
    const QDBusMessage reply = a->CallObject(server, QStringLiteral("sendMessage"),
                                             {Wrap(Record("+3620111", "x", "4242"))});
    // Recorded while the call was still waiting for its reply.
    const Event* accepted = Find(*a, server, QStringLiteral("MessageAcceptedForDelivery"));
    ASSERT_NE(accepted, nullptr);
    EXPECT_EQ(Arg(*accepted, 0), QStringLiteral("sender 1"));
    EXPECT_EQ(Arg(*accepted, 1), QStringLiteral("4242"));
    EXPECT_EQ(ShowAll(reply).value(1), QStringLiteral("4242"));
    EXPECT_TRUE(b->WaitForEvent(QStringLiteral("MessageAcceptedForDelivery")));
}

TEST_F(EventsTest, AFailedAttemptWithARetryLeftSaysSoAndTheLastOneOnlyDeletes) {
    engine.reset();
    engine = std::make_unique<RunningEngine>(TRANSMIT);
    engine->WriteServerSetting("eSendRetries", "1");
    engine->Start();
    a = NewClient();
    b = NewClient();
    server = Ready(*a, kServer, QStringLiteral("client"));
    const QString easy = Ready(*a, QStringLiteral("nbEasySMS"));
    const QString control = Ready(*a, QStringLiteral("nbServiceControl"));
    ReadyDevice();
    StartServer();
    a->CallObject(easy, QStringLiteral("startServer"));
    a->CallObject(control, QStringLiteral("startServer"));
    const QString id = SendThroughDevice("doomed");
    const auto errorsOne = [&](const QString& path) {
        int count = 0;
        for (const Event& e : a->Events())
            count += e.path == path && e.name == QLatin1String("Error") &&
                             Arg(e, 0) == QLatin1String("i:1")
                         ? 1
                         : 0;
        return count;
    };

    b->CallObject(device, QStringLiteral("sendFailed"), {id, QStringLiteral("no network")});
    ASSERT_TRUE(ProcessEventsUntil([&] { return errorsOne(control) == 1; }, 5000));
    const Event* error = Find(*a, server, QStringLiteral("Error"));
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(Arg(*error, 0), QStringLiteral("i:1"));
    EXPECT_EQ(Arg(*error, 2), id);
    EXPECT_EQ(Arg(*error, 3), QStringLiteral("1"));
    EXPECT_EQ(errorsOne(easy), 1);

    // The second attempt is the last.
    b->ClearEvents();
    a->CallObject(server, QStringLiteral("reSendMessage"), {Wrap(id)});
    ASSERT_TRUE(b->WaitForEvent(QStringLiteral("Transmit")));
    b->CallObject(device, QStringLiteral("sendFailed"), {id, QStringLiteral("no network")});
    ASSERT_TRUE(a->WaitForEvent(QStringLiteral("MessageDeleted")));
    EXPECT_EQ(Arg(*Find(*a, server, QStringLiteral("MessageDeleted")), 0), id);
    ASSERT_TRUE(ProcessEventsUntil(
        [&] {
            for (const Event& e : a->Events()) {
                if (e.path == easy && e.name == QLatin1String("Error") &&
                    Arg(e, 0) == QLatin1String("i:7"))
                    return true;
            }
            return false;
        },
        5000));
    for (const QString& path : {server, easy, control})
        EXPECT_EQ(errorsOne(path), 1) << path.toStdString();
}

TEST_F(EventsTest, EasySendingSplitsNumbersAndTexts) {
    server = Ready(*a, kServer, QStringLiteral("counter"));
    const QString easy = Ready(*a, QStringLiteral("nbEasySMS"));
    const QDBusMessage mixed =
        a->CallObject(easy, QStringLiteral("sendMessage"),
                      {Wrap(QStringLiteral("111,abc;222")), Wrap(QStringLiteral("Hi"))});
    EXPECT_EQ(mixed.type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(OutboxCount(*a, server), 2);
    const Event* invalid = Find(*a, easy, QStringLiteral("Error"));
    ASSERT_NE(invalid, nullptr);
    EXPECT_EQ(Arg(*invalid, 0), QStringLiteral("i:3"));
    EXPECT_EQ(Arg(*invalid, 1), QStringLiteral("Invalid phone number: abc"));

    const QString text = QString(160, QLatin1Char('a')) + QLatin1Char('z');
    const QDBusMessage longer = a->CallObject(easy, QStringLiteral("sendMessage"),
                                              {Wrap(QStringLiteral("111;222")), Wrap(text)});
    EXPECT_EQ(OutboxCount(*a, server), 6);
    const QString last = Show(longer.arguments().value(0));
    const QDBusMessage stored = a->CallObject(server, QStringLiteral("getMessage"), {Wrap(last)});
    EXPECT_TRUE(Show(stored.arguments().value(0)).contains(QStringLiteral("{z}")));
}

TEST_F(EventsTest, ServiceControlStopsAStartThatWaitsForADeviceAndSaysWhenItCannot) {
    const QString control = Ready(*a, QStringLiteral("nbServiceControl"));
    // A device whose driver never answers Connect.
    device = Ready(*b, QStringLiteral("nbSMSPhone"), QStringLiteral("silent"));
    a->CallObject(control, QStringLiteral("startServer"));
    ASSERT_TRUE(a->WaitForEvent(QStringLiteral("Started")));
    ASSERT_TRUE(b->WaitForEvent(QStringLiteral("Connect")));
    a->CallObject(control, QStringLiteral("stopServer"));
    ASSERT_TRUE(a->WaitForEvent(QStringLiteral("Stopped")));
    EXPECT_EQ(Find(*a, control, QStringLiteral("Error")), nullptr);
    ASSERT_TRUE(b->WaitForEvent(QStringLiteral("Disconnect")));

    a->ClearEvents();
    a->CallObject(control, QStringLiteral("stopServer"));
    ASSERT_TRUE(a->WaitForEvent(QStringLiteral("Error")));
    const Event* error = Find(*a, control, QStringLiteral("Error"));
    EXPECT_EQ(Arg(*error, 0), QStringLiteral("i:6"));
    EXPECT_EQ(Arg(*error, 1), QStringLiteral("Server is not running"));
}

TEST_F(EventsTest, ADeviceThatLeavesTheBusGivesItsMessageToTheNextDevice) {
    server = Ready(*a, kServer, QStringLiteral("client"));
    ReadyDevice();
    StartServer();
    const QString id = SendThroughDevice("stranded");
    b.reset();  // the driver's connection ends without an answer

    auto next = NewClient();
    const QString other = Ready(*next, QStringLiteral("nbSMSPhone"), QStringLiteral("next"));
    next->CallObject(other, QStringLiteral("connectionSuccess"));
    ASSERT_TRUE(next->WaitForEvent(QStringLiteral("Transmit")));
    const Event* transmit = Find(*next, other, QStringLiteral("Transmit"));
    TGsmSms record;
    record.FromText(Arg(*transmit, 0).toStdString());
    EXPECT_EQ(QString::fromStdString(record.messageId), id);
    next->CallObject(other, QStringLiteral("sendSuccess"), {id, QStringLiteral("+3620999")});
    ASSERT_TRUE(a->WaitForEvent(QStringLiteral("MessageSent")));
    EXPECT_EQ(Find(*a, server, QStringLiteral("Error")), nullptr);
}

TEST_F(EventsTest, AMassSendFilesEveryLineOfAThousandLineFile) {
    server = Ready(*a, kServer, QStringLiteral("bulk"));
    const std::filesystem::path file = engine->home() / "bulk.txt";
    {
        std::ofstream out(file, std::ios::binary);
        for (int i = 0; i < 1000; ++i)
            out << Record("+36201" + std::to_string(i), "bulk " + std::to_string(i), "1")
                       .toStdString()
                << "\r\n";
    }
    const QDBusMessage reply = a->CallObject(
        server, QStringLiteral("getSystemInfo"),
        {Wrap(QString::fromStdString(file.string())), Wrap(QStringLiteral("masssend"))});
    EXPECT_EQ(ShowAll(reply), (QStringList{QStringLiteral("<empty>"), QStringLiteral("i:1")}));
    EXPECT_EQ(OutboxCount(*a, server), 1000);
    EXPECT_EQ(Find(*a, server, QStringLiteral("MessageAcceptedForDelivery")), nullptr);
}

TEST_F(EventsTest, ClosingTheEngineStopsAndShutsDownClientsAndDevices) {
    server = Ready(*a, kServer, QStringLiteral("client"));
    ReadyDevice();
    StartServer();
    ASSERT_TRUE(engine->Stop());
    ProcessEventsUntil([&] { return Find(*b, device, QStringLiteral("ServerShutdown")); }, 5000);
    EXPECT_EQ(a->EventNames(server), (std::vector<QString>{QStringLiteral("ServerStarted"),
                                                           QStringLiteral("ServerStopped"),
                                                           QStringLiteral("ServerShutdown")}));
    EXPECT_EQ(b->EventNames(device),
              (std::vector<QString>{QStringLiteral("Connect"), QStringLiteral("Disconnect"),
                                    QStringLiteral("ServerShutdown")}));
    // The files other programs read say what a Stop says.
    EXPECT_EQ(ReadFileText(engine->home() / "logs/status0.txt"), "The Server is Stoped\r\n");
    EXPECT_EQ(ReadFileText(engine->home() / "logs/startbtn.state"), "enabled\r\n");
    EXPECT_EQ(ReadFileText(engine->home() / "logs/stopbtn.state"), "disabled\r\n");
}

}  // namespace
}  // namespace nimbra::testing_support
