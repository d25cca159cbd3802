// The handset's main window in this process against the real engine, with a scripted modem
// on a pseudo-terminal: what the driver's windows will drive (the test connection, the
// console) and what the engine's Connect does without a model.

#include <cstdlib>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "Transmit_TLB.h"
#include "event_wait.h"
#include "frmhandset.h"
#include "keypath.h"
#include "recording_notifier.h"
#include "running_engine.h"
#include "scripted_modem.h"
#include "settingskeys.h"
#include "settingsstore.h"
#include "timings.h"

namespace nimbra::handset::testing {
namespace {

using com::TnbMessageServerProxy;
using com::TransmitEngine;
using testing_support::ProcessEventsUntil;

constexpr int kTimeoutMs = 20000;
const char kName[] = "GSM Device1";

class HandsetWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("NIMBRA_SETTINGS_DIR", engine_.settings().c_str(), 1);
        ::setenv(kTimeScaleVariable, "0.1", 1);
        engine_.WriteServerSetting("eInstalledNumber", "0");
        SetPref("cbGSM", "Siemens M20");
        SetPref("lbComPort", modem_.path());
        engine_.Start();
    }
    void TearDown() override {
        driver_.reset();
        ::unsetenv("NIMBRA_SETTINGS_DIR");
        ::unsetenv(kTimeScaleVariable);
    }

    void SetPref(const std::string& name, const std::string& value) {
        engine_.WriteSetting(PluginKeyPath(kName), name, value);
    }
    TfrmHandset& Driver() {
        if (!driver_) {
            driver_ = std::make_unique<TfrmHandset>(TransmitEngine::Attach(engine_.Connect()));
            EXPECT_TRUE(driver_->FormCreate());
            EXPECT_EQ(driver_->realName(), kName);
        }
        return *driver_;
    }
    void StartServer() {
        client_ =
            std::make_unique<TnbMessageServerProxy>(TransmitEngine::Attach(engine_.Connect()));
        client_->login(QStringLiteral("tester"));
        ASSERT_EQ(client_->startServer(), QVariant(1));
    }
    bool Told(const std::string& message) {
        return ProcessEventsUntil(
            [&] {
                for (const std::string& text : notifier_.messages()) {
                    if (text == message)
                        return true;
                }
                return false;
            },
            kTimeoutMs);
    }
    static std::string Autostart() {
        return ReadSetting(settings::kRootKey, settings::kAutostartValue, "");
    }

    testing_support::RunningEngine engine_{TRANSMIT};
    ScriptedModem modem_;
    testing_support::ScopedProcessNotifier notifier_;
    std::unique_ptr<TfrmHandset> driver_;
    std::unique_ptr<TnbMessageServerProxy> client_;
};

TEST_F(HandsetWindowTest, ATestConnectionInitialisesTheDeviceAndLeavesItDisconnected) {
    TfrmHandset& driver = Driver();
    driver.TestConnection();
    EXPECT_TRUE(Told("Successfully connected to the device"));
    EXPECT_EQ(Autostart(), "true");
    EXPECT_EQ(modem_.Count("AT+CMGF=0"), 1);
    EXPECT_EQ(modem_.Count("AT+CNMI=0,0,0,0,0"), 1);
    EXPECT_TRUE(ProcessEventsUntil([&] { return driver.currentPhone() == nullptr; }, kTimeoutMs));
    EXPECT_FALSE(driver.active());
    EXPECT_EQ(modem_.Count("AT+CMGR"), 0) << "no manager after a test";

    SetPref("lbComPort", "/dev/nimbra-no-such-port");
    driver.TestConnection();
    EXPECT_TRUE(Told("Could not connect to the device"));
    EXPECT_EQ(Autostart(), "false");
}

TEST_F(HandsetWindowTest, TheConsoleWritesToTheConnectedDevice) {
    TfrmHandset& driver = Driver();
    EXPECT_FALSE(driver.bModemClick("AT+CSQ", TfrmHandset::CommandType::Command))
        << "nothing connected";
    StartServer();
    ASSERT_TRUE(ProcessEventsUntil([&] { return modem_.Count("AT+CMGR") > 0; }, kTimeoutMs));
    EXPECT_TRUE(driver.bModemClick("AT+CSQ", TfrmHandset::CommandType::Command));
    EXPECT_TRUE(ProcessEventsUntil([&] { return modem_.Count("AT+CSQ") == 1; }, kTimeoutMs));
    // A message text ends with Ctrl-Z.
    ASSERT_TRUE(ProcessEventsUntil(
        [&] { return driver.bModemClick("hello there", TfrmHandset::CommandType::Message); },
        kTimeoutMs));
    EXPECT_TRUE(ProcessEventsUntil([&] { return modem_.Count("hello there") == 1; }, kTimeoutMs));
}

TEST_F(HandsetWindowTest, WithoutAModelAConnectAsksForOneAndFails) {
    SetPref("cbGSM", "Autodetect");
    Driver();
    StartServer();
    EXPECT_TRUE(Told("Please configure your GSM device!"));
    EXPECT_TRUE(ProcessEventsUntil([] { return Autostart() == "false"; }, kTimeoutMs));
    EXPECT_EQ(modem_.Commands().size(), 0u);
}

}  // namespace
}  // namespace nimbra::handset::testing
