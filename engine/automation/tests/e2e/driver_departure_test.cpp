// A real driver killed while it holds a message: the engine notices its connection leave the
// bus and offers the message to the next device that is ready, without using a retry.
#include <csignal>
#include <memory>
#include <string>

#include <QStringList>

#include <gtest/gtest.h>

#include "Transmit_TLB.h"
#include "child_process.h"
#include "driver_time_scale.h"
#include "event_wait.h"
#include "file_text.h"
#include "keypath.h"
#include "running_engine.h"
#include "simulator_process.h"
#include "unGSMSMS.h"

namespace nimbra::testing_support {
namespace {

using com::TnbMessageServerProxy;
using com::TnbSMSPhoneProxy;
using com::TransmitEngine;

constexpr int kTimeoutMs = 20000;

class DriverDepartureTest : public ::testing::Test {
protected:
    std::string ScreenLog() const {
        const auto path = engine.home() / "logs/screen-log.txt";
        return std::filesystem::exists(path) ? ReadFileText(path) : std::string();
    }

    ScopedDriverTimeScale timeScale;
    RunningEngine engine{TRANSMIT};
};

TEST_F(DriverDepartureTest, AKilledDriversMessageGoesToTheNextReadyDevice) {
    // A message centre that takes submits and never answers them: the driver holds the
    // message until it dies.
    SimulatorProcess simulator(MCSIM, {"--protocol", "smpp", "--no-submit-answer"});
    engine.WriteServerSetting("eInstalledNumber", "0");
    engine.WriteSetting(PluginKeyPath("smpp1"), "eHost", "127.0.0.1");
    engine.WriteSetting(PluginKeyPath("smpp1"), "ePort", std::to_string(simulator.port()));
    engine.Start();
    ChildProcess driver(engine.ClientProgram(SMPP, {}));
    TnbMessageServerProxy client(TransmitEngine::Attach(engine.Connect()));
    client.login(QStringLiteral("tester"));
    QStringList sent;
    QObject::connect(&client, &TnbMessageServerProxy::MessageSent,
                     [&sent](const QVariant& id) { sent << id.toString(); });
    ASSERT_TRUE(ProcessEventsUntil(
        [&] { return ScreenLog().find("[smpp1] ") != std::string::npos; }, kTimeoutMs))
        << ScreenLog() << driver.Errors();
    ASSERT_EQ(client.startServer(), QVariant(1));
    ASSERT_TRUE(ProcessEventsUntil([&] { return simulator.Count("logins") >= 1; }, kTimeoutMs))
        << ScreenLog();

    TGsmSms record;
    record.receiver = "+3620111";
    record.text = "Outlives its driver";
    QVariant msg = QString::fromStdString(record.ToText());
    const QString id = client.sendMessage(msg).toString();
    ASSERT_TRUE(ProcessEventsUntil(
        [&] { return simulator.Log().find("submit left unanswered") != std::string::npos; },
        kTimeoutMs))
        << ScreenLog() << simulator.Log();
    driver.Signal(SIGKILL);
    ASSERT_TRUE(driver.WaitForExit(std::chrono::milliseconds(kTimeoutMs)));

    // The next device: a driver of another operator that logs in afterwards.
    TnbSMSPhoneProxy spare(TransmitEngine::Attach(engine.Connect()));
    QStringList transmitted;
    QObject::connect(&spare, &TnbSMSPhoneProxy::Transmit,
                     [&transmitted](const QString& sms) { transmitted << sms; });
    spare.login(QStringLiteral("spare"));
    spare.sendInfo(QStringLiteral("operator"), QStringLiteral("Other"));
    spare.connectionSuccess();
    ASSERT_TRUE(ProcessEventsUntil([&] { return !transmitted.isEmpty(); }, kTimeoutMs))
        << ScreenLog();
    TGsmSms handed;
    handed.FromText(transmitted.first().toStdString());
    EXPECT_EQ(QString::fromStdString(handed.messageId), id);
    EXPECT_EQ(handed.text, "Outlives its driver");
    EXPECT_NE(ScreenLog().find("[smpp1] left without answering; back in the Outbox: "),
              std::string::npos)
        << ScreenLog();

    spare.sendSuccess(id, QStringLiteral("{+3620999},{ref1}"));
    EXPECT_TRUE(ProcessEventsUntil([&] { return sent.contains(id); }, kTimeoutMs));
}

}  // namespace
}  // namespace nimbra::testing_support
