// The binding against the real engine: a device and a client written with it carry a message
// to "Sent Items", events raised during a call arrive before the call returns, empty VARIANTs
// and failures come through as such, and the engine leaving the bus is noticed.

#include <csignal>
#include <filesystem>
#include <string>

#include <QCoreApplication>
#include <QObject>
#include <QTimer>

#include <gtest/gtest.h>

#include "Transmit_TLB.h"
#include "event_wait.h"
#include "file_text.h"
#include "loopback_device.h"
#include "running_engine.h"
#include "unGSMSMS.h"

namespace nimbra::testing_support {
namespace {

namespace fs = std::filesystem;
using com::TnbMessageServerProxy;
using com::TransmitEngine;
using com::TransmitError;

constexpr int kTimeoutMs = 20000;

QString Record(const std::string& receiver, const std::string& text) {
    TGsmSms sms;
    sms.receiver = receiver;
    sms.text = text;
    return QString::fromStdString(sms.ToText());
}

// Whether a message file in folder holds text.
bool FolderHolds(const fs::path& folder, const QString& text) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.path().extension() == ".sms" &&
            ReadFileText(entry.path()).find(text.toStdString()) != std::string::npos)
            return true;
    }
    return false;
}

class BindingTest : public ::testing::Test {
protected:
    void SetUp() override { engine.Start(); }
    // Each attachment has a connection of its own, as separate programs would.
    TransmitEngine Attach() { return TransmitEngine::Attach(engine.Connect()); }

    RunningEngine engine{TRANSMIT};
};

TEST_F(BindingTest, ALoopbackDeviceCarriesAClientsMessageToSentItems) {
    LoopbackDevice device(Attach());
    EXPECT_TRUE(device.exeDir().endsWith(QLatin1Char('/'))) << device.exeDir().toStdString();
    EXPECT_FALSE(device.realName().isEmpty());

    TnbMessageServerProxy client(Attach());
    client.login(QStringLiteral("tester"));
    QStringList sent;
    QObject::connect(&client, &TnbMessageServerProxy::MessageSent,
                     [&sent](const QVariant& messageId) { sent << messageId.toString(); });
    EXPECT_EQ(client.startServer(), QVariant(1));

    QVariant msg = Record("+3620111", "hello");
    const QString messageId = client.sendMessage(msg).toString();
    ASSERT_FALSE(messageId.isEmpty());
    // msg came back as the stored record, with the id the engine gave it.
    EXPECT_TRUE(msg.toString().contains(QStringLiteral("{hello}{") + messageId + '}'))
        << msg.toString().toStdString();

    ASSERT_TRUE(ProcessEventsUntil([&] { return sent.contains(messageId); }, kTimeoutMs));
    EXPECT_EQ(device.transmitted(), QStringList{messageId});
    EXPECT_TRUE(device.failures().isEmpty()) << device.failures().join('\n').toStdString();
    // The engine files the message a moment after it reports it sent.
    EXPECT_TRUE(ProcessEventsUntil(
        [&] {
            return FolderHolds(engine.home() / "SysFolders/Sent Items", messageId) &&
                   !FolderHolds(engine.home() / "SysFolders/Outbox", messageId);
        },
        kTimeoutMs));
    QVariant stored;
    EXPECT_EQ(client.getMessage(messageId, stored), QVariant(1));
    // The sender the device reported; the network reference stays in the message's file.
    EXPECT_TRUE(stored.toString().contains(QStringLiteral("{+3612345}")))
        << stored.toString().toStdString();
    EXPECT_TRUE(FolderHolds(engine.home() / "SysFolders/Sent Items", QStringLiteral("ref1")));
}

TEST_F(BindingTest, EventsRaisedDuringACallReachTheClientBeforeTheCallReturns) {
    TnbMessageServerProxy client(Attach());
    const QString realName = client.login(QStringLiteral("tester")).toString();
    QStringList accepted;
    QObject::connect(
        &client, &TnbMessageServerProxy::MessageAcceptedForDelivery,
        [&accepted](const QString& source, const QVariant& messageId, const QVariant& msg) {
            accepted << source << messageId.toString() << msg.toString();
        });
    QVariant msg = Record("+3620111", "during the call");
    const QString messageId = client.sendMessage(msg).toString();
    // Nothing ran the event loop since the call returned.
    ASSERT_EQ(accepted.size(), 3);
    EXPECT_EQ(accepted[0], realName);
    EXPECT_EQ(accepted[1], messageId);
    EXPECT_TRUE(accepted[2].contains(QStringLiteral("{during the call}")))
        << accepted[2].toStdString();
}

TEST_F(BindingTest, CallsStillWaitForTheirAnswerAfterTheApplicationWasAskedToQuit) {
    // A ServerShutdown handler typically quits and then cleans up with further calls.
    TnbMessageServerProxy client(Attach());
    client.login(QStringLiteral("closing"));
    int accepted = 0;
    QObject::connect(&client, &TnbMessageServerProxy::MessageAcceptedForDelivery,
                     [&accepted] { ++accepted; });
    bool failed = false;
    QTimer::singleShot(0, [&] {
        QCoreApplication::quit();
        QVariant msg = Record("+3620111", "after quit");
        client.sendMessage(msg);
        EXPECT_EQ(accepted, 1);  // the event came before the answer, as always
        QVariant response;
        try {
            client.getSystemInfo(QStringLiteral("/nonexistent/list.txt"),
                                 QStringLiteral("masssend"), response);
        } catch (const TransmitError&) {
            failed = true;
        }
    });
    QCoreApplication::exec();
    EXPECT_TRUE(failed);
}

TEST_F(BindingTest, EmptyVariantsFailuresAndLateBoundCallsComeThroughAsSuch) {
    TnbMessageServerProxy client(Attach());
    // A query the engine does not know sets neither the response nor the status.
    QVariant response = QStringLiteral("stale");
    EXPECT_FALSE(
        client.getSystemInfo(QStringLiteral("x"), QStringLiteral("nothing"), response).isValid());
    EXPECT_FALSE(response.isValid());
    // An empty VARIANT as an argument is a message id that no message has.
    EXPECT_EQ(client.deleteMessage(QVariant()), QVariant(0));

    // getSystemInfo by its dispatch id: the response is the one out value, the status the
    // result.
    const auto count = client.Invoke(7, {QStringLiteral("count"), QStringLiteral("sendqueue")});
    EXPECT_EQ(count.result, QVariant(1));
    EXPECT_EQ(count.out, QVariantList{QVariant(0)});

    try {
        client.getSystemInfo(QStringLiteral("/nonexistent/list.txt"), QStringLiteral("masssend"),
                             response);
        ADD_FAILURE() << "a mass send of a missing file succeeded";
    } catch (const TransmitError& e) {
        EXPECT_TRUE(e.IsOperationFailure()) << e.name().toStdString();
        EXPECT_FALSE(e.text().isEmpty());
    }
}

TEST_F(BindingTest, AnUnadvisedObjectGetsNoEvents) {
    TnbMessageServerProxy quiet(Attach());
    quiet.login(QStringLiteral("quiet"));
    TnbMessageServerProxy listening(Attach());
    listening.login(QStringLiteral("listening"));
    int quietStarts = 0;
    int listeningStarts = 0;
    QObject::connect(&quiet, &TnbMessageServerProxy::ServerStarted, [&] { ++quietStarts; });
    QObject::connect(&listening, &TnbMessageServerProxy::ServerStarted, [&] { ++listeningStarts; });
    quiet.Unadvise();
    EXPECT_FALSE(quiet.IsAdvised());

    EXPECT_EQ(listening.startServer(), QVariant(1));
    ASSERT_TRUE(ProcessEventsUntil([&] { return listeningStarts == 1; }, kTimeoutMs));
    // The engine raised the event on every client before it takes this call, and the reply
    // comes after whatever it sent this client before: no event is still on its way.
    QVariant response;
    quiet.getSystemInfo(QStringLiteral("count"), QStringLiteral("sendqueue"), response);
    EXPECT_EQ(quietStarts, 0);
}

class EngineGoneTest : public BindingTest, public ::testing::WithParamInterface<int> {};

TEST_P(EngineGoneTest, TheBindingNoticesTheEngineLeavingTheBus) {
    TnbMessageServerProxy client(Attach());
    client.login(QStringLiteral("tester"));
    bool gone = false;
    bool shutdown = false;
    QObject::connect(&client, &TnbMessageServerProxy::engineGone, [&gone] { gone = true; });
    QObject::connect(&client, &TnbMessageServerProxy::ServerShutdown,
                     [&shutdown] { shutdown = true; });

    engine.process().Signal(GetParam());
    ASSERT_TRUE(engine.process().WaitForExit(std::chrono::milliseconds(kTimeoutMs)));
    ASSERT_TRUE(ProcessEventsUntil([&] { return gone; }, kTimeoutMs));
    EXPECT_TRUE(client.IsEngineGone());
    // An engine that closes in order tells its clients first.
    EXPECT_EQ(shutdown, GetParam() == SIGTERM);
    EXPECT_THROW(client.startServer(), TransmitError);
}

INSTANTIATE_TEST_SUITE_P(EndedBy, EngineGoneTest, ::testing::Values(SIGTERM, SIGKILL));

}  // namespace
}  // namespace nimbra::testing_support
