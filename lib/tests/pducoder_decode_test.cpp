// Decoding side of the PDU codec: deliver and status report vectors, the record-level call,
// concatenated messages collected in a temporary part store, and the removal of old parts.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "pdu_test_support.h"
#include "pducoder.h"
#include "pducoder_parts.h"

namespace nimbra {
namespace {

using namespace std::string_literals;
using test::DeliverFields;
using test::DeliverPdu;
using test::Hex;
using test::HexOfText;
using test::Octets;
using test::PackSeptets;
using test::PlainSeptets;
using test::PlainText;
using test::SevenBitPart;

class PduDecodeTest : public testing::Test {
protected:
    PduDecodeResult Decode(std::string_view pdu, bool convertUcs2 = false, bool remove = true) {
        TsmsPduCodec codec(references_, options_);
        return codec.Decode(pdu, convertUcs2, remove);
    }
    std::vector<std::string> Files() const { return folder_.PartFiles(); }

    test::TempFolder folder_;
    PduCodecOptions options_ = folder_.Options();
    MemoryPduReferenceStore references_;
};

DeliverFields Fields(int dcs, int udl, std::string userData, bool header = false) {
    DeliverFields f;
    f.dcs = dcs;
    f.udl = udl;
    f.userData = std::move(userData);
    f.userDataHeader = header;
    return f;
}

TEST_F(PduDecodeTest, DeliverVectors) {
    struct Case {
        std::string name;
        std::string pdu;
        bool convertUcs2;
        std::string sender;
        std::string text;
        std::string timestamp;
    };
    DeliverFields national, typeZero, newer, alphanumeric, withSmsc;
    national.originator = "0B812143658709F1";
    typeZero.originator = "0B002143658709F1";
    newer.stamp = "21-03-12 10:20:30";
    alphanumeric.originator = "0BD0CE745B2C0F03";  // "Nimbra": 6 septets in 11 semi-octets
    withSmsc.smsc = "07911326040000F0";
    for (DeliverFields* f : {&national, &typeZero, &newer, &alphanumeric, &withSmsc}) {
        f->udl = 5;
        f->userData = "E8329BFD06";
    }
    const std::string card = "BEGIN:VCARD\r\nEND";
    const Case cases[] = {
        {"real vector, type C8",
         "07917283010010F5040BC87238880900F10000993092516195800AE8329BFD4697D9EC37", false,
         "27838890001", "hellohello", "2099-03-29 15:16:59"},
        {"international", test::TextDeliver("hello"), false, "+12345678901", "hello",
         "2005-03-12 10:20:30"},
        {"national", DeliverPdu(national), false, "12345678901", "hello", "2005-03-12 10:20:30"},
        {"type 0", DeliverPdu(typeZero), false, "+12345678901", "hello", "2005-03-12 10:20:30"},
        {"year from 2010 on", DeliverPdu(newer), false, "+12345678901", "hello",
         "2021-03-12 10:20:30"},
        {"alphanumeric", DeliverPdu(alphanumeric), false, "Nimbra", "hello", "2005-03-12 10:20:30"},
        {"SMSC skipped", DeliverPdu(withSmsc), false, "+12345678901", "hello",
         "2005-03-12 10:20:30"},
        {"line end after PDU", test::TextDeliver("hello") + "\r", false, "+12345678901", "hello",
         "2005-03-12 10:20:30"},
        {"escape, CR and LF", DeliverPdu(Fields(0x00, 6, PackSeptets({27, 40, 97, 13, 10, 98}))),
         false, "+12345678901", "{ab", "2005-03-12 10:20:30"},
        {"UDL limits septets", DeliverPdu(Fields(0x00, 3, "E8329BFD06")), false, "+12345678901",
         "hel", "2005-03-12 10:20:30"},
        {"UCS-2 converted", DeliverPdu(Fields(0x08, 10, "0048000D000A00690416")), true,
         "+12345678901", "Hi?", "2005-03-12 10:20:30"},
        {"UCS-2 as hex", DeliverPdu(Fields(0x08, 10, "0048000D000A00690416")), false,
         "+12345678901", "_UCS2_0048000D000A00690416", "2005-03-12 10:20:30"},
        {"UCS-2 class 1", DeliverPdu(Fields(0x19, 2, "0041")), true, "+12345678901", "A",
         "2005-03-12 10:20:30"},
        {"8-bit data", DeliverPdu(Fields(0xF4, 5, "48656C6C6F")), false, "+12345678901",
         "_B64_48656C6C6F", "2005-03-12 10:20:30"},
        {"business card",
         DeliverPdu(Fields(0xF5, 7 + static_cast<int>(card.size()),
                           "06050423F40000" + HexOfText(card), true)),
         false, "+12345678901", "BEGIN:VCARD\\0x0D\\0x0AEND", "2005-03-12 10:20:30"},
        {"7-bit behind a port header",
         DeliverPdu(Fields(0x00, 8 + 2, "0605040B8423F0" + PackSeptets(PlainSeptets("hi")), true)),
         false, "+12345678901", "hi", "2005-03-12 10:20:30"},
        {"8-bit behind a port header", DeliverPdu(Fields(0xF4, 9, "0605040B8423F0CAFE", true)),
         false, "+12345678901", "_B64_CAFE", "2005-03-12 10:20:30"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PduDecodeResult r = Decode(c.pdu, c.convertUcs2);
        EXPECT_EQ(r.kind, kTypeMessage);
        EXPECT_EQ(r.sender, c.sender);
        EXPECT_EQ(r.text, c.text);
        EXPECT_EQ(r.timestamp, c.timestamp);
        EXPECT_EQ(r.reference, "");
        EXPECT_EQ(r.status, "");
    }
    EXPECT_TRUE(Files().empty());
}

TEST_F(PduDecodeTest, SevenBitWithoutConversion) {
    options_.convert7Bit = false;
    const PduDecodeResult r = Decode(DeliverPdu(Fields(0x00, 5, PackSeptets({0, 27, 40, 2, 6}))));
    EXPECT_EQ(r.text, "\0\x1B(\x02\x06"s);
}

// Every well-formed status report is a report; its status is "0" when the message was
// delivered, else the TP-ST code, which IsReportStillTrying tells apart while the centre
// still tries.
TEST_F(PduDecodeTest, StatusReportsCarryTheirOutcome) {
    struct Case {
        std::string tpdu;
        std::string sender;
        std::string reference;
        std::string status;
        bool stillTrying;
    };
    const std::string stamps = "7090215101218070902151017180";
    const Case cases[] = {
        // Received by the recipient, and forwarded to it without confirmation.
        {"06000B910221815716F2" + stamps + "00", "+20121875612", "0", "0", false},
        {"062A0B810221815716F2" + stamps + "01", "20121875612", "42", "0", false},
        // Replaced by the centre: the text sent never arrives.
        {"06000B910221815716F2" + stamps + "02", "+20121875612", "0", "2", false},
        // Reserved and centre-specific values of a completed transfer.
        {"06000B910221815716F2" + stamps + "03", "+20121875612", "0", "3", false},
        {"06000B910221815716F2" + stamps + "1F", "+20121875612", "0", "31", false},
        // Congestion, still trying; and the centre-specific still-trying values.
        {"06070B910221815716F2" + stamps + "20", "+20121875612", "7", "32", true},
        {"06FF0B910221815716F2" + stamps + "3F", "+20121875612", "255", "63", true},
        // Incompatible destination; congestion, no more tries; reserved values.
        {"06070B910221815716F2" + stamps + "41", "+20121875612", "7", "65", false},
        {"06070B910221815716F2" + stamps + "60", "+20121875612", "7", "96", false},
        {"06070B910221815716F2" + stamps + "7F", "+20121875612", "7", "127", false},
        {"06070B910221815716F2" + stamps + "80", "+20121875612", "7", "128", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tpdu);
        const PduDecodeResult r = Decode("00" + c.tpdu);
        EXPECT_EQ(r.kind, kTypeDeliveryReport);
        EXPECT_EQ(r.sender, c.sender);
        EXPECT_EQ(r.reference, c.reference);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(IsReportStillTrying(r.status), c.stillTrying);
        EXPECT_EQ(r.timestamp, "2007-09-12 15:10:12");
        EXPECT_EQ(r.dischargeTime, "2007-09-12 15:10:17");
        EXPECT_EQ(r.text, "Delivery report (" + c.sender + ",2007-09-12 15:10:17," + c.reference +
                              "," + c.status + ")");
    }
}

TEST_F(PduDecodeTest, TimeStampsCarryTheFourDigitYear) {
    for (const std::string year : {"00", "05", "09", "10", "21", "99"}) {
        SCOPED_TRACE(year);
        DeliverFields f = Fields(0x00, 5, "E8329BFD06");
        f.stamp = year + "-03-12 10:20:30";
        EXPECT_EQ(Decode(DeliverPdu(f)).timestamp, "20" + year + "-03-12 10:20:30");
        const PduDecodeResult report =
            Decode("0006000B910221815716F2" + test::SemiOctetStamp(year + "-09-12 15:10:12") +
                   test::SemiOctetStamp(year + "-09-12 15:10:17") + "00");
        EXPECT_EQ(report.timestamp, "20" + year + "-09-12 15:10:12");
        EXPECT_EQ(report.dischargeTime, "20" + year + "-09-12 15:10:17");
        EXPECT_EQ(report.text, "Delivery report (+20121875612,20" + year + "-09-12 15:10:17,0,0)");
    }
}

TEST_F(PduDecodeTest, DecodeIntoRecordFillsTheRecord) {
    TsmsPduCodec codec(references_, options_);
    TGsmSms record(0.0);
    record.messageId = "17";
    codec.DecodeIntoRecord(test::TextDeliver("hello"), record, "+4930123", false);
    EXPECT_EQ(record.type, kTypeMessage);
    EXPECT_EQ(record.sender, "+12345678901");
    EXPECT_EQ(record.receiver, "+4930123");
    EXPECT_EQ(record.text, "hello");
    EXPECT_EQ(record.sentTime, "2005-03-12 10:20:30");
    EXPECT_EQ(record.reference, "");
    EXPECT_EQ(record.status, "");
    EXPECT_EQ(record.messageId, "17");

    codec.DecodeIntoRecord(Octets("0006070B910221815716F27090215101218070902151017180 00"), record,
                           "555", false);
    EXPECT_EQ(record.type, kTypeDeliveryReport);
    EXPECT_EQ(record.sender, "+20121875612");
    EXPECT_EQ(record.receiver, "555");
    EXPECT_EQ(record.sentTime, "2007-09-12 15:10:17") << "a report carries its discharge time";
    EXPECT_EQ(record.reference, "7");
    EXPECT_EQ(record.status, "0");
}

TEST_F(PduDecodeTest, IsPdu) {
    struct Case {
        std::string line;
        bool plain;
        bool decoded;
    };
    const std::string hello = test::TextDeliver("hello");
    const Case cases[] = {
        {"", false, false},
        {"001122334455667", false, false},
        {"0011223344556677", true, false},
        {"001122334455667\r", true, false},
        {"00112233445566a7", false, false},
        {"0011223344556 77", false, false},
        {hello, true, true},
        {hello + "\n", true, true},
        // A report of any outcome is something to deliver.
        {Octets("0006000B910221815716F27090215101218070902151017180 30"), true, true},
    };
    for (const Case& c : cases) {
        TsmsPduCodec codec(references_, options_);
        EXPECT_EQ(codec.IsPdu(c.line, false), c.plain) << c.line;
        EXPECT_EQ(codec.IsPdu(c.line, true), c.decoded) << c.line;
    }
}

TEST_F(PduDecodeTest, PartsOutOfOrderCompleteTheMessage) {
    const std::string text = PlainText(161);
    const std::string first = SevenBitPart("050003610201", text.substr(0, 153));
    const std::string second = SevenBitPart("050003610202", text.substr(153));

    const PduDecodeResult waiting = Decode(second);
    EXPECT_EQ(waiting.kind, kPduKindPass);
    EXPECT_EQ(waiting.text, "");
    EXPECT_EQ(Files(), std::vector<std::string>{"+12345678901_0003612.smspart.txt"});

    const PduDecodeResult whole = Decode(first);
    EXPECT_EQ(whole.kind, kTypeMessage);
    EXPECT_EQ(whole.text, text) << "eight septets in the last part leave no stray @";
    EXPECT_EQ(whole.sender, "+12345678901");
    EXPECT_TRUE(Files().empty());
}

TEST_F(PduDecodeTest, PartsStayWithoutDeletionAndIsPduStores) {
    const std::string first = SevenBitPart("050003420201", "Hello ");
    const std::string second = SevenBitPart("050003420202", "world");
    TsmsPduCodec codec(references_, options_);
    EXPECT_FALSE(codec.IsPdu(second, true)) << "an incomplete part is no PDU yet";
    EXPECT_EQ(Files(), std::vector<std::string>{"+12345678901_0003422.smspart.txt"});
    EXPECT_TRUE(codec.IsPdu(first, true));
    EXPECT_EQ(Files().size(), 2u);
    const PduDecodeResult whole = Decode(first, false, false);
    EXPECT_EQ(whole.text, "Hello world");
    EXPECT_EQ(Files().size(), 2u);
    EXPECT_EQ(Decode(second).text, "Hello world");
    EXPECT_TRUE(Files().empty());
}

// Two senders that happen to use the same reference; the second is an alphanumeric sender
// whose name holds characters a file name cannot.
TEST_F(PduDecodeTest, SendersUsingOneReferenceKeepTheirParts) {
    const std::string other = "09D0" + PackSeptets({'A', '/', 'B', ' ', 'c'});
    EXPECT_EQ(Decode(SevenBitPart("050003610202", "from one")).kind, kPduKindPass);
    EXPECT_EQ(Decode(SevenBitPart("050003610202", "from other", other)).kind, kPduKindPass);
    EXPECT_EQ(Files(), (std::vector<std::string>{"+12345678901_0003612.smspart.txt",
                                                 "A%2FB%20c_0003612.smspart.txt"}));
    const PduDecodeResult fromOther = Decode(SevenBitPart("050003610201", "Second, ", other));
    EXPECT_EQ(fromOther.sender, "A/B c");
    EXPECT_EQ(fromOther.text, "Second, from other");
    const PduDecodeResult fromOne = Decode(SevenBitPart("050003610201", "First, "));
    EXPECT_EQ(fromOne.sender, "+12345678901");
    EXPECT_EQ(fromOne.text, "First, from one");
    EXPECT_TRUE(Files().empty());
}

// A part stored before parts were kept by sender completes its message and goes with it.
TEST_F(PduDecodeTest, PartsStoredWithoutTheSenderAreStillRead) {
    EXPECT_EQ(Decode(SevenBitPart("050003610202", "world")).kind, kPduKindPass);
    std::filesystem::rename(folder_.parts() / "+12345678901_0003612.smspart.txt",
                            folder_.parts() / "0003612.smspart.txt");
    EXPECT_EQ(Decode(SevenBitPart("050003610201", "Hello ")).text, "Hello world");
    EXPECT_TRUE(Files().empty());
}

TEST(PduPartStoreTest, RemovesPartsWrittenBeforeTheLimit) {
    using std::chrono::hours;
    const test::TempFolder folder;
    const auto now = std::filesystem::file_time_type::clock::now();
    struct File {
        std::string name;
        hours age;
        bool kept;
    };
    const File files[] = {
        {"+12345678901_0003612.smspart.txt", hours(24 * 7 + 1), false},
        {"0003612.smspart.txt", hours(24 * 30), false},
        {"+12345678901_0003611.smspart.txt.123-0.tmp", hours(24 * 8), false},
        {"+12345678901_0003622.smspart.txt", hours(24 * 7 - 1), true},
        {"notes.txt", hours(24 * 30), true},
    };
    std::filesystem::create_directories(folder.parts());
    for (const File& f : files) {
        std::ofstream(folder.parts() / f.name) << "00\r\n";
        std::filesystem::last_write_time(folder.parts() / f.name, now - f.age);
    }
    PduPartStore(folder.parts()).RemoveWrittenBefore(now - kPartFileMaxAge);
    for (const File& f : files)
        EXPECT_EQ(std::filesystem::exists(folder.parts() / f.name), f.kept) << f.name;
    PduPartStore(folder.path() / "missing").RemoveWrittenBefore(now);
}

TEST_F(PduDecodeTest, HeaderVariantsOfConcatenation) {
    struct Case {
        std::string name;
        std::string firstHeader;
        std::string secondHeader;
        std::string storedName;  // the file the second part leaves
    };
    const Case cases[] = {
        {"16-bit reference", "060804ABCD0201", "060804ABCD0202",
         "+12345678901_0804ABCD2.smspart.txt"},
        {"port element first", Octets("0B050423F40000000317 0201"),
         Octets("0B050423F40000000317 0202"), "+12345678901_0003172.smspart.txt"},
        {"port element last", Octets("0B0003170201 050423F40000"),
         Octets("0B0003170202 050423F40000"), "+12345678901_0003172.smspart.txt"},
        {"two concatenation elements", Octets("0A0003170201 0003180202"),
         Octets("0A0003170202 0003180202"), "+12345678901_0003172.smspart.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const std::string ending : {"abc", "abcdefgh", "abcdefghijklmnop"}) {
            EXPECT_EQ(Decode(SevenBitPart(c.secondHeader, ending)).kind, kPduKindPass);
            EXPECT_EQ(Files(), std::vector<std::string>{c.storedName});
            const PduDecodeResult r = Decode(SevenBitPart(c.firstHeader, "Start of it "));
            EXPECT_EQ(r.kind, kTypeMessage);
            EXPECT_EQ(r.text, "Start of it " + ending);
            EXPECT_TRUE(Files().empty());
        }
    }
}

TEST_F(PduDecodeTest, UnicodeAndDataPartsAreJoined) {
    const std::string first = DeliverPdu(Fields(0x08, 10, Octets("050003200201 00480069"), true));
    const std::string second = DeliverPdu(Fields(0x08, 8, Octets("050003200202 0021"), true));
    EXPECT_EQ(Decode(first, true).kind, kPduKindPass);
    EXPECT_EQ(Decode(second, true).text, "Hi!");
    EXPECT_EQ(Decode(second, false).kind, kPduKindPass);
    EXPECT_EQ(Decode(first, false).text, "_UCS2_004800690021");

    EXPECT_EQ(Decode(DeliverPdu(Fields(0xF6, 7, Octets("050003210202 FF"), true))).kind,
              kPduKindPass);
    EXPECT_EQ(Decode(DeliverPdu(Fields(0xF6, 8, Octets("050003210201 0102"), true))).text,
              "_B64_0102FF");
    EXPECT_TRUE(Files().empty());
}

TEST_F(PduDecodeTest, MoreThanTwentyPartsAreDeliveredOneByOne) {
    const PduDecodeResult r = Decode(SevenBitPart("050003551503", "third of 21"));
    EXPECT_EQ(r.kind, kTypeMessage);
    EXPECT_EQ(r.text, "third of 21");
    EXPECT_TRUE(Files().empty());
    EXPECT_EQ(Decode(SevenBitPart("050003551401", "first")).kind, kPduKindPass)
        << "twenty parts are still collected";
}

TEST_F(PduDecodeTest, DecodeOptionOffGivesThePdu) {
    options_.decodePdu = false;
    const std::string part = SevenBitPart("050003610202", "abc");
    const PduDecodeResult r = Decode(part + "\r");
    EXPECT_EQ(r.kind, kTypeMessage);
    EXPECT_EQ(r.text, "_PDU_" + part);
    EXPECT_EQ(r.sender, "+12345678901");
    EXPECT_TRUE(Files().empty());
    EXPECT_EQ(Decode(part.substr(0, 30)).kind, kPduKindPass) << "still checked for its fields";
}

TEST_F(PduDecodeTest, UnwritableStoreLeavesMessagesIncomplete) {
    const std::filesystem::path blocker = folder_.path() / "blocker";
    std::ofstream(blocker) << "x";
    options_.partsFolder = blocker / "smsparts";
    EXPECT_EQ(Decode(SevenBitPart("050003610101", "only part")).kind, kPduKindPass);
    EXPECT_EQ(Decode(SevenBitPart("050003610202", "b")).kind, kPduKindPass);
    EXPECT_EQ(Decode(SevenBitPart("050003610201", "a")).kind, kPduKindPass);
}

TEST_F(PduDecodeTest, DamagedPartFileLeavesMessageIncomplete) {
    EXPECT_EQ(Decode(SevenBitPart("050003610202", "b")).kind, kPduKindPass);
    const std::filesystem::path stored = folder_.parts() / "+12345678901_0003612.smspart.txt";
    for (const std::string& damage : {"zz\r\n"s, "0g\r\n"s, std::string(5000, 'A')}) {
        std::ofstream(stored, std::ios::binary | std::ios::trunc) << damage;
        EXPECT_EQ(Decode(SevenBitPart("050003610201", "a")).kind, kPduKindPass);
    }
    EXPECT_EQ(Decode(SevenBitPart("050003610202", "b")).kind, kTypeMessage) << "repaired";
    EXPECT_TRUE(Files().empty());
}

TEST_F(PduDecodeTest, InterleavedMessagesKeepTheirParts) {
    EXPECT_EQ(Decode(SevenBitPart("050003010201", "one ")).kind, kPduKindPass);
    EXPECT_EQ(Decode(SevenBitPart("050003020202", "TWO")).kind, kPduKindPass);
    EXPECT_EQ(Decode(SevenBitPart("050003010201", "one ")).kind, kPduKindPass) << "repeat";
    EXPECT_EQ(Files().size(), 2u);
    EXPECT_EQ(Decode(SevenBitPart("050003020201", "two ")).text, "two TWO");
    EXPECT_EQ(Decode(SevenBitPart("050003010202", "ONE")).text, "one ONE");
    EXPECT_TRUE(Files().empty());
}

}  // namespace
}  // namespace nimbra
