#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "unCimdCodec.h"

namespace nimbra::cimd {
namespace {

std::string PadTo3(int number) {
    std::string text = std::to_string(number);
    return std::string(3 - text.size(), '0') + text;
}

TEST(Numbering, RunsOverOddNumbersAndWrapsAfter255) {
    CimdNumbering numbering;
    EXPECT_EQ(numbering.last(), "-1");
    for (int expected = 1; expected <= 255; expected += 2) {
        const std::string number = std::to_string(expected);
        EXPECT_EQ(numbering.Assemble(AlivePacket()), "40:" + number + "\t\r\n");
        EXPECT_EQ(numbering.last(), number);
        EXPECT_EQ(numbering.awaited(), number);
    }
    EXPECT_EQ(numbering.Assemble(AlivePacket()), "40:1\t\r\n");
    EXPECT_EQ(numbering.Assemble(AlivePacket()), "40:3\t\r\n");
}

TEST(Numbering, ACentreNumbersEvenAndWrapsAfter254) {
    CimdNumbering numbering(CimdNumbering::Side::Centre);
    for (int expected = 2; expected <= 254; expected += 2)
        EXPECT_EQ(numbering.Assemble(AlivePacket(), Framing::Standard),
                  "40:" + PadTo3(expected) + "\t");
    EXPECT_EQ(numbering.Assemble(AlivePacket(), Framing::Standard), "40:000\t");
    EXPECT_EQ(numbering.Assemble(AlivePacket(), Framing::Standard), "40:002\t");
}

TEST(Numbering, RestartGivesOneAgain) {
    CimdNumbering numbering;
    numbering.Assemble(AlivePacket());
    numbering.Assemble(AlivePacket());
    numbering.Restart();
    EXPECT_EQ(numbering.Assemble(LoginPacket("user", "pw")), "01:1\t011:pw\t010:user\t\r\n");
    EXPECT_EQ(numbering.Assemble(LogoutPacket()), "02:3\t\r\n");
}

TEST(Numbering, ResponseKeepsItsNumberAndDoesNotAdvance) {
    CimdNumbering numbering;
    EXPECT_EQ(numbering.Assemble(ResponsePacket(kOpDeliverResponse, "007")), "70:007\t\r\n");
    EXPECT_EQ(numbering.last(), "-1");
    EXPECT_EQ(numbering.awaited(), "-1");

    numbering.Assemble(AlivePacket());  // 1
    numbering.Assemble(AlivePacket());  // 3
    numbering.setAwaited("0");
    EXPECT_EQ(numbering.Assemble(ResponsePacket(kOpStatusReportResponse, "12")), "73:12\t\r\n");
    EXPECT_EQ(numbering.last(), "3");
    EXPECT_EQ(numbering.awaited(), "3");
    EXPECT_EQ(numbering.Assemble(AlivePacket()), "40:5\t\r\n");
}

TEST(Numbering, NumbersStillInUseArePassedOverAcrossTheWrap) {
    CimdNumbering numbering;
    for (int i = 0; i < 126; ++i)
        numbering.Assemble(AlivePacket());  // up to 251
    const std::vector<int> inUse = {253, 1, 3, 7};
    const auto taken = [&](int n) {
        return std::find(inUse.begin(), inUse.end(), n) != inUse.end();
    };
    std::vector<std::string> numbers;
    for (int i = 0; i < 3; ++i) {
        numbering.SkipInUse(taken);
        numbers.push_back(numbering.Assemble(AlivePacket(), Framing::Standard));
    }
    EXPECT_EQ(numbers, (std::vector<std::string>{"40:255\t", "40:005\t", "40:009\t"}));
}

TEST(Numbering, EveryNumberInUseLeavesTheNumberingAsItRuns) {
    CimdNumbering numbering;
    numbering.Assemble(AlivePacket());
    numbering.SkipInUse([](int) { return true; });
    EXPECT_EQ(numbering.Assemble(AlivePacket()), "40:3\t\r\n");
}

TEST(Assemble, WritesEveryEntryUpToTheLastOneIncludingGaps) {
    TParamList list;
    list.put(0, "03:");
    list.put(1, "021:1");
    list.put(3, "056:8");
    CimdNumbering numbering;
    EXPECT_EQ(numbering.Assemble(list), "03:1\t021:1\t\t056:8\t\r\n");
}

TEST(SubmitPacket, OriginatorKindFollowsTheSender) {
    struct Case {
        std::string sender;
        bool includeOriginator;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"Shop1", true, "03:1\t021:+3620\t027:Shop1\t033:a_--b\t056:8\t\r\n"},
        {"+36301", true, "03:1\t021:+3620\t023:+36301\t033:a_--b\t056:8\t\r\n"},
        {"\xE1"
         "123",
         true,
         "03:1\t021:+3620\t023:\xE1"
         "123\t033:a_--b\t056:8\t\r\n"},
        {"Shop1", false, "03:1\t021:+3620\t033:a_--b\t056:8\t\r\n"},
    };
    for (const Case& c : cases) {
        CimdNumbering numbering;
        EXPECT_EQ(numbering.Assemble(SubmitPacket("+3620", c.sender, "a_b", c.includeOriginator)),
                  c.expected)
            << c.sender << " " << c.includeOriginator;
    }
}

// Standard packets: three-digit numbers, no line end; the frame's checksum is the byte sum
// from STX through the last TAB modulo 256 in two upper-case hexadecimal digits.
TEST(StandardPacket, IsNumberedWithThreeDigitsAndFramedWithItsChecksum) {
    struct Case {
        const char* name;
        TParamList list;
        std::string frame;
    };
    CimdNumbering numbering;
    numbering.Restart();
    const std::string stx = "\x02";
    const std::string etx = "\x03";
    const Case cases[] = {
        {"login", LoginPacket("user", "pw"), stx + "01:001\t011:pw\t010:user\t86" + etx},
        {"response keeps its number", ResponsePacket(kOpDeliverResponse, "002"),
         stx + "70:002\t3E" + etx},
        {"short response number is padded", ResponsePacket(kOpDeliverResponse, "2"),
         stx + "70:002\t3E" + etx},
        {"submit", SubmitPacket("+3620111", "x", UserData{"", "", "_Oa _L- _e' _a\"", ""}, false),
         stx + "03:003\t021:+3620111\t033:_Oa _L- _e' _a\"\t056:62\tCD" + etx},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(StandardFrame(numbering.Assemble(c.list, Framing::Standard)), c.frame);
    }
    numbering.Restart();
    EXPECT_EQ(StandardFrame(numbering.Assemble(AlivePacket(), Framing::Standard)),
              stx + "40:001\t3A" + etx);
}

TEST(SubmitPacket, UserDataParametersComeInTheirOrder) {
    const UserData data{"24", "0500030A0201", "", "03B1"};
    CimdNumbering numbering;
    EXPECT_EQ(numbering.Assemble(SubmitPacket("+3620", "Shop", data, true), Framing::Standard),
              "03:001\t021:+3620\t027:Shop\t030:24\t032:0500030A0201\t034:03B1\t056:62\t");
}

TEST(Unframe, FindsThePacketAndChecksItsChecksum) {
    struct Case {
        const char* name;
        std::string received;
        Unframed result;
        std::string packet;
    };
    const std::string stx = "\x02";
    const std::string etx = "\x03";
    const Case cases[] = {
        {"checked", stx + "51:001\t" + "3C" + etx, Unframed::Ok, "51:001\t"},
        {"lower-case checksum", stx + "40:001\t3a" + etx, Unframed::Ok, "40:001\t"},
        {"without checksum", stx + "53:003\t060:231224180509\t" + etx, Unframed::Ok,
         "53:003\t060:231224180509\t"},
        {"after a greeting line", "CIMD2-A ConnectionServer\r\n" + stx + "40:001\t3A" + etx,
         Unframed::Ok, "40:001\t"},
        {"after the tail of a broken frame", stx + "20:0" + stx + "40:001\t3A" + etx, Unframed::Ok,
         "40:001\t"},
        {"wrong checksum", stx + "40:001\t3B" + etx, Unframed::BadChecksum, ""},
        {"no checksum digits", stx + "40:001\tZZ" + etx, Unframed::BadChecksum, ""},
        {"three digits", stx + "40:001\t03A" + etx, Unframed::BadChecksum, ""},
        {"no STX", "40:001\t3A" + etx, Unframed::NoPacket, ""},
        {"no TAB", stx + "40:001" + etx, Unframed::NoPacket, ""},
        {"no ETX", stx + "40:001\t3A", Unframed::NoPacket, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string_view packet;
        EXPECT_EQ(Unframe(c.received, packet), c.result);
        if (c.result == Unframed::Ok) {
            EXPECT_EQ(packet, c.packet);
        }
    }
}

}  // namespace
}  // namespace nimbra::cimd
