// Messages through the modem: what the driver sends with AT+CMGS, what comes in for it and is
// read with AT+CMGR and AT+CMGL, status reports, indications, and the memories.

#include <string>

#include <gtest/gtest.h>

#include "codec_reader.h"
#include "modem_fixture.h"
#include "pducoder.h"
#include "unGSMSMS.h"

namespace modemsim {
namespace {

const std::string kOk = "\r\nOK\r\n";
// "hello" to +36301122334 without an SMSC part: 18 octets of TPDU.
const std::string kHello = "0001000B916303112233F4000005E8329BFD06";
const std::string kHelloWithReport = "0021000B916303112233F4000005E8329BFD06";

using test::PduLine;

class MessagesTest : public ::testing::Test {
protected:
    std::string Send(const std::string& pdu, int length) {
        const std::string prompt = fixture_.Say("AT+CMGS=" + std::to_string(length) + "\r");
        EXPECT_EQ(prompt, "\r\n> ");
        return fixture_.Say(pdu + "\x1A");
    }
    nimbra::PduDecodeResult Decode(const std::string& pdu) { return reader_.Decode(pdu); }

    test::ModemFixture fixture_;
    test::CodecReader reader_;
};

TEST_F(MessagesTest, AMessageTheCodecEncodedIsSentWithAReference) {
    nimbra::TsmsPduCodec codec = reader_.Codec();
    nimbra::TGsmSms record;
    record.receiver = "+36301234567";
    record.text = "Hello from the test";
    const nimbra::PduPart part = codec.EncodePart(record, 1, true, "");
    EXPECT_EQ(Send(part.pdu, part.tpduLength), "\r\n+CMGS: 1\r\n" + kOk);
    EXPECT_EQ(Send(kHello, 18), "\r\n+CMGS: 2\r\n" + kOk);

    ASSERT_EQ(fixture_.modem.sent().size(), 2u);
    const SentMessage& sent = fixture_.modem.sent()[0];
    EXPECT_EQ(sent.reference, 1);
    EXPECT_EQ(sent.submit.destination, "+36301234567");
    EXPECT_EQ(sent.submit.text, "Hello from the test");
    EXPECT_TRUE(sent.submit.statusReport);
    EXPECT_EQ(fixture_.modem.stats().submits, 2);
}

TEST_F(MessagesTest, ReferencesWrapAfter255) {
    ModemSettings settings = test::Quiet();
    settings.firstReference = 255;
    test::ModemFixture fixture(settings);
    for (const char* reference : {"255", "1"}) {
        EXPECT_EQ(fixture.Say("AT+CMGS=18\r"), "\r\n> ");
        EXPECT_EQ(fixture.Say(kHello + "\x1A"),
                  "\r\n+CMGS: " + std::string(reference) + "\r\n" + kOk);
    }
}

TEST_F(MessagesTest, AWrongLengthOrAPduThatIsNotOneIsRefused) {
    struct Case {
        std::string pdu;
        int length;
    };
    for (const Case& c : {Case{kHello, 19}, Case{kHello, 17}, Case{"0001000B91ZZ", 6},
                          Case{kHello.substr(0, 30), 13}}) {
        EXPECT_EQ(Send(c.pdu, c.length), "\r\n+CMS ERROR: 304\r\n") << c.pdu;
    }
    EXPECT_TRUE(fixture_.modem.sent().empty());
    EXPECT_EQ(fixture_.Say("AT\r"), kOk);  // back in command state
}

TEST_F(MessagesTest, EscapeCancelsTheMessage) {
    EXPECT_EQ(fixture_.Say("AT+CMGS=18\r"), "\r\n> ");
    EXPECT_EQ(fixture_.Say(kHello + "\x1B"), kOk);
    EXPECT_TRUE(fixture_.modem.sent().empty());
}

TEST_F(MessagesTest, ThePduMayComeInPiecesWithLineEndsAndIsEchoed) {
    test::ModemFixture echoing(ModemSettings{});
    EXPECT_EQ(echoing.Say("AT+CMGS=18\r"), "AT+CMGS=18\r\r\n> ");
    EXPECT_EQ(echoing.Say(kHello.substr(0, 10)), kHello.substr(0, 10));
    EXPECT_EQ(echoing.Say(kHello.substr(10) + "\r\n\x1A"),
              kHello.substr(10) + "\r\n\r\n+CMGS: 1\r\n" + kOk);
}

TEST_F(MessagesTest, AStatusReportIsStoredAfterTheReportDelayAndDecodes) {
    EXPECT_EQ(Send(kHelloWithReport, 18), "\r\n+CMGS: 1\r\n" + kOk);
    EXPECT_EQ(fixture_.modem.NextDueMs(), 300);
    fixture_.After(299);
    EXPECT_EQ(fixture_.modem.storedCount(), 0);
    fixture_.After(1);
    EXPECT_EQ(fixture_.modem.storedCount(), 1);
    EXPECT_FALSE(fixture_.modem.NextDueMs());

    const std::string answer = fixture_.Say("AT+CMGR=1\r");
    ASSERT_EQ(answer.substr(0, 14), "\r\n+CMGR: 0,,25") << answer;
    const nimbra::PduDecodeResult report = Decode(PduLine(answer));
    EXPECT_EQ(report.kind, nimbra::kTypeDeliveryReport);
    EXPECT_EQ(report.reference, "1");
    EXPECT_EQ(report.sender, "+36301122334");
    // Read once, it shows as read.
    EXPECT_EQ(fixture_.Say("AT+CMGR=1\r").substr(0, 14), "\r\n+CMGR: 1,,25");
}

TEST_F(MessagesTest, NoReportIsMadeWhenNoneIsAskedForOrReportsAreOff) {
    EXPECT_EQ(Send(kHello, 18), "\r\n+CMGS: 1\r\n" + kOk);
    EXPECT_FALSE(fixture_.modem.NextDueMs());

    ModemSettings settings = test::Quiet();
    settings.reports = false;
    test::ModemFixture silent(settings);
    silent.Say("AT+CMGS=18\r");
    silent.Say(kHelloWithReport + "\x1A");
    EXPECT_FALSE(silent.modem.NextDueMs());
    // On command it still makes one, with the status it is given.
    const Placement placement = silent.modem.Report(std::nullopt, 48);
    EXPECT_EQ(placement.error, "");
    EXPECT_EQ(placement.indexes, std::vector<int>{1});
    EXPECT_EQ(silent.modem.Report(99, 0).error, "no message was sent with reference 99");
}

TEST_F(MessagesTest, AReplyComesAfterTheReportForTheLastPart) {
    ModemSettings settings = test::Quiet();
    settings.reply = "Thanks";
    test::ModemFixture fixture(settings);
    fixture.Say("AT+CMGS=18\r");
    fixture.Say(kHelloWithReport + "\x1A");
    fixture.After(300);
    EXPECT_EQ(fixture.modem.storedCount(), 1);  // the report
    fixture.After(300);
    ASSERT_EQ(fixture.modem.storedCount(), 2);
    const nimbra::PduDecodeResult reply = Decode(PduLine(fixture.Say("AT+CMGR=2\r")));
    EXPECT_EQ(reply.kind, nimbra::kTypeMessage);
    EXPECT_EQ(reply.sender, "+36301122334");
    EXPECT_EQ(reply.text, "Thanks");
}

TEST_F(MessagesTest, ATwoPartMessageIsReadBackPartByPart) {
    const std::string text = test::Letters(200);
    const Placement placement = fixture_.modem.Deliver("+36201234567", text);
    EXPECT_EQ(placement.parts, 2);
    EXPECT_EQ(placement.indexes, (std::vector<int>{1, 2}));
    EXPECT_EQ(fixture_.modem.stats().delivers, 2);

    EXPECT_EQ(Decode(PduLine(fixture_.Say("AT+CMGR=1\r"))).kind, nimbra::kPduKindPass);
    const nimbra::PduDecodeResult whole = Decode(PduLine(fixture_.Say("AT+CMGR=2\r")));
    EXPECT_EQ(whole.kind, nimbra::kTypeMessage);
    EXPECT_EQ(whole.sender, "+36201234567");
    EXPECT_EQ(whole.text, text);
    EXPECT_EQ(whole.timestamp, "2005-03-12 10:20:30");

    EXPECT_EQ(fixture_.Say("AT+CMGD=1\rAT+CMGD=2\r"), kOk + kOk);
    EXPECT_EQ(fixture_.modem.storedCount(), 0);
    EXPECT_EQ(fixture_.modem.stats().deletes, 2);
}

TEST_F(MessagesTest, AFullMemoryTakesNoPartOfAMessage) {
    ModemSettings settings = test::Quiet();
    settings.simSlots = 1;
    test::ModemFixture fixture(settings);
    const Placement placement = fixture.modem.Deliver("+3620", std::string(200, 'x'));
    EXPECT_EQ(placement.error, "memory SM has 1 free slots, 2 needed");
    EXPECT_EQ(fixture.modem.storedCount(), 0);
}

TEST_F(MessagesTest, MessagesGoToTheMemoryChosenForReadingOrTheOneConfigured) {
    EXPECT_EQ(fixture_.Say("AT+CPMS=\"ME\"\r"), "\r\n+CPMS: 0,30,0,20,0,20\r\n" + kOk);
    fixture_.modem.Deliver("+3620", "to the phone");
    EXPECT_EQ(fixture_.Say("AT+CPMS=\"ME\"\r"), "\r\n+CPMS: 1,30,0,20,0,20\r\n" + kOk);
    // MT shows the SIM's slots first, then the phone's.
    EXPECT_EQ(fixture_.Say("AT+CPMS=\"MT\"\r"), "\r\n+CPMS: 1,50,0,20,0,20\r\n" + kOk);
    EXPECT_EQ(Decode(PduLine(fixture_.Say("AT+CMGR=21\r"))).text, "to the phone");

    ModemSettings settings = test::Quiet();
    settings.storeIn = Memory::kPhone;
    test::ModemFixture fixed(settings);
    fixed.modem.Deliver("+3620", "x");
    EXPECT_EQ(fixed.Say("AT+CMGR=1\r"), "\r\n+CMS ERROR: 321\r\n");  // SM is empty
    EXPECT_EQ(fixed.Say("AT+CPMS=\"ME\"\r"), "\r\n+CPMS: 1,30,0,20,0,20\r\n" + kOk);
}

TEST_F(MessagesTest, SlotsCanBeNumberedFromAnotherFirstIndex) {
    ModemSettings settings = test::Quiet();
    settings.firstIndex = 900;
    test::ModemFixture fixture(settings);
    EXPECT_EQ(fixture.modem.Deliver("+3620", "x").indexes, std::vector<int>{900});
    EXPECT_EQ(fixture.Say("AT+CMGR=1\r"), "\r\n+CMS ERROR: 321\r\n");
    EXPECT_EQ(fixture.Say("AT+CMGR=900\r").substr(0, 9), "\r\n+CMGR: ");
    EXPECT_EQ(fixture.Say("AT+CMGD=900\r"), kOk);
    EXPECT_EQ(fixture.modem.storedCount(), 0);
}

TEST_F(MessagesTest, ListShowsTheStoredMessagesAndDeleteAllEmptiesTheMemory) {
    fixture_.modem.Deliver("+3620", "one");
    fixture_.modem.Deliver("+3630", "two");
    const std::string all = fixture_.Say("AT+CMGL=4\r");
    EXPECT_NE(all.find("\r\n+CMGL: 1,0,,"), std::string::npos) << all;
    EXPECT_NE(all.find("\r\n+CMGL: 2,0,,"), std::string::npos) << all;
    EXPECT_EQ(fixture_.Say("AT+CMGL=0\r"), kOk);  // nothing unread any more
    EXPECT_EQ(fixture_.Say("AT+CMGD=?\r"), "\r\n+CMGD: (1,2),(0-4)\r\n" + kOk);
    EXPECT_EQ(fixture_.Say("AT+CMGD=1,4\r"), kOk);
    EXPECT_EQ(fixture_.modem.storedCount(), 0);
}

TEST_F(MessagesTest, StoredLinesAreShownAsTheyAre) {
    fixture_.modem.StoreLine(std::string("NOT A PDU"));
    fixture_.modem.StoreLine(std::nullopt);
    EXPECT_EQ(fixture_.Say("AT+CMGR=1\r"), "\r\n+CMGR: 0,,4\r\nNOT A PDU\r\n" + kOk);
    EXPECT_EQ(fixture_.Say("AT+CMGR=2\r"), "\r\n+CMGR: 0,,0\r\n" + kOk);
}

TEST_F(MessagesTest, TextModeSendsAndShowsTheDeviceLetters) {
    EXPECT_EQ(fixture_.Say("AT+CMGF=1\r"), kOk);
    EXPECT_EQ(fixture_.Say("AT+CMGS=\"+36301234567\"\r"), "\r\n> ");
    // é and ü as the device writes them (code page 437).
    EXPECT_EQ(fixture_.Say("Caf\x82 \x81\x1A"), "\r\n+CMGS: 1\r\n" + kOk);
    ASSERT_EQ(fixture_.modem.sent().size(), 1u);
    EXPECT_EQ(fixture_.modem.sent()[0].submit.text, "Caf\xE9 \xFC");
    EXPECT_EQ(fixture_.modem.sent()[0].submit.destination, "+36301234567");
    EXPECT_TRUE(fixture_.modem.sent()[0].submit.statusReport == false);

    fixture_.modem.Deliver("+36201234567", "\xC1rv\xE9z");
    EXPECT_EQ(fixture_.Say("AT+CMGR=1\r"),
              "\r\n+CMGR: \"REC UNREAD\",\"+36201234567\",,\"05/03/12,10:20:30+04\"\r\n"
              "\x8Frv\x82z\r\n" +
                  kOk);
    fixture_.modem.Report(1, 0);
    EXPECT_EQ(fixture_.Say("AT+CMGR=2\r"),
              "\r\n+CMGR: \"REC UNREAD\",6,1,\"+36301234567\",145,\"05/03/12,10:20:30+04\","
              "\"05/03/12,10:20:30+04\",0\r\n" +
                  kOk);
}

TEST_F(MessagesTest, TextModeAsksForAReportThroughTheFirstOctet) {
    EXPECT_EQ(fixture_.Say("AT+CMGF=1;+CSMP=49,167,0,0\r"), kOk);
    fixture_.Say("AT+CMGS=\"+3620\"\r");
    EXPECT_EQ(fixture_.Say("a\rb\x1A"), "\r\n> \r\n+CMGS: 1\r\n" + kOk);
    EXPECT_TRUE(fixture_.modem.sent()[0].submit.statusReport);
    EXPECT_EQ(fixture_.modem.sent()[0].submit.text, "a\nb");
}

TEST_F(MessagesTest, IndicationsFollowTheNewMessageSettings) {
    EXPECT_EQ(fixture_.Say("AT+CNMI=1,1,0,2,0\r"), kOk);
    fixture_.modem.Deliver("+3620", "x");
    EXPECT_EQ(fixture_.modem.TakeOutput(), "\r\n+CMTI: \"SM\",1\r\n");
    Send(kHelloWithReport, 18);
    fixture_.After(300);
    EXPECT_EQ(fixture_.modem.TakeOutput(), "");  // already taken by After
    EXPECT_EQ(fixture_.modem.storedCount(), 2);

    // Routed at once: not stored.
    EXPECT_EQ(fixture_.Say("AT+CNMI=2,2,0,1,0\r"), kOk);
    fixture_.modem.Deliver("+3620", "x");
    const std::string shown = fixture_.modem.TakeOutput();
    EXPECT_EQ(shown.substr(0, 13), "\r\n+CMT: ,16\r\n") << shown;
    EXPECT_EQ(Decode(shown.substr(13, shown.size() - 15)).text, "x");
    fixture_.modem.Report(std::nullopt, 0);
    EXPECT_EQ(fixture_.modem.TakeOutput().substr(0, 10), "\r\n+CDS: 25");
    EXPECT_EQ(fixture_.modem.storedCount(), 2);

    // Mode 0: stored, nothing shown.
    EXPECT_EQ(fixture_.Say("AT+CNMI=0,1,0,2,0\r"), kOk);
    fixture_.modem.Deliver("+3620", "x");
    EXPECT_EQ(fixture_.modem.TakeOutput(), "");
    EXPECT_EQ(fixture_.modem.storedCount(), 3);
}

TEST_F(MessagesTest, TheReportIndicationAfterTheSubmitIsShown) {
    EXPECT_EQ(fixture_.Say("AT+CNMI=1,1,0,2,0\r"), kOk);
    Send(kHelloWithReport, 18);
    EXPECT_EQ(fixture_.After(300), "\r\n+CDSI: \"SM\",1\r\n");
}

TEST_F(MessagesTest, AnIndicationWaitsUntilTheMessageAfterThePromptIsAnswered) {
    EXPECT_EQ(fixture_.Say("AT+CNMI=1,1,0,0,0\r"), kOk);
    EXPECT_EQ(fixture_.Say("AT+CMGS=18\r"), "\r\n> ");
    fixture_.modem.Deliver("+3620", "x");
    EXPECT_EQ(fixture_.modem.TakeOutput(), "");
    EXPECT_EQ(fixture_.Say(kHello + "\x1A"), "\r\n+CMGS: 1\r\n" + kOk + "\r\n+CMTI: \"SM\",1\r\n");
}

TEST_F(MessagesTest, APortOpenedAnewForgetsAHalfLineAndThePrompt) {
    fixture_.Say("AT+CMGS=18\r");
    fixture_.Say("0001");
    fixture_.modem.PortClosed();
    fixture_.modem.PortOpened();
    EXPECT_EQ(fixture_.Say("AT\r"), kOk);
    EXPECT_EQ(fixture_.modem.stats().opens, 1);
}

}  // namespace
}  // namespace modemsim
