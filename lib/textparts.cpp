#include "textparts.h"

#include "gsmalphabet.h"

namespace nimbra::textparts {
namespace {

constexpr std::uint8_t kHeaderLength = 5;
constexpr std::uint8_t kConcatenation8Bit = 0x00;
constexpr std::uint8_t kElementLength = 3;

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

// The units the character at text[i] takes, and how many code units belong to it.
struct Unit {
    std::size_t size;
    std::size_t codeUnits;
};

Unit UnitAt(std::u16string_view text, std::size_t i, Coding coding) {
    switch (coding) {
        case Coding::Gsm7: {
            const std::size_t septets = gsm7::SeptetsOf(text[i]).size();
            return {septets == 0 ? 1 : septets, 1};
        }
        case Coding::Octet:
            return {1, 1};
        case Coding::Ucs2:
            break;
    }
    const bool pair = IsHighSurrogate(text[i]) && i + 1 < text.size();
    return {pair ? 2u : 1u, pair ? 2u : 1u};
}

}  // namespace

std::size_t SingleLimit(Coding coding) {
    switch (coding) {
        case Coding::Gsm7:
            return 160;
        case Coding::Octet:
            return 140;
        case Coding::Ucs2:
            break;
    }
    return 70;
}

std::size_t PartLimit(Coding coding) {
    switch (coding) {
        case Coding::Gsm7:
            return 153;
        case Coding::Octet:
            return 134;
        case Coding::Ucs2:
            break;
    }
    return 67;
}

std::size_t CodedLength(std::u16string_view text, Coding coding) {
    std::size_t length = 0;
    for (std::size_t i = 0; i < text.size();) {
        const Unit unit = UnitAt(text, i, coding);
        length += unit.size;
        i += unit.codeUnits;
    }
    return length;
}

std::optional<std::vector<std::u16string>> Split(std::u16string_view text, Coding coding) {
    if (CodedLength(text, coding) <= SingleLimit(coding))
        return std::vector<std::u16string>{std::u16string(text)};
    const std::size_t limit = PartLimit(coding);
    std::vector<std::u16string> parts;
    std::size_t start = 0;
    std::size_t used = 0;
    for (std::size_t i = 0; i < text.size();) {
        const Unit unit = UnitAt(text, i, coding);
        if (used + unit.size > limit) {
            parts.emplace_back(text.substr(start, i - start));
            start = i;
            used = 0;
        }
        used += unit.size;
        i += unit.codeUnits;
    }
    parts.emplace_back(text.substr(start));
    if (parts.size() > kMaxParts)
        return std::nullopt;
    return parts;
}

std::string ConcatenationHeader(std::uint8_t reference, std::uint8_t total, std::uint8_t index) {
    return {static_cast<char>(kHeaderLength),  static_cast<char>(kConcatenation8Bit),
            static_cast<char>(kElementLength), static_cast<char>(reference),
            static_cast<char>(total),          static_cast<char>(index)};
}

}  // namespace nimbra::textparts
