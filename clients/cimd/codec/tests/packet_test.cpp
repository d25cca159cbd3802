#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "unCimdCodec.h"

namespace nimbra::cimd {
namespace {

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

TEST(Frame, ChecksumIsTheByteSumModulo256WithAtLeastTwoDigits) {
    struct Case {
        std::string packet;
        std::string checksum;
    };
    const std::vector<Case> cases = {
        {"40:1\t\r\n", "239"}, {"\x05", "05"}, {"", "00"}, {"\x80\x80", "00"},  // 256
        {"\xFF", "255"},  // bytes count unsigned
        {"\xFF\x0B", "10"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Frame(c.packet, false), "\x02" + c.packet + c.checksum + "\x03")
            << Visible(c.packet);
        EXPECT_EQ(Frame(c.packet, true), c.packet);
    }
}

}  // namespace
}  // namespace nimbra::cimd
