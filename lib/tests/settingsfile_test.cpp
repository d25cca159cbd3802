// The text of the settings store files: values typed by hand, the notation the store writes,
// sections and names.

#include "settingsfile.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "codepage.h"

namespace nimbra {
namespace {

using namespace std::string_literals;

std::optional<std::string> TextOf(std::string_view notation) {
    const std::optional<std::u16string> text = SettingsValueText(notation);
    return text ? std::optional(WideToUtf8(*text)) : std::nullopt;
}

TEST(SettingsFileTest, ValuesReadAsTheyWereTyped) {
    struct Case {
        std::string notation;
        std::optional<std::string> text;
    };
    const Case cases[] = {
        // Neither a leading '"' or '@' nor a backslash: exactly what follows "=".
        {"ab;cd", "ab;cd"},
        {"a,b", "a,b"},
        {"a, b ,c", "a, b ,c"},
        {"  pass word\t ", "  pass word\t "},
        {"x=y#z%41", "x=y#z%41"},
        {"mail@host", "mail@host"},
        {"say \"hi\"", "say \"hi\""},
        {"caf\xC3\xA9", "caf\xC3\xA9"},
        {"caf\xE9 \x80", "caf\xC3\xA9 \xE2\x82\xAC"},  // saved in the code page
        {"", ""},
        // The notation's escape rules.
        {"\" a;b, c \"", " a;b, c "},
        {"\"C:\\\\dir\\\\x\"", "C:\\dir\\x"},
        {"\"he said \\\"hi\\\"\"", "he said \"hi\""},
        {"\"quoted\" ; a comment", "quoted"},
        {"\"un;closed", "un;closed"},
        {"C:\\dir", "C:ir"},  // a backslash before an ordinary character is dropped
        {"tab\\there", "tab\there"},
        {"\\x41\\102\\0", "AB\0"s},
        {"  \\tkept\\t  ", "\tkept\t"},  // escaped blanks stay
        {"@@at", "@at"},
        {"@home", "@home"},
        {"@String(a\\0b)", "a\0b"s},
        {"\"a\", \"b\"", "a, b"},
        {"@Rect(1 2 3 4)", std::nullopt},
        {"@ByteArray(xyz)", std::nullopt},
        {"@Invalid()", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.notation);
        EXPECT_EQ(TextOf(c.notation), c.text);
    }
}

// Every text of up to three characters drawn from those the notation treats specially comes
// back from its notation unchanged.
TEST(SettingsFileTest, EveryTextSurvivesItsNotation) {
    const std::u16string alphabet =
        u" \t;,\"=\\#%@\n\x1F"
        u"1a\u00E9\u20AC"s +
        u'\0';
    std::vector<std::u16string> texts{u""};
    for (std::size_t from = 0, length = 1; length <= 3; ++length) {
        const std::size_t to = texts.size();
        for (std::size_t i = from; i < to; ++i)
            for (const char16_t c : alphabet)
                texts.push_back(texts[i] + c);
        from = to;
    }
    texts.push_back(u"\U0001F600 and more");
    int wrong = 0;
    for (const std::u16string& text : texts) {
        const std::string notation = SettingsValueNotation(text);
        if (SettingsValueText(notation) != text && ++wrong <= 5)
            ADD_FAILURE() << WideToUtf8(text) << " written as " << notation;
    }
    EXPECT_EQ(wrong, 0);
}

TEST(SettingsFileTest, NotationQuotesAndEscapesOnlyWhatNeedsIt) {
    const std::pair<std::u16string, std::string> cases[] = {
        {u"plain", "plain"},
        {u"a;b", "\"a;b\""},
        {u" x", "\" x\""},
        {u"back\\slash", "back\\\\slash"},
        {u"@at", "@@at"},
        {u"\x01"
         u"a",
         "\\x1\\x61"},
        {u"\u00E9", "\xC3\xA9"},
    };
    for (const auto& [text, notation] : cases)
        EXPECT_EQ(SettingsValueNotation(text), notation) << notation;
}

TEST(SettingsFileTest, SectionsNamesAndComments) {
    const SettingsFileContent content = ParseSettingsFile(
        "\xEF\xBB\xBF; comment\r\n"
        "top=1\r\n"
        "[Software]\r\n"
        "  Nimbra\\Plugins\\Some%20value = v \r\n"
        "[ Software\\Nimbra\\Plugins\\GSM Device1 ]\n"
        "ePass=x=y\n"
        "\n"
        "[General]\r"
        "A%U20ACb=2\r"
        "[%General]\n"
        "x=3\n");
    EXPECT_FALSE(content.damaged);
    const std::vector<std::pair<std::u16string, std::string>> expected = {
        {u"top", "1"},
        {u"Software/Nimbra/Plugins/Some value", " v "},
        {u"Software/Nimbra/Plugins/GSM Device1/ePass", "x=y"},
        {u"A\u20ACb", "2"},
        {u"General/x", "3"},
    };
    ASSERT_EQ(content.lines.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(content.lines[i].key, expected[i].first) << i;
        EXPECT_EQ(content.lines[i].notation, expected[i].second) << i;
    }
}

TEST(SettingsFileTest, LinesThatAreNoValueMarkTheFileDamaged) {
    for (const char* text : {"[Software\nx=1\n", "[A]\nno equals sign\nx=1\n"}) {
        const SettingsFileContent content = ParseSettingsFile(text);
        EXPECT_TRUE(content.damaged) << text;
        EXPECT_EQ(content.lines.size(), 1u) << "what can be read is read: " << text;
    }
}

TEST(SettingsFileTest, WrittenFileReadsBack) {
    const std::vector<SettingsLine> lines = {
        {u"Software/Nimbra/Plugins/Server/SortCol", "3"},
        {u"Software/Nimbra/Plugins/GSM Device1/ePass", "\" a;b \""},
        {u"Software/N\u00E9v \u20AC/x", "@Rect(1 2 3 4)"},
        {u"top", "1"},
        {u"general/x", "2"},
    };
    const std::string text = SettingsFileText(lines);
    EXPECT_EQ(text,
              "[Software]\n"
              "Nimbra\\Plugins\\Server\\SortCol=3\n"
              "Nimbra\\Plugins\\GSM%20Device1\\ePass=\" a;b \"\n"
              "N%E9v%20%U20AC\\x=@Rect(1 2 3 4)\n"
              "\n[General]\ntop=1\n"
              "\n[%General]\nx=2\n");
    const SettingsFileContent again = ParseSettingsFile(text);
    ASSERT_EQ(again.lines.size(), lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(again.lines[i].key, i == 4 ? u"General/x" : lines[i].key) << i;
        EXPECT_EQ(again.lines[i].notation, lines[i].notation) << i;
    }
}

}  // namespace
}  // namespace nimbra
