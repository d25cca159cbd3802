#pragma once
// Message text in SMPP short messages as the simulator reads and writes it: a submit's octets
// read by data_coding (0 the GSM default alphabet, one septet an octet; 3 Latin-1; 8 UCS2;
// other codings shown as hex), its user data header taken off, and a text to deliver coded
// in the GSM alphabet when it can be, else in UCS2, in parts with a concatenation header when
// it does not fit one short message.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QString>

namespace mcsim::smpp {

inline constexpr std::uint8_t kEsmUdhIndicator = 0x40;

// The text of short message octets.
QString DecodeText(std::string_view octets, std::uint8_t dataCoding);

// Where a part belongs: its message's reference and part count, and its number.
struct PartOf {
    std::uint32_t reference = 0;
    int total = 0;
    int index = 0;
};

struct UserData {
    std::string octets;  // without the header
    std::optional<PartOf> part;
};
// With the header indicator the header is taken off; a concatenation element in it (8- or
// 16-bit reference) makes the octets a part.
UserData SplitHeader(std::string_view octets, std::uint8_t esmClass);

struct CodedText {
    std::uint8_t dataCoding = 0;
    std::uint8_t esmClass = 0;
    std::vector<std::string> parts;  // the short_message of each deliver_sm
};
// Record text (single-byte code page, or "_UCS2_" and UTF-16 hex) as short messages.
CodedText CodeText(std::string_view recordText);
// Several parts get the header 05 00 03 reference count number and the header indicator.
void NumberParts(CodedText& coded, std::uint8_t reference);

}  // namespace mcsim::smpp
