#pragma once

// Splitting a text into the parts of a concatenated short message, for the drivers that hand
// message centres their user data: how many characters of a coding one short message holds
// alone and as one part behind the 6-octet concatenation header, where the text is cut, and
// that header itself. A part boundary never separates the escape septet of a GSM extension
// character from its code, nor the two halves of a UTF-16 surrogate pair.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbra::textparts {

enum class Coding {
    Gsm7,   // GSM default alphabet: septets, extension characters count two
    Octet,  // one octet a character (Latin-1, 8-bit data)
    Ucs2,   // UTF-16 code units, two octets each
};

// 160, 140, 70: what one short message holds without a header.
std::size_t SingleLimit(Coding coding);
// 153, 134, 67: what one part holds behind the concatenation header.
std::size_t PartLimit(Coding coding);

// The length of the text in the coding's units. Gsm7 counts the characters outside the
// alphabet one each.
std::size_t CodedLength(std::u16string_view text, Coding coding);

// The most parts one concatenated message can have (the header counts them in one octet).
inline constexpr std::size_t kMaxParts = 255;

// The text alone when it fits one short message, else its parts in order, each at most
// PartLimit units. nullopt when the text needs more than kMaxParts parts.
std::optional<std::vector<std::u16string>> Split(std::u16string_view text, Coding coding);

// The user data header of part `index` (1-based) of `total` with an 8-bit reference, as
// bytes: 05 00 03 reference total index.
std::string ConcatenationHeader(std::uint8_t reference, std::uint8_t total, std::uint8_t index);

}  // namespace nimbra::textparts
