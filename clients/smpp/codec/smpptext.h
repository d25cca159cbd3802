#pragma once
// Message text and the data_coding of short messages. Outgoing, a record's text (code-page
// text with its markers) becomes the characters to send and the data_coding that carries
// them: the centre's default alphabet when it can, UCS2 when it cannot. Incoming, the octets
// of a short message are read by their data_coding and become record text: code-page text
// when the code page holds every character, else "_UCS2_" and the UTF-16 units in hex; 8-bit
// data becomes "_B64_" and the octets in hex. Line breaks travel inside record text as the
// escapes "\0x0D" and "\0x0A".

#include <string>
#include <string_view>

#include "textparts.h"

namespace nimbra::smpp {

// What the message centre reads data_coding 0 as: the GSM default alphabet, one septet an
// octet; Latin-1 (sent as data_coding 3 instead); or the system's code page, byte for byte,
// as earlier versions sent every text.
enum class Alphabet { Gsm, Latin1, CodePage };

inline constexpr int kDataCodingDefault = 0x00;
inline constexpr int kDataCodingIa5 = 0x01;
inline constexpr int kDataCodingLatin1 = 0x03;
inline constexpr int kDataCodingUcs2 = 0x08;
// 8-bit data: class 1 for business cards, class 3 for "_B64_" data.
inline constexpr int kDataCodingBusinessCard = 0xF5;
inline constexpr int kDataCodingBinary = 0xF7;

struct OutgoingText {
    // How the characters become octets: GSM septets, one octet each (Latin-1 and octet
    // data), code-page bytes, or UTF-16 big-endian.
    enum class Form { Septets, Octets, CodePage, Utf16 };

    int dataCoding = kDataCodingDefault;
    textparts::Coding coding = textparts::Coding::Gsm7;
    Form form = Form::Septets;
    // The characters to send; for octet data, one character per octet.
    std::u16string text;
    // Business cards go to the vCard port: the application port element (without the header
    // length) that every part carries.
    std::string portElement;
    // 0 to 3 from "_CLASSn_"; -1 without a class.
    int messageClass = -1;
    // Why the text cannot be sent; the rest is unset then.
    std::string error;
};

OutgoingText PrepareText(std::string_view recordText, Alphabet alphabet);
// The octets of (a part of) the prepared text.
std::string EncodeText(std::u16string_view text, const OutgoingText& prepared);

// The record text of a short message's octets.
std::string DecodeText(std::string_view octets, int dataCoding, Alphabet alphabet);
// UTF-16 text as record text: code-page text when the code page holds it, else "_UCS2_" + hex.
std::string RecordText(std::u16string_view text);

}  // namespace nimbra::smpp
