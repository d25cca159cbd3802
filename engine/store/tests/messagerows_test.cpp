#include "messagerows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "smsqueue.h"
#include "store_fixture.h"

namespace nimbra {
namespace {

using testing_support::kStoreNow;
using testing_support::StoreTest;

class MessageRowsTest : public StoreTest {
protected:
    std::unique_ptr<TSms> Stored(const std::string& from, const std::string& to,
                                 const std::string& text, const std::string& received) {
        auto message = Message(from, text);
        message->to = to;
        message->receivedTime = received;
        return message;
    }
};

TEST(CsvLine, QuotesOnlyCellsThatWouldNotReadBack) {
    struct Case {
        std::vector<std::string> cells;
        const char* line;
    };
    const Case cases[] = {
        {{"a", "b c", ""}, "a;b c;\r\n"},
        {{"x;y"}, "\"x;y\"\r\n"},
        {{"say \"hi\""}, "\"say \"\"hi\"\"\"\r\n"},
        {{"two\r\nlines", "z"}, "\"two\r\nlines\";z\r\n"},
        {{}, "\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(CsvLine(c.cells), c.line);
    }
}

TEST_F(MessageRowsTest, TheNumberCellIsTheDestinationInOutgoingFoldersAndWhenNoSenderIsKnown) {
    const auto message = Stored("+3620111", "+3620222", "hi", "");
    EXPECT_EQ(PhoneCell(*message, false), "+3620111");
    EXPECT_EQ(PhoneCell(*message, true), "+3620222");
    message->from.clear();
    EXPECT_EQ(PhoneCell(*message, false), "+3620222");
}

TEST_F(MessageRowsTest, TextsAreDecodedAndShownOnOneLine) {
    EXPECT_EQ(DecodedText("_UCS2_00E9004C"), u"\u00e9L");
    EXPECT_EQ(DecodedText("caf\xe9"), u"caf\u00e9");
    EXPECT_EQ(ShownText("one\r\ntwo"), u"one  two");
    EXPECT_EQ(DecodedText("_UCS2_0041000D000A0042"), u"A\r\nB");
    EXPECT_EQ(ShownText("_UCS2_0041000D000A0042"), u"A  B");
}

TEST_F(MessageRowsTest, TheTimeCellFollowsTheDateFormat) {
    CellFormat format;
    format.now = kStoreNow;
    format.datePicture = "dd.mm.yyyy hh:nn";
    EXPECT_EQ(TimeCell(*Stored("a", "b", "t", "2004-03-16 08:09:10"), format), "16.03.2004 08:09");
    // An empty time is now; one that cannot be read stays as stored.
    EXPECT_EQ(TimeCell(*Stored("a", "b", "t", ""), format), "17.03.2004 12:00");
    EXPECT_EQ(TimeCell(*Stored("a", "b", "t", "yesterday"), format), "yesterday");
    format.datePicture = "c";
    format.systemPicture = "d/m/yy";
    EXPECT_EQ(TimeCell(*Stored("a", "b", "t", "2004-03-16 08:09:10"), format), "16/3/04");
}

TEST_F(MessageRowsTest, AFolderIsExportedTitlesFirstInItsOrder) {
    TSmsQueue outbox(store_, Home("out"), QueueFlags{true, false, false});
    outbox.LoadFolder();
    auto first = Stored("+361", "+3620111", "hello; there", "2004-03-16 08:09:10");
    first->iconIndex = kIconDeliveryConfirmed;
    outbox.Add(std::move(first));
    outbox.Add(Stored("+361", "+3620222", "_UCS2_00E9", "2004-03-17 09:00:00"));

    CellFormat format;
    format.datePicture = "yyyy.mm.dd";
    const std::string csv = FolderCsv(outbox, {"", "Phone number", "Message", "Time", ""}, format);
    EXPECT_EQ(csv,
              ";Phone number;Message;Time;\r\n"
              "<idx:12>;+3620111;\"hello; there\";2004.03.16;2\r\n"
              "<idx:0>;+3620222;\xe9;2004.03.17;3\r\n");
}

}  // namespace
}  // namespace nimbra
