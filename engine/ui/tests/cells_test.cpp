// What the message list and the preview show, in plain C++: dates written through a picture,
// the cells of a row, the sort order, the export lines and the preview's fields (the dates,
// cells and lines are the shared ones of the library and the store, as the window uses them).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "addressbook.h"
#include "dateformat.h"
#include "listcells.h"
#include "previewcontent.h"
#include "temp_dir.h"

namespace nimbra::ui {
namespace {

// 2004-03-07 14:05:09.042, a Sunday.
TDateTime Sample() {
    TDateTime dt = 0;
    EXPECT_TRUE(TryEncodeDateTime({2004, 3, 7, 14, 5, 9, 42}, dt));
    return dt;
}

struct PictureCase {
    const char* picture;
    const char* expected;
};

class FormatDateTimeTest : public testing::TestWithParam<PictureCase> {};

TEST_P(FormatDateTimeTest, WritesThePicture) {
    EXPECT_EQ(FormatDateTime(GetParam().picture, Sample(), "dd.mm.yyyy hh:nn:ss"),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Pictures, FormatDateTimeTest,
                         testing::Values(PictureCase{"yyyy-mm-dd hh:nn:ss", "2004-03-07 14:05:09"},
                                         PictureCase{"d/m/yy", "7/3/04"},
                                         PictureCase{"dddd, d mmmm yyyy", "Sunday, 7 March 2004"},
                                         PictureCase{"ddd mmm", "Sun Mar"},
                                         // m right after an hour is the minute.
                                         PictureCase{"h:mm", "14:05"},
                                         PictureCase{"hh:mm am/pm", "02:05 pm"},
                                         PictureCase{"h AMPM", "2 PM"}, PictureCase{"h a/p", "2 p"},
                                         PictureCase{"ss.zzz", "09.042"},
                                         PictureCase{"YYYY-MM-DD HH:NN", "2004-03-07 14:05"},
                                         PictureCase{"\"day\" d 'at' h", "day 7 at 14"},
                                         PictureCase{"c", "07.03.2004 14:05:09"},
                                         PictureCase{"[c]", "[07.03.2004 14:05:09]"}));

TEST(FormatDateTime, MidnightAndNoonOnTheTwelveHourClock) {
    TDateTime midnight = 0;
    TDateTime noon = 0;
    ASSERT_TRUE(TryEncodeDateTime({2004, 3, 7, 0, 0, 0, 0}, midnight));
    ASSERT_TRUE(TryEncodeDateTime({2004, 3, 7, 12, 0, 0, 0}, noon));
    EXPECT_EQ(FormatDateTime("h am/pm", midnight), "12 am");
    EXPECT_EQ(FormatDateTime("h am/pm", noon), "12 pm");
}

class CellsTest : public testing::Test {
protected:
    std::unique_ptr<TSms> Message(const std::string& from, const std::string& to,
                                  const std::string& text, const std::string& received) {
        auto message = std::make_unique<TSms>(sms_);
        message->from = from;
        message->to = to;
        message->text = text;
        message->receivedTime = received;
        message->listId = ++ids_;
        return message;
    }

    SmsEnvironment sms_;
    int ids_ = 0;
};

TEST_F(CellsTest, TheNumberColumnShowsTheOtherParty) {
    const auto incoming = Message("+3620111", "+3630222", "hi", "");
    const auto anonymous = Message("", "+3630222", "hi", "");
    EXPECT_EQ(PhoneCell(*incoming, false), "+3620111");
    EXPECT_EQ(PhoneCell(*incoming, true), "+3630222");
    EXPECT_EQ(PhoneCell(*anonymous, false), "+3630222");
}

TEST_F(CellsTest, AUnicodeTextIsShownDecodedOnOneLine) {
    EXPECT_EQ(ShownText("_UCS2_04220435043A0441044200200031"), u"Текст 1");
    EXPECT_EQ(ShownText("line one\r\nline two"), u"line one  line two");
    EXPECT_EQ(DecodedText("a\nb"), u"a\nb");
    EXPECT_EQ(ShownText("caf\xE9"), u"café");
    EXPECT_TRUE(IsUnicodeText("_UCS2_0041"));
    EXPECT_FALSE(IsUnicodeText("UCS2_0041"));
}

TEST_F(CellsTest, TheTimeCellIsTheReceivedTimeInTheDateFormat) {
    CellFormat format;
    format.datePicture = "d/m/yyyy h:nn";
    format.now = Sample();
    EXPECT_EQ(TimeCell(*Message("a", "b", "t", "2004-03-17 09:05:41"), format), "17/3/2004 9:05");
    // No time: now. A time that cannot be read: the text as stored.
    EXPECT_EQ(TimeCell(*Message("a", "b", "t", ""), format), "7/3/2004 14:05");
    EXPECT_EQ(TimeCell(*Message("a", "b", "t", "yesterday"), format), "yesterday");
}

TEST_F(CellsTest, ARowHasItsIconNumberTextTimeAndListId) {
    auto message = Message("+3620111", "+3630222", "_UCS2_00480069", "2004-03-17 09:05:41");
    message->iconIndex = kIconDeliveryConfirmed;
    CellFormat format;
    format.datePicture = "yyyy-mm-dd hh:nn:ss";
    EXPECT_EQ(RowCells(*message, format),
              (std::vector<std::string>{"<idx:12>", "+3620111", "Hi", "2004-03-17 09:05:41",
                                        std::to_string(message->listId)}));
}

std::vector<std::string> SortedTexts(std::vector<std::unique_ptr<TSms>>& messages, int column,
                                     bool ascending, const CellFormat& format = {}) {
    std::vector<const TSms*> order;
    for (const auto& message : messages)
        order.push_back(message.get());
    SortMessages(order, column, ascending, format);
    std::vector<std::string> texts;
    for (const TSms* message : order)
        texts.push_back(message->text);
    return texts;
}

TEST_F(CellsTest, TimeSortsAsDateAndTimeWhateverTheDateFormat) {
    std::vector<std::unique_ptr<TSms>> messages;
    messages.push_back(Message("a", "b", "march 17", "2004-03-17 09:00:00"));
    messages.push_back(Message("a", "b", "unreadable", "soon"));
    messages.push_back(Message("a", "b", "march 5", "2004-03-05 23:00:00"));
    messages.push_back(Message("a", "b", "april 1", "2004-04-01 08:00:00"));
    CellFormat format;
    format.datePicture = "d/m/yyyy";  // as text "17/3" would come after "1/4"
    EXPECT_EQ(SortedTexts(messages, kListTime, true, format),
              (std::vector<std::string>{"unreadable", "march 5", "march 17", "april 1"}));
    EXPECT_EQ(SortedTexts(messages, kListTime, false, format),
              (std::vector<std::string>{"april 1", "march 17", "march 5", "unreadable"}));
}

TEST_F(CellsTest, TextColumnsSortWithoutRegardToCaseAndKeepTheOrderOfEqualRows) {
    std::vector<std::unique_ptr<TSms>> messages;
    messages.push_back(Message("bob", "x", "first bob", ""));
    messages.push_back(Message("Alice", "x", "alice", ""));
    messages.push_back(Message("BOB", "x", "second bob", ""));
    messages.push_back(Message("\xC9va", "x", "eva", ""));  // É sorts after the ASCII letters
    EXPECT_EQ(SortedTexts(messages, kListPhone, true),
              (std::vector<std::string>{"alice", "first bob", "second bob", "eva"}));
    EXPECT_EQ(SortedTexts(messages, kListMessage, false),
              (std::vector<std::string>{"second bob", "first bob", "eva", "alice"}));
}

struct CsvCase {
    std::vector<std::string> cells;
    const char* line;
};

class CsvLineTest : public testing::TestWithParam<CsvCase> {};

TEST_P(CsvLineTest, SeparatesQuotesAndEndsTheLine) {
    EXPECT_EQ(CsvLine(GetParam().cells), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CsvLineTest,
    testing::Values(CsvCase{{"<idx:0>", "+3620111", "Hello", "17/3/2004", "2"},
                            "<idx:0>;+3620111;Hello;17/3/2004;2\r\n"},
                    CsvCase{{"", "Phone number", "Message", "Time", ""},
                            ";Phone number;Message;Time;\r\n"},
                    CsvCase{{"a;b", "c"}, "\"a;b\";c\r\n"},
                    // A quote inside a quoted cell is doubled, so the cell reads back whole.
                    CsvCase{{"say \"hi\"; now"}, "\"say \"\"hi\"\"; now\"\r\n"},
                    CsvCase{{"say \"hi\""}, "\"say \"\"hi\"\"\"\r\n"},
                    CsvCase{{"two\r\nlines"}, "\"two\r\nlines\"\r\n"}, CsvCase{{}, "\r\n"}));

class PreviewTest : public CellsTest {
protected:
    PreviewTest() : book_(home_.path().string()) {
        book_.AddContact(MakeContact("Anna", "+3620111", "met at the fair", "Customers"));
        book_.AddContact(MakeContact("Bela", "+3630222", "pays late", "Customers"));
    }
    testing_support::TempDir home_;
    TAddressBook book_;
};

TEST_F(PreviewTest, InOtherFoldersTheDestinationGoesThroughTheBook) {
    auto message = Message("+3620111", "+3630222", "Hello", "2004-03-17 09:05:41");
    message->sentTime = "2004-03-17 09:05:30";
    const PreviewContent content = PreviewOf(*message, false, &book_);
    EXPECT_EQ(content.from, "+3620111");
    EXPECT_EQ(content.to, "Bela (+3630222)");
    EXPECT_EQ(content.date, "2004-03-17 09:05:30");
    EXPECT_EQ(content.note, "met at the fair");
    EXPECT_EQ(content.text, u"Hello");
    EXPECT_FALSE(content.unicode);
}

TEST_F(PreviewTest, InOutgoingFoldersTheOriginatorGoesThroughTheBook) {
    auto message = Message("+3620111", "Bela (+3630222)", "Hello", "2004-03-17 09:05:41");
    const PreviewContent content = PreviewOf(*message, true, &book_);
    EXPECT_EQ(content.from, "Anna (+3620111)");
    EXPECT_EQ(content.to, "Bela (+3630222)");
    EXPECT_EQ(content.date, "2004-03-17 09:05:41");
    EXPECT_EQ(content.note, "pays late");
}

TEST_F(PreviewTest, LabelsAppearOnlyWhenTheirFieldsAreSet) {
    auto message = Message("a", "b", "_UCS2_0048", "");
    message->idSource = "smpp1";
    message->messageId = "";
    PreviewContent content = PreviewOf(*message, false, nullptr);
    EXPECT_EQ(content.operatorName, "");
    EXPECT_EQ(content.reference, "");
    EXPECT_EQ(content.messageId, "");
    EXPECT_TRUE(content.unicode);
    EXPECT_EQ(content.text, u"H");

    message->messageId = "4711";
    message->operatorName = "T-mobile";
    message->reference = "0A1B2C";
    content = PreviewOf(*message, false, nullptr);
    EXPECT_EQ(content.operatorName, "T-mobile");
    EXPECT_EQ(content.reference, "0A1B2C");
    EXPECT_EQ(content.messageId, "smpp1: 4711");
}

TEST_F(PreviewTest, APictureMessageShowsItsCaption) {
    auto message = Message("a", "b", "pictures/cat.png;_UCS2_00430061", "");
    message->operatorName = kPictureOperator;
    PreviewContent content = PreviewOf(*message, false, nullptr);
    EXPECT_EQ(content.picturePath, "pictures/cat.png");
    EXPECT_TRUE(content.unicode);
    EXPECT_EQ(content.text, u"Ca");
    message->text = "cat.png;Look: a cat; a big one";
    content = PreviewOf(*message, false, nullptr);
    EXPECT_EQ(content.text, u"Look: a cat; a big one");
    EXPECT_FALSE(content.unicode);
}

}  // namespace
}  // namespace nimbra::ui
