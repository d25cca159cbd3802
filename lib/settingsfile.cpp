#include "settingsfile.h"

#include <utility>

#include "codepage.h"
#include "unStrings.h"

namespace nimbra {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::string_view TrimmedBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

bool IsOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

// Lower-case hexadecimal without leading zeros, as the notation writes "\x" escapes.
std::u16string LowerHex(char16_t c) {
    static constexpr char16_t kDigits[] = u"0123456789abcdef";
    std::u16string hex;
    do {
        hex.insert(hex.begin(), kDigits[c % 16]);
        c = static_cast<char16_t>(c / 16);
    } while (c != 0);
    return hex;
}

bool SameAsciiText(std::u16string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char16_t lower = (a[i] >= u'A' && a[i] <= u'Z') ? a[i] + 32 : a[i];
        if (lower != static_cast<unsigned char>(b[i]))
            return false;
    }
    return true;
}

// "%XX" and "%UXXXX" give the character of that code; "\" separates levels.
std::u16string UnescapeKey(std::string_view name) {
    const std::u16string text = Utf8ToWide(name);
    std::u16string key;
    std::size_t i = 0;
    while (i < text.size()) {
        const char16_t c = text[i];
        if (c == u'\\') {
            key += u'/';
            ++i;
            continue;
        }
        if (c == u'%' && i + 1 < text.size()) {
            const std::size_t first = text[i + 1] == u'U' ? i + 2 : i + 1;
            const std::size_t digits = text[i + 1] == u'U' ? 4 : 2;
            unsigned code = 0;
            std::size_t k = 0;
            for (; k < digits && first + k < text.size() && HexDigit(text[first + k]) >= 0; ++k)
                code = code * 16 + static_cast<unsigned>(HexDigit(text[first + k]));
            if (k == digits) {
                key += static_cast<char16_t>(code);
                i = first + digits;
                continue;
            }
        }
        key += c;
        ++i;
    }
    return key;
}

std::string EscapeKey(std::u16string_view key) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string name;
    for (const char16_t c : key) {
        if (c == u'/') {
            name += '\\';
        } else if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                   (c >= u'0' && c <= u'9') || c == u'_' || c == u'-' || c == u'.') {
            name += static_cast<char>(c);
        } else if (c <= 0xFF) {
            name += '%';
            name += kDigits[c / 16];
            name += kDigits[c % 16];
        } else {
            name += "%U";
            for (int shift = 12; shift >= 0; shift -= 4)
                name += kDigits[(c >> shift) & 0xF];
        }
    }
    return name;
}

// The group a "[section]" line opens, with its trailing "/"; "General" is the top level and
// "%General" the group of that name.
std::u16string SectionGroup(std::string_view name) {
    if (SameAsciiText(Utf8ToWide(name), "general"))
        return {};
    std::u16string group = SameAsciiText(Utf8ToWide(name), "%general") ? Utf8ToWide(name.substr(1))
                                                                       : UnescapeKey(name);
    if (!group.empty())
        group += u'/';
    return group;
}

std::string SectionHeader(std::u16string_view group) {
    const std::string name = EscapeKey(group);
    if (name.empty())
        return "[General]";
    if (SameAsciiText(group, "general"))
        return "[%General]";
    return "[" + name + "]";
}

// The notation up to an unquoted ";", which ends the value as the start of a comment.
std::string_view WithoutComment(std::string_view notation) {
    bool quoted = false;
    for (std::size_t i = 0; i < notation.size(); ++i) {
        if (notation[i] == '\\')
            ++i;  // the escaped character
        else if (notation[i] == '"')
            quoted = !quoted;
        else if (notation[i] == ';' && !quoted)
            return notation.substr(0, i);
    }
    return notation;
}

// The escapes "\a" ... "\v" and the characters they stand for.
constexpr std::pair<char, char16_t> kNamedEscapes[] = {{'a', u'\a'}, {'b', u'\b'}, {'f', u'\f'},
                                                       {'n', u'\n'}, {'r', u'\r'}, {'t', u'\t'},
                                                       {'v', u'\v'}};

// The character a backslash and c stand for; 0 when c is not such an escape.
char16_t SimpleEscape(char c) {
    for (const auto& [name, character] : kNamedEscapes) {
        if (name == c)
            return character;
    }
    return (c == '"' || c == '?' || c == '\'' || c == '\\') ? static_cast<char16_t>(c) : 0;
}

// The letter of c's named escape; 0 when it has none.
char EscapeName(char16_t c) {
    for (const auto& [name, character] : kNamedEscapes) {
        if (character == c)
            return name;
    }
    return 0;
}

void ChopTrailingBlanks(std::u16string& s, std::size_t limit) {
    while (s.size() > limit && IsBlank(s.back()))
        s.pop_back();
}

// The items of an escaped notation; more than one when it is a list. Blanks outside quotes
// go at the start of each item and at its end, but not those written as escapes.
std::vector<std::u16string> UnescapedItems(std::string_view s) {
    std::vector<std::u16string> items;
    std::u16string current;
    bool inQuotes = false;
    bool currentQuoted = false;
    bool chopAtEnd = true;
    std::size_t chopLimit = 0;
    std::size_t i = 0;
    const auto skipBlanks = [&] {
        while (i < s.size() && IsBlank(static_cast<unsigned char>(s[i])))
            ++i;
        chopLimit = current.size();
    };
    // A "\x" or octal escape: every following digit of its base belongs to it.
    const auto numberEscape = [&](char16_t value, int base) {
        while (i < s.size()) {
            const int digit = base == 16 ? HexDigit(static_cast<unsigned char>(s[i]))
                                         : (IsOctalDigit(s[i]) ? s[i] - '0' : -1);
            if (digit < 0)
                break;
            value = static_cast<char16_t>(value * base + digit);
            ++i;
        }
        current += value;
    };
    skipBlanks();
    while (i < s.size()) {
        const char c = s[i];
        if (c == '\\') {
            if (++i >= s.size()) {
                chopAtEnd = false;
                break;
            }
            const char escaped = s[i++];
            if (const char16_t simple = SimpleEscape(escaped)) {
                current += simple;
            } else if (escaped == 'x') {
                if (i >= s.size()) {
                    chopAtEnd = false;
                    break;
                }
                if (HexDigit(static_cast<unsigned char>(s[i])) >= 0)
                    numberEscape(0, 16);
            } else if (IsOctalDigit(escaped)) {
                numberEscape(static_cast<char16_t>(escaped - '0'), 8);
            }
            if (i >= s.size() && (escaped == 'x' || IsOctalDigit(escaped))) {
                chopAtEnd = false;
                break;
            }
            chopLimit = current.size();
        } else if (c == '"') {
            ++i;
            currentQuoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes)
                skipBlanks();
        } else if (c == ',' && !inQuotes) {
            if (!currentQuoted)
                ChopTrailingBlanks(current, chopLimit);
            items.push_back(std::move(current));
            current.clear();
            currentQuoted = false;
            ++i;
            skipBlanks();
        } else {
            std::size_t end = i + 1;
            while (end < s.size() && s[end] != '\\' && s[end] != '"' && s[end] != ',')
                ++end;
            current += Utf8ToWide(s.substr(i, end - i));
            i = end;
        }
    }
    if (chopAtEnd && !currentQuoted)
        ChopTrailingBlanks(current, chopLimit);
    items.push_back(std::move(current));
    return items;
}

// One unescaped item: "@@..." is text beginning with "@", "@String(...)" text holding NUL,
// and the other "@Type(...)" forms are values of other kinds.
std::optional<std::u16string> ItemText(const std::u16string& item) {
    if (item.starts_with(u"@@"))
        return item.substr(1);
    if (item.starts_with(u'@') && item.ends_with(u')')) {
        if (item.starts_with(u"@String("))
            return item.substr(8, item.size() - 9);
        for (const std::u16string_view type : {u"@ByteArray(", u"@Variant(", u"@DateTime(",
                                               u"@Rect(", u"@Size(", u"@Point(", u"@Invalid("}) {
            if (item.starts_with(type))
                return std::nullopt;
        }
    }
    return item;
}

}  // namespace

SettingsFileContent ParseSettingsFile(std::string_view text) {
    if (text.starts_with(kUtf8Bom))
        text.remove_prefix(kUtf8Bom.size());
    SettingsFileContent content;
    std::u16string group;
    for (std::string_view line : TextLines(text)) {
        while (!line.empty() && IsBlank(static_cast<unsigned char>(line.front())))
            line.remove_prefix(1);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            std::size_t end = line.find(']');
            if (end == std::string_view::npos) {
                content.damaged = true;
                end = line.size();
            }
            group = SectionGroup(TrimmedBlanks(line.substr(1, end - 1)));
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            content.damaged = true;
            continue;
        }
        content.lines.push_back({group + UnescapeKey(TrimmedBlanks(line.substr(0, equals))),
                                 std::string(line.substr(equals + 1))});
    }
    return content;
}

std::string SettingsFileText(const std::vector<SettingsLine>& lines) {
    struct Section {
        std::u16string group;
        std::string body;
    };
    std::vector<Section> sections;
    for (const SettingsLine& line : lines) {
        const std::size_t slash = line.key.find(u'/');
        const std::u16string_view key(line.key);
        const std::u16string_view group =
            slash == std::u16string::npos ? std::u16string_view() : key.substr(0, slash);
        const std::u16string_view name =
            slash == std::u16string::npos ? key : key.substr(slash + 1);
        auto section = sections.begin();
        while (section != sections.end() && section->group != group)
            ++section;
        if (section == sections.end())
            section = sections.insert(sections.end(), {std::u16string(group), {}});
        section->body += EscapeKey(name) + "=" + line.notation + "\n";
    }
    std::string text;
    for (const Section& section : sections) {
        if (!text.empty())
            text += "\n";
        text += SectionHeader(section.group) + "\n" + section.body;
    }
    return text;
}

std::optional<std::u16string> SettingsValueText(std::string_view notation) {
    const bool asTyped = notation.empty() || (notation.front() != '"' && notation.front() != '@' &&
                                              notation.find('\\') == std::string_view::npos);
    if (asTyped)
        return Utf8ToWide(notation);
    std::u16string text;
    bool first = true;
    for (const std::u16string& item : UnescapedItems(WithoutComment(notation))) {
        const std::optional<std::u16string> itemText = ItemText(item);
        if (!itemText)
            return std::nullopt;
        if (!first)
            text += u", ";
        text += *itemText;
        first = false;
    }
    return text;
}

std::string SettingsValueNotation(std::u16string_view text) {
    std::u16string value(text);
    if (value.find(u'\0') != std::u16string::npos)
        value = u"@String(" + value + u")";
    else if (value.starts_with(u'@'))
        value.insert(value.begin(), u'@');
    std::u16string notation;
    bool needsQuotes = false;
    // After "\0" or "\x.." a hexadecimal digit would be read as part of the escape.
    bool escapeNextIfHex = false;
    for (const char16_t c : value) {
        if (c == u';' || c == u',' || c == u'=')
            needsQuotes = true;
        if (escapeNextIfHex && HexDigit(c) >= 0) {
            notation += u"\\x" + LowerHex(c);
            continue;
        }
        escapeNextIfHex = false;
        if (c == u'\0') {
            notation += u"\\0";
            escapeNextIfHex = true;
        } else if (const char name = EscapeName(c)) {
            notation += u'\\';
            notation += static_cast<char16_t>(name);
        } else if (c == u'"' || c == u'\\') {
            notation += u'\\';
            notation += c;
        } else if (c <= 0x1F) {
            notation += u"\\x" + LowerHex(c);
            escapeNextIfHex = true;
        } else {
            notation += c;
        }
    }
    if (needsQuotes || (!notation.empty() && (notation.front() == u' ' || notation.back() == u' ')))
        notation = u"\"" + notation + u"\"";
    return WideToUtf8(notation);
}

}  // namespace nimbra
