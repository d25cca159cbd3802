#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "atlines.h"

namespace nimbra::handset {
namespace {

using Lines = std::vector<std::string>;

TEST(AppendToLines, SplitsAtCarriageReturnsAndKeepsTheLineBeingReceivedLast) {
    struct Case {
        std::vector<std::string> chunks;
        Lines lines;
    };
    const std::vector<Case> cases = {
        {{"\r\nOK\r\n"}, {"", "OK", ""}},
        {{"AT\r\r\nOK\r\n"}, {"AT", "", "OK", ""}},
        // Chunks split anywhere join up.
        {{"\r\n+CM", "GS: 1", "7\r\n\r\nO", "K\r\n"}, {"", "+CMGS: 17", "", "OK", ""}},
        // A half line stays the current one.
        {{"\r\n+CMGR: 0,,2"}, {"", "+CMGR: 0,,2"}},
        // LF alone never ends a line; backspace removes the last character.
        {{"AB\nC\bD\r"}, {"ABD", ""}},
        {{"\b\bX\r"}, {"X", ""}},
        // The prompt.
        {{"AT+CMGS=23\r\r\n> "}, {"AT+CMGS=23", "", "> "}},
    };
    for (const Case& c : cases) {
        Lines lines;
        for (const std::string& chunk : c.chunks)
            AppendToLines(lines, chunk);
        EXPECT_EQ(lines, c.lines) << c.chunks.front();
    }
}

TEST(AppendToLines, CodePage437LettersBecomeTheSystemsOwn) {
    Lines lines;
    // ü é á Á ö ó ú Ö in code page 437, and bytes that are no letter of the eight unchanged.
    AppendToLines(lines, "\x81\x82\x85\x8F\x94\x95\x97\x99\x80\xE1\r");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "\xFC\xE9\xE1\xC1\xF6\xF3\xFA\xD6\x80\xE1");
}

TEST(AppendToLines, EndlessInputCostsBoundedMemory) {
    Lines lines;
    AppendToLines(lines, std::string(10000, 'x'));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), kMaxLineLength);
    AppendToLines(lines, "\rnext\r");
    EXPECT_EQ(lines[1], "next");

    Lines many;
    for (std::size_t i = 0; i < 2 * kMaxLines; ++i)
        AppendToLines(many, std::to_string(i) + "\r");
    EXPECT_EQ(many.size(), kMaxLines);
    EXPECT_EQ(many[many.size() - 2], std::to_string(2 * kMaxLines - 1));
}

TEST(ToDeviceText, TheEightLettersGoAsCodePage437) {
    EXPECT_EQ(ToDeviceText("\xC1\xD6\xE1\xE9\xF3\xF6\xFA\xFC abc \xE4"),
              "\x8F\x99\x85\x82\x95\x94\x97\x81 abc \xE4");
}

TEST(CommandPieces, LongCommandsGoIn48CharacterPieces) {
    const std::string command = std::string(100, 'A') + "\r";
    const std::vector<std::string> pieces = CommandPieces(command);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].size(), 48u);
    EXPECT_EQ(pieces[1].size(), 48u);
    EXPECT_EQ(pieces[2], "AAAA\r");
    EXPECT_EQ(CommandPieces("AT\r"), std::vector<std::string>{"AT\r"});
    EXPECT_EQ(CommandPieces(std::string(48, 'B')).size(), 1u);
    EXPECT_EQ(CommandPieces(std::string(49, 'B')).size(), 2u);
}

}  // namespace
}  // namespace nimbra::handset
