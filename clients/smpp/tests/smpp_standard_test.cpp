// The smpp driver end to end against a message centre that speaks standard SMPP 3.4: text in
// the GSM alphabet and in UCS2, long messages in parts both ways,
// receipts with their outcome, busy answers, alphanumeric senders.

#include <regex>
#include <string>

#include "file_text.h"
#include "smpp_end_to_end_fixture.h"

namespace nimbra::testing_support {
namespace {

// UTF-16 units of a UTF-8 text as "_UCS2_" record text.
std::string Ucs2Record(const char* utf8) {
    const QString text = QString::fromUtf8(utf8);
    std::string hex = "_UCS2_";
    for (const QChar c : text)
        hex +=
            QStringLiteral("%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper().toStdString();
    return hex;
}

class SmppStandardTest : public SmppEndToEndTest {
protected:
    std::string ReceiveLog() const {
        const auto path = engine.home() / "logs/receive-log.txt";
        std::error_code error;
        return std::filesystem::exists(path, error) ? ReadFileText(path) : std::string();
    }
    bool SimulatorLogged(const std::string& text) { return simulator->WaitForLog(text, kTimeout); }
};

// Four hundred characters go as three parts behind the concatenation header; the message is
// sent once, known by its first part's id, and its three receipts confirm it once. (The client
// object keeps a long text whole; the simple API, which nbsms uses, cuts it into messages of
// 160 characters.)
TEST_F(SmppStandardTest, AFourHundredCharacterTextGoesAsThreePartsAndIsDeliveredOnce) {
    ASSERT_TRUE(StartAll({"--report-delay", "50"}, {{"cbDelivery", "1"}}));
    ASSERT_TRUE(WaitForBinds(1)) << ScreenLog();
    const std::string text(400, 'x');
    const std::string id = SendRecord("", text);
    ASSERT_TRUE(ProcessEventsUntil([&] { return Sent(id); }, kTimeoutMs)) << ScreenLog();

    const std::string log = simulator->Log();
    const std::vector<std::string> submits = LoggedPdus(log, "-> submit_sm");
    ASSERT_EQ(submits.size(), 3u) << log;
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(std::regex_search(submits[i],
                                      std::regex("050003[0-9A-F]{2}030" + std::to_string(i + 1))))
            << submits[i];
    }
    EXPECT_TRUE(SimulatorLogged("message text: \"" + text + "\" (3 parts)")) << log;
    const std::vector<std::string> answers = LoggedPdus(log, "<- submit_sm_resp");
    ASSERT_EQ(answers.size(), 3u);
    const std::string firstId = MessageIdOf(answers[0]);
    ASSERT_TRUE(ProcessEventsUntil([&] { return !FileHolding(Folder("Sent Items"), id).empty(); },
                                   kTimeoutMs));
    EXPECT_EQ(FileLine(FileHolding(Folder("Sent Items"), id), 8), firstId);

    ASSERT_TRUE(simulator->WaitForCount("acks", 3, kTimeout)) << simulator->Log();
    ASSERT_TRUE(ProcessEventsUntil(
        [&] { return Occurrences(ReceiveLog(), "{GSMSMS_DELIVERY_REPORT}") == 3; }, kTimeoutMs))
        << ReceiveLog();
    ASSERT_TRUE(ProcessEventsUntil([&] { return delivered.contains(QString::fromStdString(id)); },
                                   kTimeoutMs));
    EXPECT_EQ(delivered.count(QString::fromStdString(id)), 1);
    // Every receipt names the message by its first part.
    EXPECT_EQ(Occurrences(ReceiveLog(), "{" + firstId + "}"), 3) << ReceiveLog();
}

// "@ £ é ä" and Greek, out and in: the simulator reads what the driver sent, the engine gets
// what the simulator sent.
TEST_F(SmppStandardTest, AccentsAndGreekArriveIntactBothWays) {
    ASSERT_TRUE(StartAll({}));
    ASSERT_TRUE(WaitForBinds(1)) << ScreenLog();
    const std::string accents = "@ \xC2\xA3 \xC3\xA9 \xC3\xA4";                       // UTF-8
    const char* greek = "\xCE\x93\xCE\xB5\xCE\xB9\xCE\xAC \xCF\x83\xCE\xBF\xCF\x85";  // Γειά σου
    const std::string out1 = SendRecord("", accents);
    ASSERT_TRUE(ProcessEventsUntil([&] { return Sent(out1); }, kTimeoutMs)) << ScreenLog();
    const std::string out2 = SendRecord("", Ucs2Record(greek));
    ASSERT_TRUE(ProcessEventsUntil([&] { return Sent(out2); }, kTimeoutMs)) << ScreenLog();
    EXPECT_TRUE(SimulatorLogged("message text: \"" + accents + "\"")) << simulator->Log();
    EXPECT_TRUE(SimulatorLogged("message text: \"" + std::string(greek) + "\""))
        << simulator->Log();
    const std::vector<std::string> submits = LoggedPdus(simulator->Log(), "-> submit_sm");
    ASSERT_EQ(submits.size(), 2u);
    // GSM septets, unpacked; UCS2 with data_coding 8.
    EXPECT_NE(submits[0].find("0000"
                              "07"
                              "0020012005207B"),
              std::string::npos)
        << submits[0];
    EXPECT_NE(submits[1].find("0800"
                              "10"
                              "039303B503B903AC"),
              std::string::npos)
        << submits[1];

    EXPECT_EQ(simulator->Control("deliver +3630999 +36201234567 " + accents).substr(0, 2), "ok");
    EXPECT_EQ(simulator->Control("deliver +3630999 +36201234567 " + Ucs2Record(greek)).substr(0, 2),
              "ok");
    ASSERT_TRUE(ProcessEventsUntil([&] { return received.size() == 2; }, kTimeoutMs))
        << ScreenLog();
    EXPECT_TRUE(received[0].contains(QString::fromUtf8("{" + accents + "}")))
        << received[0].toStdString();
    EXPECT_TRUE(received[1].contains(QString::fromStdString("{" + Ucs2Record(greek) + "}")))
        << received[1].toStdString();
}

// A receipt that says the message was not delivered reaches the engine with that outcome.
TEST_F(SmppStandardTest, AnUndeliverableReceiptCarriesItsOutcomeAndDoesNotConfirm) {
    ASSERT_TRUE(
        StartAll({"--report-delay", "50", "--receipt-state", "UNDELIV"}, {{"cbDelivery", "1"}}));
    ASSERT_TRUE(WaitForBinds(1)) << ScreenLog();
    const std::string id = SendWithNbsms("+3620111", "Nobody home");
    ASSERT_TRUE(ProcessEventsUntil([&] { return Sent(id); }, kTimeoutMs)) << ScreenLog();
    const std::string messageId =
        MessageIdOf(LoggedPdus(simulator->Log(), "<- submit_sm_resp").at(0));
    ASSERT_TRUE(ProcessEventsUntil(
        [&] { return ReceiveLog().find("{GSMSMS_DELIVERY_REPORT}") != std::string::npos; },
        kTimeoutMs))
        << ScreenLog();
    const std::string log = ReceiveLog();
    const std::string report = log.substr(log.find("{GSMSMS_DELIVERY_REPORT}"));
    EXPECT_NE(report.find("{" + messageId + "}"), std::string::npos) << report;
    EXPECT_NE(report.find("{UNDELIV}"), std::string::npos) << report;

    // The engine keeps the outcome with the message and does not confirm it.
    const std::filesystem::path file = FileHolding(Folder("Sent Items"), id);
    ASSERT_FALSE(file.empty());
    EXPECT_TRUE(ProcessEventsUntil([&] { return FileLine(file, 9) == "UNDELIV"; }, kTimeoutMs))
        << ReadFileText(file);
    EXPECT_NE(FileLine(file, 12), "12");
    EXPECT_FALSE(Delivered(id));
    EXPECT_TRUE(received.isEmpty());
}

// Two busy answers with short pauses: the message goes back to the engine untried each time,
// and is sent once the centre takes it, with every retry left.
TEST_F(SmppStandardTest, ThrottledAnswersLeaveTheRetriesAndTheMessageIsSent) {
    engine.WriteServerSetting("eSendRetries", "3");
    ASSERT_TRUE(StartAll({}, {{"eThrottleSteps", "1,1"}}));
    ASSERT_TRUE(WaitForBinds(1)) << ScreenLog();
    EXPECT_EQ(simulator->Control("throttle 2"), "ok the next 2 submits get status 0x00000058\n");
    const std::string id = SendWithNbsms("+3620111", "Patience");
    ASSERT_TRUE(ProcessEventsUntil([&] { return Sent(id); }, kTimeoutMs)) << ScreenLog();

    EXPECT_EQ(LoggedPdus(simulator->Log(), "-> submit_sm").size(), 3u) << simulator->Log();
    EXPECT_EQ(simulator->Count("submits"), 1);
    EXPECT_EQ(Occurrences(ScreenLog(),
                          "The smpp server is busy (0x00000058 ESME_RTHROTTLED); "
                          "submits pause for 1 s"),
              2)
        << ScreenLog();
    ASSERT_TRUE(ProcessEventsUntil([&] { return !FileHolding(Folder("Sent Items"), id).empty(); },
                                   kTimeoutMs));
    EXPECT_EQ(FileLine(FileHolding(Folder("Sent Items"), id), 5), "3");
}

TEST_F(SmppStandardTest, AnAlphanumericSenderGoesAsTonFiveNpiZero) {
    ASSERT_TRUE(StartAll({}, {{"eSender", "Nimbra"}}));
    ASSERT_TRUE(WaitForBinds(1)) << ScreenLog();
    const std::string id = SendWithNbsms("+3620111", "From a name");
    ASSERT_TRUE(ProcessEventsUntil([&] { return Sent(id); }, kTimeoutMs)) << ScreenLog();
    const std::vector<std::string> submits = LoggedPdus(simulator->Log(), "-> submit_sm");
    ASSERT_EQ(submits.size(), 1u);
    EXPECT_NE(submits[0].find("00"
                              "0500" +
                              Hex("Nimbra") +
                              "00"
                              "0101" +
                              Hex("3620111") + "00"),
              std::string::npos)
        << submits[0];
}

// A UCS2 text too long for one short message comes in two parts and lands as one message.
TEST_F(SmppStandardTest, AnIncomingTwoPartUcs2MessageIsJoined) {
    ASSERT_TRUE(StartAll({}));
    ASSERT_TRUE(WaitForBinds(1)) << ScreenLog();
    std::string hex = "_UCS2_";
    for (int i = 0; i < 100; ++i)
        hex += i % 2 == 0 ? "0416" : "044F";
    EXPECT_EQ(simulator->Control("deliver +3630999 +36201234567 " + hex).substr(0, 2), "ok");
    ASSERT_TRUE(simulator->WaitForCount("acks", 2, kTimeout)) << simulator->Log();
    ASSERT_TRUE(ProcessEventsUntil([&] { return !received.isEmpty(); }, kTimeoutMs)) << ScreenLog();
    EXPECT_TRUE(received[0].contains(QString::fromStdString("{" + hex + "}")))
        << received[0].toStdString();
    EXPECT_TRUE(
        ProcessEventsUntil([&] { return !FileHolding(Folder("Inbox"), hex).empty(); }, kTimeoutMs));
    EXPECT_EQ(received.size(), 1);
    EXPECT_EQ(Occurrences(ScreenLog(), "Part 1 of 2 from +3630999 kept"), 1) << ScreenLog();
}

}  // namespace
}  // namespace nimbra::testing_support
