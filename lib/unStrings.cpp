#include "unStrings.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "codepage.h"

namespace nimbra {
namespace {

std::size_t Count(std::string_view s, long n) {
    if (n <= 0)
        return 0;
    return std::min(s.size(), static_cast<std::size_t>(n));
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char UpperChar(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (UpperChar(a[i]) != UpperChar(b[i]))
            return false;
    }
    return true;
}

std::size_t FindNoCase(std::string_view s, std::string_view sep, std::size_t from) {
    if (sep.size() > s.size())
        return std::string_view::npos;
    for (std::size_t i = from; i + sep.size() <= s.size(); ++i) {
        if (EqualNoCase(s.substr(i, sep.size()), sep))
            return i;
    }
    return std::string_view::npos;
}

}  // namespace

std::string LeftChars(std::string_view s, long n) {
    return std::string(s.substr(0, Count(s, n)));
}

std::string RightChars(std::string_view s, long n) {
    return std::string(s.substr(s.size() - Count(s, n)));
}

std::string DropChars(std::string_view s, long n) {
    return std::string(s.substr(Count(s, n)));
}

std::string PadZeros(std::string_view s, long width) {
    std::string out(s);
    if (width > 0 && out.size() < static_cast<std::size_t>(width)) {
        out.insert(0, static_cast<std::size_t>(width) - out.size(), '0');
    }
    return out;
}

std::string IntToHexText(long long n) {
    if (n < 0)
        return {};
    if (n == 0)
        return "0";
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (auto v = static_cast<unsigned long long>(n); v != 0; v >>= 4) {
        out.push_back(kDigits[v & 0xF]);
    }
    std::reverse(out.begin(), out.end());
    return out;
}

std::string ByteToHex2(long long n) {
    return PadZeros(IntToHexText(n), 2);
}

int HexDigitValue(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b > 64 ? b - 55 : b - 48;
}

int HexTextToInt(std::string_view s) {
    std::uint32_t value = 0;
    for (char c : s)
        value = value * 16u + static_cast<std::uint32_t>(HexDigitValue(c));
    return static_cast<int>(value);
}

std::string WideToHex(std::u16string_view w) {
    std::string out;
    out.reserve(w.size() * 4);
    for (char16_t u : w)
        out += PadZeros(IntToHexText(u), 4);
    return out;
}

std::u16string HexToWide(std::string_view s) {
    std::u16string out;
    out.reserve(s.size() / 4);
    for (std::size_t i = 0; i + 4 <= s.size(); i += 4) {
        out.push_back(static_cast<char16_t>(HexTextToInt(s.substr(i, 4))));
    }
    return out;
}

bool HasWideChars(std::u16string_view w) {
    return std::any_of(w.begin(), w.end(), [](char16_t u) { return u > 255; });
}

std::u16string RemoveLineBreaksWide(std::u16string_view w) {
    std::u16string kept;
    kept.reserve(w.size());
    for (char16_t u : w) {
        if (u != u'\r' && u != u'\n')
            kept.push_back(u);
    }
    return AnsiToWide(WideToAnsi(kept));
}

std::string TrimBlanks(std::string_view s) {
    std::size_t begin = 0;
    while (begin < s.size() &&
           (s[begin] == ' ' || s[begin] == '\r' || s[begin] == '\n' || s[begin] == '\0')) {
        ++begin;
    }
    std::size_t end = s.size();
    while (end > begin && (s[end - 1] == ' ' || s[end - 1] == '\r' || s[end - 1] == '\n')) {
        --end;
    }
    return std::string(s.substr(begin, end - begin));
}

std::string TextInParentheses(std::string_view s) {
    if (s.find('(') == std::string_view::npos)
        return TrimBlanks(s);
    // Each "(" takes everything up to the next ")" (a nested "(" is part of that text); a "("
    // without a ")" after it contributes nothing.
    std::string inside;
    std::size_t open;
    while ((open = s.find('(')) != std::string_view::npos) {
        const std::size_t close = s.find(')', open + 1);
        if (close == std::string_view::npos) {
            break;
        }
        inside.append(s.substr(open + 1, close - open - 1));
        s.remove_prefix(close + 1);
    }
    return TrimBlanks(inside);
}

std::string DigitsOnly(std::string_view s) {
    std::string out;
    if (s.size() > 1 && s.front() == '-')
        out.push_back('-');
    for (char c : s) {
        if (IsDigit(c))
            out.push_back(c);
    }
    return out;
}

std::string NormalizePhoneNumber(std::string_view s) {
    std::string t = TextInParentheses(s);
    if (t.empty())
        t = std::string(s);
    std::string kept;
    for (char c : t) {
        if (IsDigit(c) || c == '+')
            kept.push_back(c);
    }
    if (kept.size() < 3)
        return {};
    if (kept.front() != '+')
        return DigitsOnly(kept);
    std::string out(1, '+');
    out += DigitsOnly(std::string_view(kept).substr(1));
    return out;
}

bool SamePhoneNumber(std::string_view a, std::string_view b) {
    const std::string na = NormalizePhoneNumber(a);
    const std::string nb = NormalizePhoneNumber(b);
    const long n = static_cast<long>(std::min<std::size_t>({6, na.size(), nb.size()}));
    return RightChars(na, n) == RightChars(nb, n);
}

std::string UpperAscii(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), UpperChar);
    return out;
}

std::string UpperAlnum(std::string_view s) {
    std::string out;
    for (char c : UpperAscii(s)) {
        if ((c >= 'A' && c <= 'Z') || IsDigit(c))
            out.push_back(c);
    }
    return out;
}

std::string StripTags(std::string_view s) {
    std::string out;
    bool inTag = false;
    for (char c : s) {
        if (inTag) {
            inTag = c != '>';
        } else if (c == '<') {
            inTag = true;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

void SplitText(std::string_view sep, std::string_view s, std::vector<std::string>& list) {
    if (!sep.empty()) {
        std::size_t at;
        while ((at = FindNoCase(s, sep, 0)) != std::string_view::npos) {
            list.emplace_back(s.substr(0, at));
            s.remove_prefix(at + sep.size());
        }
    }
    if (!s.empty())
        list.emplace_back(s);
}

std::pair<std::string, std::string> SplitAtChar(std::string_view s, char c) {
    const std::size_t at = s.find(c);
    if (at == std::string_view::npos)
        return {std::string(s), {}};
    std::string after;
    for (char b : s.substr(at + 1)) {
        if (b != c)
            after.push_back(b);
    }
    return {std::string(s.substr(0, at)), after};
}

std::string ReplaceAll(std::string_view oldText, std::string_view newText, std::string_view s) {
    if (oldText.empty())
        return std::string(s);
    std::string out;
    out.reserve(s.size());
    std::size_t pos = 0;
    std::size_t at;
    while ((at = s.find(oldText, pos)) != std::string_view::npos) {
        out.append(s.substr(pos, at - pos));
        out.append(newText);
        pos = at + oldText.size();
    }
    out.append(s.substr(pos));
    return out;
}

std::string FilterPathChars(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= '.' || c == ' ' || c == '+' || c == '-') {
            out.push_back(c);
        }
    }
    return out;
}

std::string EscapeLineBreaks(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                out.push_back(c);
        }
    }
    return out;
}

std::string UnescapeLineBreaks(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\') {
            out.push_back(s[i]);
            continue;
        }
        if (++i >= s.size())
            break;
        switch (s[i]) {
            case '\\':
                out.push_back('\\');
                break;
            case 'r':
                out.push_back('\r');
                break;
            case 'n':
                out.push_back('\n');
                break;
            default:
                break;  // an unknown escape drops both characters
        }
    }
    return out;
}

std::vector<std::string_view> TextLines(std::string_view s) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\r' && s[i] != '\n')
            continue;
        lines.push_back(s.substr(start, i - start));
        if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < s.size())
        lines.push_back(s.substr(start));
    return lines;
}

namespace {

// Strict decimal: an optional sign ("+" not followed by "-"), then digits only, in range.
template <typename Int>
bool ParseStrictDecimal(std::string_view s, Int& value) {
    if (!s.empty() && s.front() == '+') {
        s.remove_prefix(1);
        if (!s.empty() && s.front() == '-')
            return false;
    }
    if (s.empty())
        return false;
    const char* end = s.data() + s.size();
    const auto [ptr, ec] = std::from_chars(s.data(), end, value);
    return ec == std::errc() && ptr == end;
}

}  // namespace

bool ParseInt32(std::string_view s, int& value) {
    return ParseStrictDecimal(s, value);
}

bool ParseInt64(std::string_view s, std::int64_t& value) {
    return ParseStrictDecimal(s, value);
}

}  // namespace nimbra
