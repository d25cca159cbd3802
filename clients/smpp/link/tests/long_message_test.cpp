// Long messages: sent in parts and reported once, their parts' ids kept for receipts (also
// after a restart), incoming parts joined into one message.
#include <gtest/gtest.h>

#include <filesystem>

#include "link_fixture.h"

namespace nimbra::smpp::testing {
namespace {

using namespace std::string_literals;

const std::string kLongText(400, 'a');

std::size_t FilesIn(const std::filesystem::path& folder) {
    std::error_code error;
    std::size_t count = 0;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error))
        ++count;
    return count;
}

class LongMessage : public LinkTest {
protected:
    void SendLong(const std::vector<std::string>& ids) {
        LogIn();
        for (const std::string& id : ids)
            AnswerSubmit(id);
        Transmit(kLongText);
        StopAt(clock.ms + 5000);
        client.ThreadLoop(link);
    }
};

TEST_F(LongMessage, GoesInPartsAndIsSentWhenEveryPartIsAccepted) {
    SendLong({"P1", "P2", "P3"});

    SubmitOptions options;
    const Submits expected =
        BuildSubmits(kSender, kReceiver, kLongText, options, kBaseSeconds & 0xFFFF);
    ASSERT_EQ(expected.bodies.size(), 3u);
    std::vector<std::string> pdus;
    for (std::uint32_t i = 0; i < 3; ++i)
        pdus.push_back(BuildPdu(kSubmitSm, i + 1, expected.bodies[i]));
    EXPECT_EQ(Written(kSubmitSm), pdus);
    // One outcome, with the first part's id as the message's reference.
    EXPECT_EQ(events.outcomes, std::vector<std::string>{"sent:P1"});
    EXPECT_EQ(events.Count("Outgoing message [+3620111][+3650444][" + kLongText + "]"), 1);
    EXPECT_EQ(events.Count("Message part sent. P1"), 1);
    EXPECT_EQ(events.Count("Message part sent. P2"), 1);
    EXPECT_EQ(events.Count("Message sent. P1"), 1);
    EXPECT_FALSE(client.busy);
}

TEST_F(LongMessage, SarParametersInsteadOfTheHeaderBySetting) {
    fields.Set("rbLongHeader", "0");
    fields.Set("rbLongSar", "1");
    SendLong({"P1", "P2", "P3"});

    SubmitOptions options;
    options.longMessages = LongMessages::Sar;
    const Submits expected =
        BuildSubmits(kSender, kReceiver, kLongText, options, kBaseSeconds & 0xFFFF);
    ASSERT_EQ(Written(kSubmitSm).size(), 3u);
    EXPECT_EQ(Written(kSubmitSm)[2], BuildPdu(kSubmitSm, 3, expected.bodies[2]));
    EXPECT_EQ(events.outcomes, std::vector<std::string>{"sent:P1"});
}

TEST_F(LongMessage, OneMessagePayloadBySetting) {
    fields.Set("rbLongHeader", "0");
    fields.Set("rbLongPayload", "1");
    SendLong({"ONLY"});

    ASSERT_EQ(Written(kSubmitSm).size(), 1u);
    EXPECT_NE(Written(kSubmitSm)[0].find("0424"
                                         "0190" +
                                         pdu::HexOfBytes(kLongText)),
              std::string::npos);
    EXPECT_EQ(events.outcomes, std::vector<std::string>{"sent:ONLY"});
}

// A refused part fails the message; the parts after it do not go.
TEST_F(LongMessage, ARefusedPartFailsTheMessage) {
    LogIn();
    AnswerSubmit("P1");
    AnswerSubmit("", 0x45);
    Transmit(kLongText);
    StopAt(clock.ms + 5000);
    client.ThreadLoop(link);

    EXPECT_EQ(Written(kSubmitSm).size(), 2u);
    EXPECT_EQ(events.outcomes, std::vector<std::string>{"failed"});
    EXPECT_EQ(events.Count("Undeliverable message.  (0x00000045 ESME_RSUBMITFAIL)"), 1);
}

// A busy answer after parts have gone keeps the message: the same part goes again after the
// pause, and the engine hears only the final outcome.
TEST_F(LongMessage, ABusyAnswerForALaterPartSendsThatPartAgain) {
    LogIn();
    AnswerSubmit("P1");
    AnswerSubmit("", 0x58);
    AnswerSubmit("P2");
    AnswerSubmit("P3");
    Transmit(kLongText);
    StopAt(clock.ms + 8000);
    client.ThreadLoop(link);

    const std::vector<std::string> submits = Written(kSubmitSm);
    ASSERT_EQ(submits.size(), 4u);
    EXPECT_EQ(SplitHeader(submits[1]).body, SplitHeader(submits[2]).body);
    EXPECT_EQ(events.outcomes, std::vector<std::string>{"sent:P1"});
    EXPECT_EQ(events.infos, (std::vector<std::string>{"cansend=0", "cansend=1"}));
}

// Receipts may name any part; the engine knows the message by its first part's id. The
// ids are on disk, so a receipt after a restart finds them too.
TEST_F(LongMessage, AReceiptForAnyPartNamesTheFirstPart) {
    SendLong({"P1", "P2", "P3"});

    FakeClock laterClock;
    ScriptedTransport later(laterClock);
    RecordingEvents laterEvents;
    Tsmppclient restarted(fields, laterEvents, laterClock);
    restarted.SetHomeFolder(home.path());
    later.ReplyWhen(IsCommand(kBindTransceiver), PeerPdu(kBindTransceiverResp, 1, "00"));
    ASSERT_TRUE(restarted.Login(later));
    later.Arrive(laterClock.ms + 500,
                 Deliver(1, "+3650444", "+3620111", "id:P3 stat:DELIVRD", 0, 0x04));
    later.Arrive(laterClock.ms + 600,
                 Deliver(2, "+3650444", "+3620111", "id:OTHER stat:UNDELIV", 0, 0x04));
    laterClock.At(laterClock.ms + 3000, [&] { restarted.stop = true; });
    restarted.ThreadLoop(later);

    ASSERT_EQ(laterEvents.received.size(), 2u);
    EXPECT_EQ(laterEvents.ReceivedRecord(0).reference, "P1");
    EXPECT_EQ(laterEvents.ReceivedRecord(0).status, "0");
    EXPECT_EQ(laterEvents.ReceivedRecord(1).reference, "OTHER");
    EXPECT_EQ(laterEvents.ReceivedRecord(1).status, "UNDELIV");
}

// Centres send a part's receipt as soon as it is delivered, also before the last part of its
// message has been accepted.
TEST_F(LongMessage, AReceiptBeforeTheLastPartIsAcceptedNamesTheFirstPart) {
    LogIn();
    AnswerSubmit("P1");
    link.AnswerWhen(IsCommand(kSubmitSm), [](std::string_view request) {
        return SubmitResp("P2", 0, SequenceOf(request)) +
               Deliver(7, "+3650444", "+3620111", "id:P2 stat:DELIVRD", 0, 0x04);
    });
    AnswerSubmit("P3", 0, 1500);
    Transmit(kLongText);
    StopAt(clock.ms + 6000);
    client.ThreadLoop(link);

    ASSERT_EQ(events.received.size(), 1u);
    EXPECT_EQ(events.ReceivedRecord(0).reference, "P1");
    EXPECT_EQ(events.outcomes, std::vector<std::string>{"sent:P1"});
}

// Two parts of a UCS2 message, the second first: one message, the header nowhere.
TEST_F(LinkTest, IncomingPartsAreJoinedIntoOneMessage) {
    LogIn();
    const std::string header1 = "\x05\x00\x03\x61\x02\x01"s;
    const std::string header2 = "\x05\x00\x03\x61\x02\x02"s;
    link.Arrive(clock.ms + 500,
                Deliver(1, "+3630222", "3620111", header2 + "\x04\x40\x04\x38"s, 8, 0x40));
    link.Arrive(clock.ms + 900, Deliver(2, "+3630222", "3620111", header1 + "\x04\x1F"s, 8, 0x40));
    StopAt(clock.ms + 3000);
    client.ThreadLoop(link);

    ASSERT_EQ(events.received.size(), 1u);
    EXPECT_EQ(events.ReceivedRecord(0).text, "_UCS2_041F04400438");
    EXPECT_EQ(Written(kDeliverSmResp).size(), 2u);
    EXPECT_EQ(events.Count("Part 2 of 2 from +3630222 kept"), 1);
    EXPECT_EQ(FilesIn(home / "smsparts"), 0u);
}

// sar_* parameters instead of a header; the same reference from another sender is another
// message.
TEST_F(LinkTest, IncomingSarPartsAreJoinedBySender) {
    LogIn();
    const auto sar = [](int index) {
        return "020C0002BEEF"
               "020E000102"
               "020F00010" +
               std::to_string(index);
    };
    link.Arrive(clock.ms + 500, Deliver(1, "+3630222", "3620111", "Hello ", 0, 0, sar(1)));
    link.Arrive(clock.ms + 600, Deliver(2, "+3630999", "3620111", "Other ", 0, 0, sar(1)));
    link.Arrive(clock.ms + 900, Deliver(3, "+3630222", "3620111", "world", 0, 0, sar(2)));
    StopAt(clock.ms + 3000);
    client.ThreadLoop(link);

    ASSERT_EQ(events.received.size(), 1u);
    EXPECT_EQ(events.ReceivedRecord(0).text, "Hello world");
    EXPECT_EQ(events.ReceivedRecord(0).sender, "+3630222");
    EXPECT_EQ(FilesIn(home / "smsparts"), 1u);
}

}  // namespace
}  // namespace nimbra::smpp::testing
