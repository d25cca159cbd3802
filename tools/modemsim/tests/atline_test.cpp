// Command lines as the modem reads them.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "atline.h"

namespace modemsim {
namespace {

using Form = AtCommand::Form;

struct LineCase {
    std::string line;
    bool valid;
    std::vector<AtCommand> commands;
};

class ParseAtLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(ParseAtLineTest, ReadsTheCommandsOfTheLine) {
    const LineCase& c = GetParam();
    const AtLine parsed = ParseAtLine(c.line);
    ASSERT_EQ(parsed.valid, c.valid) << c.line;
    if (!c.valid)
        return;
    ASSERT_EQ(parsed.commands.size(), c.commands.size()) << c.line;
    for (std::size_t i = 0; i < c.commands.size(); ++i) {
        EXPECT_EQ(parsed.commands[i].name, c.commands[i].name) << c.line;
        EXPECT_EQ(parsed.commands[i].form, c.commands[i].form) << c.line;
        EXPECT_EQ(parsed.commands[i].value, c.commands[i].value) << c.line;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ParseAtLineTest,
    ::testing::Values(
        LineCase{"AT", true, {}}, LineCase{"at", true, {}},
        LineCase{"ATZ", true, {{"Z", Form::kAction, ""}}},
        LineCase{"ATE0V1", true, {{"E", Form::kAction, "0"}, {"V", Form::kAction, "1"}}},
        LineCase{"at&f", true, {{"&F", Form::kAction, ""}}},
        LineCase{"ATS0=1S3?", true, {{"S0", Form::kSet, "1"}, {"S3", Form::kRead, ""}}},
        LineCase{"AT+CMGF=0", true, {{"+CMGF", Form::kSet, "0"}}},
        LineCase{"at+cmgf?", true, {{"+CMGF", Form::kRead, ""}}},
        LineCase{"AT+CMGF=?", true, {{"+CMGF", Form::kTest, ""}}},
        LineCase{"AT+CSQ", true, {{"+CSQ", Form::kAction, ""}}},
        // Blanks count only inside quotes; ";" inside quotes belongs to the value.
        LineCase{"AT + CPMS = \"SM\", \"S;M\"", true, {{"+CPMS", Form::kSet, "\"SM\",\"S;M\""}}},
        LineCase{"AT+CMGF=0;+CNMI=1,1,0,2,1;E1",
                 true,
                 {{"+CMGF", Form::kSet, "0"},
                  {"+CNMI", Form::kSet, "1,1,0,2,1"},
                  {"E", Form::kAction, "1"}}},
        LineCase{"ATD+3620;", true, {{"D", Form::kAction, "+3620;"}}}, LineCase{"AT+", false, {}},
        LineCase{"AT+CSCA=\"+36", false, {}}, LineCase{"AT#X", false, {}},
        LineCase{"AT&", false, {}}, LineCase{"ATS=1", false, {}}, LineCase{"A", false, {}},
        LineCase{"XAT", false, {}}));

TEST(SplitValuesTest, SplitsAtCommasOutsideQuotesAndDropsTheQuotes) {
    EXPECT_EQ(SplitValues(""), std::vector<std::string>{});
    EXPECT_EQ(SplitValues("1,,2"), (std::vector<std::string>{"1", "", "2"}));
    EXPECT_EQ(SplitValues("\"+36,20\",145"), (std::vector<std::string>{"+36,20", "145"}));
}

TEST(ParseNumberTest, TakesOnlyWholeNumbersInRange) {
    int n = -1;
    EXPECT_TRUE(ParseNumber("17", 0, 255, n));
    EXPECT_EQ(n, 17);
    for (const char* bad : {"", "256", "-1", "1x", " 1", "+1"})
        EXPECT_FALSE(ParseNumber(bad, 0, 255, n)) << bad;
    EXPECT_EQ(n, 17);
}

}  // namespace
}  // namespace modemsim
