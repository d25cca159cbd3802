// nbsms devices, install and uninstall with a real device program: the engine starts the
// smpp driver, which binds to the message-centre simulator, and more copies of it on request.

#include <string>
#include <vector>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include "engine_with_driver.h"
#include "event_wait.h"
#include "file_text.h"
#include "nbsms_runner.h"

namespace nimbra::testing_support {
namespace {

constexpr int kTimeoutMs = EngineWithDriver::kTimeoutMs;

class NbsmsDevicesTest : public ::testing::Test, protected EngineWithDriver {
protected:
    NbsmsDevicesTest()
        : EngineWithDriver(
              {TRANSMIT, NBSMS, MCSIM},
              {SMPP, "smpp", "eSMPPInstalledNumber", "smpp1", {"--protocol", "smpp"}}) {}

    Outcome Nbsms(std::vector<std::string> arguments) {
        return RunToEnd(engine.ClientProgram(NBSMS, std::move(arguments)));
    }
    // Whether `nbsms devices` shows this line, with the test's client object served meanwhile.
    bool WaitForDeviceLine(const std::string& line) {
        return ProcessEventsUntil([&] { return Contains(Nbsms({"devices"}).output, line); },
                                  kTimeoutMs);
    }
};

TEST_F(NbsmsDevicesTest, DevicesAreListedAndInstallAndUninstallStartAndEndDriverPrograms) {
    ASSERT_TRUE(StartAll({}));
    ASSERT_TRUE(WaitForDeviceLine("  smpp1  connected, idle, operator T-mobile\n"))
        << Nbsms({"devices"}).output << ScreenLog();
    const QJsonObject devices =
        QJsonDocument::fromJson(QByteArray::fromStdString(Nbsms({"devices", "--json"}).output))
            .object();
    const QJsonObject smpp1 = devices[QStringLiteral("devices")].toArray().at(0).toObject();
    EXPECT_EQ(smpp1[QStringLiteral("name")].toString(), QStringLiteral("smpp1"));
    EXPECT_TRUE(smpp1[QStringLiteral("canSend")].toBool());
    EXPECT_FALSE(smpp1[QStringLiteral("status")].toString().isEmpty());
    const QJsonArray pane = devices[QStringLiteral("pane")].toArray();
    ASSERT_FALSE(pane.isEmpty());
    EXPECT_EQ(pane.at(0).toString(), QStringLiteral("      [smpp1]"));
    EXPECT_EQ(devices[QStringLiteral("activePlugins")].toArray(),
              QJsonArray{QStringLiteral("tester 1")});

    const Outcome installed = Nbsms({"install", "smpp"});
    EXPECT_EQ(installed.exitCode, 0) << installed.errors;
    EXPECT_EQ(installed.output, "installed one more smpp device: 2 now\n");
    ASSERT_TRUE(WaitForDeviceLine("  smpp2  ")) << ScreenLog();
    EXPECT_EQ(ProcessesOf(Driver()).size(), 2u);

    // The last smpp device to log in is told to go, and its program ends.
    const Outcome uninstalled = Nbsms({"uninstall", "SMPP"});
    EXPECT_EQ(uninstalled.exitCode, 0) << uninstalled.errors;
    EXPECT_EQ(uninstalled.output, "uninstalled one smpp device: 1 left\n");
    EXPECT_TRUE(ProcessEventsUntil([&] { return ProcessesOf(Driver()).size() == 1; }, kTimeoutMs));
    const Outcome after = Nbsms({"devices"});
    EXPECT_TRUE(Contains(after.output, "  smpp1  ")) << after.output;
    EXPECT_FALSE(Contains(after.output, "smpp2")) << after.output;
    const std::string settings = ReadFileText(engine.settings() / "HKEY_LOCAL_MACHINE.ini");
    EXPECT_TRUE(Contains(settings, "Server\\eSMPPInstalledNumber=1")) << settings;

    const Outcome noCimd = Nbsms({"uninstall", "cimd"});
    EXPECT_EQ(noCimd.exitCode, 1);
    EXPECT_EQ(noCimd.errors, "nbsms: No devices are installed!\n");
}

}  // namespace
}  // namespace nimbra::testing_support
