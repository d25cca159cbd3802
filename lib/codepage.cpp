#include "codepage.h"

#include <array>
#include <cstdint>

namespace nimbra {
namespace {

// Unicode of the bytes 0x80..0x9F; the undefined ones keep their own value.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Decodes one UTF-8 sequence at s[i]; returns the code point, or -1 for an invalid
// sequence, and advances i past what it consumed (at least one byte).
long DecodeUtf8(std::string_view s, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(s[i++]);
    if (lead < 0x80)
        return lead;
    int extra = 0;
    std::uint32_t cp = 0;
    std::uint32_t min = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, cp = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, cp = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, cp = lead & 0x07, min = 0x10000;
    } else {
        return -1;
    }
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size())
            return -1;
        const auto c = static_cast<unsigned char>(s[i]);
        if ((c & 0xC0) != 0x80)
            return -1;
        cp = (cp << 6) | (c & 0x3F);
        ++i;
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return -1;
    return static_cast<long>(cp);
}

}  // namespace

char16_t AnsiCharToWide(unsigned char c) {
    if (c >= 0x80 && c <= 0x9F)
        return kHighControls[c - 0x80];
    return c;
}

char WideCharToAnsi(char16_t w) {
    if (w < 0x80 || (w >= 0xA0 && w <= 0xFF))
        return static_cast<char>(w);
    for (std::size_t k = 0; k < kHighControls.size(); ++k) {
        if (kHighControls[k] == w)
            return static_cast<char>(0x80 + k);
    }
    return '?';
}

std::u16string AnsiToWide(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    for (char c : s)
        out.push_back(AnsiCharToWide(static_cast<unsigned char>(c)));
    return out;
}

std::string WideToAnsi(std::u16string_view w) {
    std::string out;
    out.reserve(w.size());
    for (std::size_t i = 0; i < w.size(); ++i) {
        const char16_t u = w[i];
        // A surrogate pair is one character the code page cannot show: one "?".
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < w.size() && w[i + 1] >= 0xDC00 &&
            w[i + 1] <= 0xDFFF) {
            ++i;
        }
        out.push_back(WideCharToAnsi(u));
    }
    return out;
}

std::string AnsiToUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size() + s.size() / 4);
    for (char c : s)
        AppendUtf8(out, AnsiCharToWide(static_cast<unsigned char>(c)));
    return out;
}

std::string Utf8ToAnsi(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const long cp = DecodeUtf8(s, i);
        out.push_back(cp < 0 || cp > 0xFFFF ? '?' : WideCharToAnsi(static_cast<char16_t>(cp)));
    }
    return out;
}

std::u16string Utf8ToWide(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t start = i;
        const long cp = DecodeUtf8(s, i);
        if (cp < 0) {
            i = start + 1;
            out.push_back(AnsiCharToWide(static_cast<unsigned char>(s[start])));
        } else if (cp >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string WideToUtf8(std::u16string_view w) {
    std::string out;
    out.reserve(w.size() + w.size() / 4);
    for (std::size_t i = 0; i < w.size(); ++i) {
        std::uint32_t cp = w[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < w.size() && w[i + 1] >= 0xDC00 &&
            w[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (w[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

bool AnsiCanHold(std::u16string_view w) {
    for (const char16_t u : w) {
        if (u != u'?' && WideCharToAnsi(u) == '?')
            return false;
    }
    return true;
}

std::string LowerAnsi(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7))
            c = static_cast<char>(b + 0x20);
        else if (b == 0x8A || b == 0x8C || b == 0x8E)  // S with caron, OE, Z with caron
            c = static_cast<char>(b + 0x10);
        else if (b == 0x9F)  // Y with diaeresis
            c = static_cast<char>(0xFF);
    }
    return out;
}

}  // namespace nimbra
