#include "cimduserdata.h"

#include "cimdcharset.h"
#include "codepage.h"
#include "enginetext.h"
#include "gsmalphabet.h"
#include "pducoder_septets.h"
#include "textparts.h"
#include "unStrings.h"

namespace nimbra::cimd {
namespace {

constexpr std::string_view kUcs2Marker = "_UCS2_";
constexpr std::string_view kClassMarker = "_CLASS";
constexpr std::size_t kClassMarkerLength = 8;  // "_CLASS" + digit + one more character
constexpr std::string_view kOctetsMarker = "_B64_";

// Data coding schemes: the general group (class in bits 0-1 when bit 4 is set, alphabet in
// bits 2-3) and the class group 0xF0 for 8-bit data.
constexpr int kDcsUcs2 = 0x08;
constexpr int kDcsOctets = 0x04;
constexpr int kDcsWithClass = 0x10;
constexpr int kDcsOctetsWithClass = 0xF4;

enum class Alphabet { Default, Octets, Ucs2 };

// Hexadecimal octets in either case.
bool IsHexOctets(std::string_view hex) {
    return hex.size() % 2 == 0 && pdu::IsUpperHex(UpperAscii(hex));
}

// The alphabet a data coding scheme names.
Alphabet AlphabetOf(int dcs) {
    const int group = dcs >> 4;
    if (group <= 0x07) {  // general data coding, with or without automatic deletion
        switch ((dcs >> 2) & 0x03) {
            case 1:
                return Alphabet::Octets;
            case 2:
                return Alphabet::Ucs2;
            default:
                return Alphabet::Default;
        }
    }
    if (group == 0x0E)  // message waiting indication, UCS-2
        return Alphabet::Ucs2;
    if (group == 0x0F)
        return (dcs & 0x04) != 0 ? Alphabet::Octets : Alphabet::Default;
    return Alphabet::Default;
}

// An engine text read for sending: its characters (octets one each), the coding they go
// in and the data coding scheme that says so.
struct Prepared {
    std::u16string characters;
    textparts::Coding coding = textparts::Coding::Gsm7;
    std::string dcs;
};

Prepared Prepare(std::string_view text) {
    int messageClass = -1;
    bool ucs2 = false;
    for (;;) {
        if (text.starts_with(kUcs2Marker)) {
            ucs2 = true;
            text.remove_prefix(kUcs2Marker.size());
        } else if (text.starts_with(kClassMarker) && text.size() >= kClassMarkerLength) {
            const char digit = text[kClassMarker.size()];
            if (digit >= '0' && digit <= '3')
                messageClass = digit - '0';
            text.remove_prefix(kClassMarkerLength);
        } else {
            break;
        }
    }
    const auto scheme = [messageClass](int alphabet, int withClass) {
        return std::to_string(messageClass < 0 ? alphabet : withClass | messageClass);
    };
    Prepared prepared;
    if (!ucs2 && text.starts_with(kOctetsMarker) &&
        IsHexOctets(text.substr(kOctetsMarker.size()))) {
        for (const char octet : pdu::BytesOfHex(UpperAscii(text.substr(kOctetsMarker.size()))))
            prepared.characters += static_cast<char16_t>(static_cast<unsigned char>(octet));
        prepared.coding = textparts::Coding::Octet;
        prepared.dcs = scheme(kDcsOctets, kDcsOctetsWithClass);
        return prepared;
    }
    prepared.characters = ucs2 ? HexToWide(text) : AnsiToWide(text);
    if (gsm7::CanEncode(prepared.characters)) {
        if (messageClass >= 0)
            prepared.dcs = scheme(0, kDcsWithClass);
        return prepared;
    }
    prepared.coding = textparts::Coding::Ucs2;
    prepared.dcs = scheme(kDcsUcs2, kDcsWithClass | kDcsUcs2);
    return prepared;
}

// The user data of characters in the prepared coding.
UserData Coded(std::u16string_view characters, const Prepared& prepared) {
    UserData data;
    data.dcs = prepared.dcs;
    switch (prepared.coding) {
        case textparts::Coding::Gsm7:
            data.text = ToCombinations(characters).value_or(std::string());
            break;
        case textparts::Coding::Ucs2:
            data.binary = WideToHex(characters);
            break;
        case textparts::Coding::Octet: {
            std::string octets;
            for (const char16_t c : characters)
                octets += static_cast<char>(c);
            data.binary = pdu::HexOfBytes(octets);
            break;
        }
    }
    return data;
}

}  // namespace

UserData EncodeUserData(std::string_view text) {
    const Prepared prepared = Prepare(text);
    return Coded(prepared.characters, prepared);
}

std::vector<UserData> EncodeMessage(std::string_view text, std::uint8_t reference) {
    const Prepared prepared = Prepare(text);
    const std::optional<std::vector<std::u16string>> parts =
        textparts::Split(prepared.characters, prepared.coding);
    if (!parts)
        return {};
    std::vector<UserData> coded;
    const auto total = static_cast<std::uint8_t>(parts->size());
    for (std::size_t i = 0; i < parts->size(); ++i) {
        coded.push_back(Coded((*parts)[i], prepared));
        if (total > 1)
            coded.back().header = pdu::HexOfBytes(
                textparts::ConcatenationHeader(reference, total, static_cast<std::uint8_t>(i + 1)));
    }
    return coded;
}

std::string DecodeUserData(const TParamList& packet) {
    int dcs = 0;
    if (!ParseInt32(packet.valueOf("030"), dcs) || dcs < 0 || dcs > 0xFF)
        dcs = 0;
    const std::string text = packet.valueOf("033");
    const std::string binary = packet.valueOf("034");
    const bool octets = !binary.empty() && IsHexOctets(binary);
    switch (AlphabetOf(dcs)) {
        case Alphabet::Octets:
            if (octets)
                return std::string(kOctetsMarker) + UpperAscii(binary);
            break;
        case Alphabet::Ucs2:
            if (octets)
                return EngineText(HexToWide(UpperAscii(binary)));
            break;
        case Alphabet::Default:
            if (text.empty() && octets)
                return EngineText(gsm7::DecodeUnpacked(pdu::BytesOfHex(UpperAscii(binary))));
            break;
    }
    return EngineText(FromCombinations(text));
}

int PutUserData(TParamList& list, int i, const UserData& data) {
    const std::pair<std::string_view, const std::string*> parameters[] = {
        {"030", &data.dcs}, {"032", &data.header}, {"033", &data.text}, {"034", &data.binary}};
    for (const auto& [code, value] : parameters) {
        if (!value->empty())
            list.put(i++, std::string(code) + ":" + *value);
    }
    return i;
}

}  // namespace nimbra::cimd
