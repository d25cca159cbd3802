#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "unCimdCodec.h"

namespace nimbra::cimd {
namespace {

TEST(Parse, PromptAndLineEndBeforeThePacketAreDropped) {
    TParamList list;
    ASSERT_EQ(Parse("\n>53:3\t060:231224180509\t\r", list), ParseResult::Ok);
    EXPECT_EQ(list.name(0), "53");
    EXPECT_EQ(list.value(0), "3");
    EXPECT_EQ(list.valueOf("060"), "231224180509");
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.get(2), "\r");
}

TEST(Parse, FramedPacketsStartAfterTheirStx) {
    struct Case {
        std::string received;
        std::string entry0;
        std::string lastEntry;
    };
    const std::vector<Case> cases = {
        // A whole frame: the tail keeps CR LF, checksum and ETX.
        {"\x02"
         "40:1\t\r\n239\x03",
         "40:1", "\r\n239\x03"},
        // Leftover of the previous frame (LF, checksum, ETX), with and without a prompt.
        {"\n239\x03\x02"
         "53:3\t900:0\t\r",
         "53:3", "\r"},
        {"\n17\x03>\x02"
         "51:1\t\r",
         "51:1", "\r"},
        // Several leftovers: the packet starts after the last STX.
        {"\x02\n17\x03\x02"
         "20:9\t\r",
         "20:9", "\r"},
        // An STX inside a parameter value is data.
        {"20:7\t033:a\x02"
         "5\t\r",
         "20:7", "\r"},
        // Unframed text keeps the digit rule.
        {"xy23:5\t\r", "23:5", "\r"},
    };
    for (const Case& c : cases) {
        TParamList list;
        ASSERT_EQ(Parse(c.received, list), ParseResult::Ok) << Visible(c.received);
        EXPECT_EQ(list.get(0), c.entry0) << Visible(c.received);
        EXPECT_EQ(list.get(list.count() - 1), c.lastEntry) << Visible(c.received);
    }
}

TEST(Parse, TextWithoutADigitIsEmpty) {
    for (const std::string received : {"", ">", "\r\n> ", "\x02", "12\x02>"}) {
        TParamList list;
        list.put(0, "40:1");
        EXPECT_EQ(Parse(received, list), ParseResult::Empty) << Visible(received);
        EXPECT_EQ(list.count(), 0);
        EXPECT_EQ(list.name(0), "");
    }
}

TEST(Parse, EmptyPiecesBecomeGaps) {
    TParamList list;
    ASSERT_EQ(Parse("23:5\t\t061:0\t", list), ParseResult::Ok);
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.get(2), "061:0");
    EXPECT_EQ(list.valueOf("061"), "");
}

TEST(Parse, AtMostFiftyPieces) {
    std::string pieces = "20:1";
    for (int i = 1; i < kParamListSize; ++i)
        pieces += "\t0" + std::to_string(i) + ":x";
    struct Case {
        std::string received;
        ParseResult result;
        int count;
    };
    const std::vector<Case> cases = {
        {pieces, ParseResult::Ok, 50},         // 49 TABs and a tail
        {pieces + "\t", ParseResult::Ok, 50},  // 50 TABs, no tail
        {pieces + "\t\r", ParseResult::TooManyPieces, 0},
        {pieces + "\t\t", ParseResult::TooManyPieces, 0},
    };
    for (const Case& c : cases) {
        TParamList list;
        list.put(0, "40:1");
        EXPECT_EQ(Parse(c.received, list), c.result) << c.received.size();
        EXPECT_EQ(list.count(), c.count);
    }
}

}  // namespace
}  // namespace nimbra::cimd
