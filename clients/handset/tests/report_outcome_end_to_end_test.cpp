// Status reports through the real engine and handset driver, from the modem simulator: a
// report that says the centre still tries changes nothing, a failure is kept with the message
// without confirming it, and a message forwarded without confirmation counts as delivered.

#include <map>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "engine_with_driver.h"
#include "event_wait.h"
#include "file_text.h"
#include "keypath.h"
#include "simulator_process.h"

namespace nimbra::handset::testing {
namespace {

using testing_support::EngineWithDriver;
using testing_support::FileLine;
using testing_support::ProcessEventsUntil;

constexpr int kTimeoutMs = EngineWithDriver::kTimeoutMs;
const std::string kName = "GSM Device1";
const std::string kRecipient = "+36301234567";

class ReportOutcomeEndToEnd : public ::testing::Test {
protected:
    ReportOutcomeEndToEnd()
        : harness_({TRANSMIT, NBSMS, nullptr},
                   {HANDSET, "handset", "eInstalledNumber", kName, {}}) {}

    // The modem makes no report of its own: each comes from the test.
    void Start() {
        modem_ = std::make_unique<testing_support::ModemSimulatorProcess>(
            MODEMSIM, std::vector<std::string>{"--no-report"});
        // Three slots of the SIM to read in turn: a report is found within a moment.
        for (const auto& [name, value] :
             {std::pair{"eDelayOut", "0"}, {"prefmem", "SIM"}, {"eMemSize", "3"}})
            harness_.engine.WriteSetting(PluginKeyPath(kName + "_comport"), name, value);
        const std::map<std::string, std::string> prefs = {{"cbGSM", "Siemens M20"},
                                                          {"lbComPort", modem_->device()},
                                                          {"ePhoneNumber", "+36201112222"},
                                                          {"cbDeliver", "1"}};
        ASSERT_TRUE(harness_.StartEngineWith(prefs, "Siemens M20," + modem_->device()));
        ASSERT_TRUE(harness_.WaitForScreenLog("Connected to device")) << harness_.ScreenLog();
    }

    // Sends text and gives its file in Sent Items once the modem has taken it.
    std::filesystem::path Send(const std::string& text, std::string& id) {
        id = harness_.SendWithNbsms(kRecipient, text);
        std::filesystem::path file;
        ProcessEventsUntil(
            [&] {
                file = EngineWithDriver::FileHolding(harness_.Folder("Sent Items"), text);
                return !file.empty();
            },
            kTimeoutMs);
        return file;
    }

    std::string Report(const std::string& reference, int status) {
        return modem_->Control("report " + reference + " " + std::to_string(status));
    }

    std::unique_ptr<testing_support::ModemSimulatorProcess> modem_;
    EngineWithDriver harness_;
};

TEST_F(ReportOutcomeEndToEnd, StillTryingChangesNothingAndAFailureIsKeptWithoutConfirming) {
    Start();
    std::string id;
    const std::filesystem::path file = Send("Nobody home", id);
    ASSERT_FALSE(file.empty()) << harness_.ScreenLog();
    const std::string reference = FileLine(file, 8);
    ASSERT_FALSE(reference.empty());

    // SME busy, still trying: logged, taken from the modem, the message untouched.
    ASSERT_EQ(Report(reference, 0x21).substr(0, 2), "ok");
    ASSERT_TRUE(harness_.WaitForScreenLog("Status report for " + reference + " to " + kRecipient +
                                          ": 33 (not final)"))
        << harness_.ScreenLog();
    EXPECT_TRUE(ProcessEventsUntil([&] { return modem_->Count("stored") == 0; }, kTimeoutMs));
    EXPECT_EQ(FileLine(file, 9), "");

    // Incompatible destination: the outcome is kept with the message, which stays unconfirmed.
    ASSERT_EQ(Report(reference, 0x41).substr(0, 2), "ok");
    EXPECT_TRUE(ProcessEventsUntil([&] { return FileLine(file, 9) == "65"; }, kTimeoutMs))
        << "line 9: " << FileLine(file, 9) << "\n"
        << harness_.ScreenLog();
    EXPECT_NE(FileLine(file, 12), "12");
    EXPECT_FALSE(harness_.Delivered(id));
    EXPECT_TRUE(harness_.received.isEmpty());
}

TEST_F(ReportOutcomeEndToEnd, AMessageForwardedWithoutConfirmationCountsAsDelivered) {
    Start();
    std::string id;
    const std::filesystem::path file = Send("Forwarded", id);
    ASSERT_FALSE(file.empty()) << harness_.ScreenLog();
    ASSERT_EQ(Report(FileLine(file, 8), 0x01).substr(0, 2), "ok");
    EXPECT_TRUE(ProcessEventsUntil([&] { return harness_.Delivered(id); }, kTimeoutMs))
        << harness_.ScreenLog();
    EXPECT_EQ(FileLine(file, 9), "");
}

}  // namespace
}  // namespace nimbra::handset::testing
