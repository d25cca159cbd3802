// The cimd driver speaking standard CIMD2 (cbStx off) with the simulator doing the same:
// framed packets with checksums, the login at once, texts in the GSM alphabet's
// combinations or in UCS-2, status reports with their outcomes, a submit left unanswered.

#include <filesystem>
#include <map>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include <QString>

#include <gtest/gtest.h>

#include "case_name.h"
#include "cimd_end_to_end.h"
#include "event_wait.h"
#include "file_text.h"
#include "unGSMSMS.h"
#include "unStrings.h"

namespace nimbra::testing_support {
namespace {

namespace fs = std::filesystem;

class CimdStandardTest : public CimdEndToEndTest {
protected:
    void StartStandard(std::vector<std::string> simulatorOptions,
                       std::map<std::string, std::string> driverFields = {}) {
        simulatorOptions.insert(simulatorOptions.begin(), "--stx");
        driverFields.emplace("cbStx", "0");
        ASSERT_TRUE(StartAll(std::move(simulatorOptions), std::move(driverFields)));
        ASSERT_TRUE(WaitForDriverLog("Successful login")) << DriverLog() << simulator->Log();
    }
    bool SentInTime(const std::string& id) {
        return ProcessEventsUntil([&] { return Sent(id); }, kTimeoutMs);
    }
};

struct SessionCase {
    const char* name;
    std::vector<std::string> options;
    friend void PrintTo(const SessionCase& c, std::ostream* os) { *os << c.name; }
};

class CimdStandardSession : public CimdStandardTest,
                            public ::testing::WithParamInterface<SessionCase> {};

TEST_P(CimdStandardSession, LogsInSubmitsConfirmsByStatusReportAndTakesADeliver) {
    StartStandard(GetParam().options);
    // The login went out as the first packet, framed and numbered 001.
    EXPECT_TRUE(std::regex_search(simulator->Log(),
                                  std::regex("-> <stx>01:001<tab>011:[^<]*<tab>010:[^<]*<tab>"
                                             "[0-9A-F]{2}<etx>")))
        << simulator->Log();

    const std::string id = SendWithNbsms("+3620111", "Hello a_b");
    ASSERT_FALSE(id.empty());
    ASSERT_TRUE(SentInTime(id)) << DriverLog();
    EXPECT_TRUE(simulator->WaitForLog("message text: Hello a_b", kTimeout)) << simulator->Log();
    const std::string log = simulator->Log();
    EXPECT_TRUE(std::regex_search(
        log, std::regex("-> <stx>03:003<tab>021:\\+3620111<tab>033:Hello a_--b<tab>056:62<tab>"
                        "[0-9A-F]{2}<etx>")))
        << log;
    std::smatch stamp;
    ASSERT_TRUE(std::regex_search(log, stamp, std::regex("<- <stx>53:003<tab>060:([0-9]{12})")))
        << log;
    // The engine files the message a moment after it reports it sent.
    ASSERT_TRUE(ProcessEventsUntil([&] { return !FileHolding(Folder("Sent Items"), id).empty(); },
                                   kTimeoutMs));
    const fs::path file = FileHolding(Folder("Sent Items"), id);
    EXPECT_EQ(FileLine(file, 8), stamp[1].str());

    // Status 4: delivered.
    EXPECT_TRUE(ProcessEventsUntil([&] { return Delivered(id); }, kTimeoutMs)) << DriverLog();

    EXPECT_EQ(simulator
                  ->Control("deliver +3630999 +36201234567 Gr\xC3\xBC\xC3\x9F"
                            "e @ \xC3\xA9")
                  .substr(0, 2),
              "ok");
    ASSERT_TRUE(ProcessEventsUntil([&] { return !received.isEmpty(); }, kTimeoutMs)) << DriverLog();
    EXPECT_TRUE(
        received[0].contains(QString::fromUtf8("{Gr\xC3\xBC\xC3\x9F"
                                               "e @ \xC3\xA9}")))
        << received[0].toStdString();
    // The centre's packets have even numbers: 002 was the status report.
    EXPECT_TRUE(simulator->WaitForLog("-> <stx>73:002<tab>", kTimeout)) << simulator->Log();
    EXPECT_TRUE(simulator->WaitForLog("-> <stx>70:004<tab>", kTimeout)) << simulator->Log();
    EXPECT_EQ(DriverLog().find("Unexpected submit response"), std::string::npos) << DriverLog();
    EXPECT_EQ(simulator->Log().find("ignored:"), std::string::npos) << simulator->Log();
}

INSTANTIATE_TEST_SUITE_P(Greetings, CimdStandardSession,
                         ::testing::Values(SessionCase{"WithAGreetingLine", {}},
                                           SessionCase{"WithoutGreeting", {"--no-greeting"}}),
                         CaseName<SessionCase>);

TEST_F(CimdStandardTest, AStatusReportOfAFailedDeliveryDoesNotConfirmTheMessage) {
    StartStandard({"--report-status", "3"});
    const std::string id = SendWithNbsms("+3620111", "Not to arrive");
    ASSERT_TRUE(SentInTime(id)) << DriverLog();
    const fs::path errors = engine.home() / "logs/error-log.txt";
    ASSERT_TRUE(ProcessEventsUntil(
        [&] {
            return fs::exists(errors) &&
                   ReadFileText(errors).find("Delivery report 3: ") != std::string::npos;
        },
        kTimeoutMs))
        << DriverLog();
    EXPECT_NE(ReadFileText(errors).find("Not to arrive"), std::string::npos);
    ASSERT_TRUE(ProcessEventsUntil([&] { return !FileHolding(Folder("Sent Items"), id).empty(); },
                                   kTimeoutMs));
    const fs::path file = FileHolding(Folder("Sent Items"), id);
    // The stored message is rewritten once its write is flushed, a moment after the log line.
    EXPECT_TRUE(ProcessEventsUntil([&] { return FileLine(file, 9) == "3"; }, kTimeoutMs))
        << "line 9: " << FileLine(file, 9);
    EXPECT_NE(FileLine(file, 12), "12");
    EXPECT_FALSE(Delivered(id));
    EXPECT_TRUE(received.isEmpty());
}

TEST_F(CimdStandardTest, AccentedGreekAndCyrillicTextsArriveIntactBothWays) {
    StartStandard({});
    struct Text {
        const char* typed;     // UTF-8
        const char* userData;  // as the packet carries it
    };
    const Text texts[] = {
        {"@ \xC2\xA3 \xC3\xA9 \xC3\xA4", "033:_Oa _L- _e' _a\""},
        {"\xCE\x93\xCE\xB5\xCE\xB9\xCE\xAC \xCF\x83\xCE\xBF\xCF\x85",
         "030:8<tab>034:039303B503B903AC002003C303BF03C5"},
        {"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",
         "030:8<tab>034:041F04400438043204350442"},
    };
    for (const Text& text : texts) {
        SCOPED_TRACE(text.typed);
        const std::string id = SendWithNbsms("+3620111", text.typed);
        ASSERT_TRUE(SentInTime(id)) << DriverLog();
        EXPECT_TRUE(simulator->WaitForLog(std::string("message text: ") + text.typed, kTimeout))
            << simulator->Log();
        EXPECT_NE(simulator->Log().find(text.userData), std::string::npos) << simulator->Log();
    }

    EXPECT_EQ(simulator->Control("deliver +3630999 +36201234567 \xCE\x9A\xCE\xB1\xCE\xBB\xCE\xB7")
                  .substr(0, 2),
              "ok");
    ASSERT_TRUE(ProcessEventsUntil([&] { return !received.isEmpty(); }, kTimeoutMs)) << DriverLog();
    EXPECT_TRUE(received[0].contains(QStringLiteral("{_UCS2_039A03B103BB03B7}")))
        << received[0].toStdString();
}

// A client's message longer than one short message goes as the parts of a concatenated
// message; the centre's reports for every part confirm it once.
TEST_F(CimdStandardTest, ALongTextArrivesInPartsAndIsDeliveredOnce) {
    StartStandard({});
    std::string text;
    for (int i = 0; text.size() < 400; ++i)
        text += "Part of a long text, number " + std::to_string(i) + ". ";
    text.resize(400);
    TGsmSms record;
    record.receiver = "+3620111";
    record.text = text;
    QVariant msg = QString::fromStdString(record.ToText());
    const std::string id = client->sendMessage(msg).toString().toStdString();
    ASSERT_FALSE(id.empty());

    ASSERT_TRUE(SentInTime(id)) << DriverLog();
    EXPECT_TRUE(simulator->WaitForLog("message text: " + text, kTimeout)) << simulator->Log();
    EXPECT_TRUE(simulator->WaitForCount("reports", 3, kTimeout)) << simulator->Log();
    EXPECT_TRUE(ProcessEventsUntil([&] { return Delivered(id); }, kTimeoutMs)) << DriverLog();
    ProcessEventsUntil([&] { return simulator->Count("acks") >= 3; }, kTimeoutMs);
    EXPECT_EQ(delivered.count(QString::fromStdString(id)), 1);
    EXPECT_EQ(simulator->Count("submits"), 3);
    const std::string log = simulator->Log();
    for (const char* header :
         {"032:050003[0-9A-F]{2}0301", "032:050003[0-9A-F]{2}0302", "032:050003[0-9A-F]{2}0303"})
        EXPECT_TRUE(std::regex_search(log, std::regex(header))) << header;
}

TEST_F(CimdStandardTest, ASubmitNobodyAnswersFailsAfterTheResponseTimeoutAndTheLinkIsRebuilt) {
    StartStandard({"--no-submit-answer"}, {{"eResponseTimeout", "2"}});
    const std::string id = SendWithNbsms("+3620111", "Into the void");
    ASSERT_TRUE(WaitForDriverLog("No response to the submit within 2 seconds")) << DriverLog();
    EXPECT_TRUE(ProcessEventsUntil([&] { return KeptForRetry(id); }, kTimeoutMs)) << DriverLog();
    EXPECT_FALSE(Sent(id));
    EXPECT_TRUE(simulator->WaitForCount("logins", 2, kTimeout)) << DriverLog();
}

}  // namespace
}  // namespace nimbra::testing_support
