// The submit_sm bodies of a message: typed addresses, the text in one short message or in
// parts, the optional parameters that go with them.
#include <algorithm>
#include <cstdio>

#include "pducoder_septets.h"
#include "unSmppCodec.h"

namespace nimbra::smpp {

namespace {

using pdu::AppendHexOctet;
using pdu::HexOfBytes;

constexpr unsigned kEsmUdhIndicator = 0x40;
constexpr std::size_t kMaxAlphanumericSender = 11;
constexpr std::size_t kShortCodeMin = 3;
constexpr std::size_t kShortCodeMax = 8;
// The most octets of user data one short message carries.
constexpr std::size_t kUserDataOctets = 140;
constexpr int kMaxValidityMinutes = 99 * 24 * 60 + 23 * 60 + 59;

constexpr int kTagDestAddrSubunit = 0x0005;
constexpr int kTagSarReference = 0x020C;
constexpr int kTagSarTotal = 0x020E;
constexpr int kTagSarIndex = 0x020F;
constexpr int kTagMessagePayload = 0x0424;

constexpr std::uint8_t kElementConcatenation8 = 0x00;

bool AllDigits(std::string_view text) {
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

void AppendTlv(std::string& body, int tag, std::string_view value) {
    AppendHexOctet(body, static_cast<unsigned>(tag >> 8));
    AppendHexOctet(body, static_cast<unsigned>(tag & 0xFF));
    AppendHexOctet(body, static_cast<unsigned>(value.size() >> 8));
    AppendHexOctet(body, static_cast<unsigned>(value.size() & 0xFF));
    body += HexOfBytes(value);
}

void AppendAddress(std::string& out, const TypedAddress& typed, std::optional<int> ton,
                   std::optional<int> npi) {
    AppendHexOctet(out, static_cast<unsigned>(ton.value_or(typed.ton)));
    AppendHexOctet(out, static_cast<unsigned>(npi.value_or(typed.npi)));
    out += HexOfBytes(typed.address) + "00";
}

// One short message's user data, and what goes with it.
struct Piece {
    std::string octets;
    bool header = false;                                  // octets begin with a user data header
    std::vector<std::pair<int, std::string>> parameters;  // sar_* or message_payload
};

std::string Concatenation(std::uint8_t reference, std::size_t total, std::size_t index) {
    return {static_cast<char>(kElementConcatenation8), 3, static_cast<char>(reference),
            static_cast<char>(total), static_cast<char>(index)};
}

bool FitsOneMessage(const OutgoingText& prepared) {
    if (prepared.portElement.empty())
        return textparts::CodedLength(prepared.text, prepared.coding) <=
               textparts::SingleLimit(prepared.coding);
    return 1 + prepared.portElement.size() + prepared.text.size() <= kUserDataOctets;
}

// With its own header element (business cards), every piece carries a header: the element
// alone, or the element and the concatenation element.
std::vector<Piece> HeaderPieces(const OutgoingText& prepared, const SubmitOptions& options,
                                std::uint16_t reference) {
    const std::string& element = prepared.portElement;
    std::vector<Piece> pieces;
    if (element.empty()) {
        const std::optional<std::vector<std::u16string>> parts =
            textparts::Split(prepared.text, prepared.coding);
        if (!parts)
            return {};
        for (std::size_t i = 0; i < parts->size(); ++i) {
            Piece piece{EncodeText((*parts)[i], prepared), false, {}};
            if (parts->size() > 1 && options.longMessages == LongMessages::Sar) {
                piece.parameters = {
                    {kTagSarReference,
                     {static_cast<char>(reference >> 8), static_cast<char>(reference & 0xFF)}},
                    {kTagSarTotal, std::string(1, static_cast<char>(parts->size()))},
                    {kTagSarIndex, std::string(1, static_cast<char>(i + 1))}};
            } else if (parts->size() > 1) {
                piece.octets =
                    textparts::ConcatenationHeader(static_cast<std::uint8_t>(reference & 0xFF),
                                                   static_cast<std::uint8_t>(parts->size()),
                                                   static_cast<std::uint8_t>(i + 1)) +
                    piece.octets;
                piece.header = true;
            }
            pieces.push_back(std::move(piece));
        }
        return pieces;
    }
    const std::string data = EncodeText(prepared.text, prepared);
    if (FitsOneMessage(prepared))
        return {{static_cast<char>(element.size()) + element + data, true, {}}};
    const std::size_t headerSize = 1 + element.size() + 5;
    const std::size_t room = kUserDataOctets - headerSize;
    const std::size_t total = (data.size() + room - 1) / room;
    if (total > textparts::kMaxParts)
        return {};
    for (std::size_t i = 0; i < total; ++i) {
        const std::string header =
            static_cast<char>(headerSize - 1) + element +
            Concatenation(static_cast<std::uint8_t>(reference & 0xFF), total, i + 1);
        pieces.push_back({header + data.substr(i * room, room), true, {}});
    }
    return pieces;
}

std::vector<Piece> Pieces(const OutgoingText& prepared, const SubmitOptions& options,
                          std::uint16_t reference) {
    if (options.longMessages != LongMessages::Payload || FitsOneMessage(prepared))
        return HeaderPieces(prepared, options, reference);
    std::string data = EncodeText(prepared.text, prepared);
    const bool header = !prepared.portElement.empty();
    if (header)
        data = static_cast<char>(prepared.portElement.size()) + prepared.portElement + data;
    return {{{}, header, {{kTagMessagePayload, data}}}};
}

}  // namespace

TypedAddress TypeAddress(std::string_view address) {
    if (address.starts_with('+') && AllDigits(address.substr(1)))
        return {0x01, 0x01, std::string(address.substr(1))};
    if (!AllDigits(address))
        return {0x05, 0x00, std::string(address)};
    if (address.size() >= kShortCodeMin && address.size() <= kShortCodeMax)
        return {0x03, 0x00, std::string(address)};
    return {0x00, 0x01, std::string(address)};
}

std::string RelativeValidity(int minutes) {
    minutes = std::clamp(minutes, 0, kMaxValidityMinutes);
    char text[32];
    std::snprintf(text, sizeof text, "0000%02d%02d%02d00000R", minutes / (24 * 60),
                  minutes / 60 % 24, minutes % 60);
    return text;
}

Submits BuildSubmits(std::string_view sender, std::string_view receiver, std::string_view text,
                     const SubmitOptions& options, std::uint16_t reference) {
    const TypedAddress source = TypeAddress(sender);
    if (source.ton == 0x05 && source.address.size() > kMaxAlphanumericSender) {
        return {{},
                "Sender " + std::string(sender) + " is longer than " +
                    std::to_string(kMaxAlphanumericSender) + " characters"};
    }
    const OutgoingText prepared = PrepareText(text, options.alphabet);
    if (!prepared.error.empty())
        return {{}, prepared.error};
    const std::vector<Piece> pieces = Pieces(prepared, options, reference);
    if (pieces.empty())
        return {{},
                "Message too long: more than " + std::to_string(textparts::kMaxParts) + " parts"};

    std::string common;  // source_addr ... destination_addr
    AppendAddress(common, source, options.sourceTon, options.sourceNpi);
    AppendAddress(common, TypeAddress(receiver), options.destTon, options.destNpi);
    const std::string validity = options.validityMinutes > 0
                                     ? HexOfBytes(RelativeValidity(options.validityMinutes))
                                     : std::string();

    Submits submits;
    for (const Piece& piece : pieces) {
        std::string body = "00";  // service_type
        body += common;
        AppendHexOctet(body, piece.header ? kEsmUdhIndicator : 0);
        body += "00";  // protocol_id
        body += "00";  // priority_flag
        body += "00";  // schedule_delivery_time
        body += validity + "00";
        body += options.deliveryReport ? "01" : "00";  // registered_delivery
        body += "00";                                  // replace_if_present_flag
        AppendHexOctet(body, static_cast<unsigned>(prepared.dataCoding));
        body += "00";  // sm_default_msg_id
        AppendHexOctet(body, static_cast<unsigned>(piece.octets.size()));
        body += HexOfBytes(piece.octets);
        if (prepared.messageClass >= 0) {
            AppendTlv(body, kTagDestAddrSubunit,
                      std::string(1, static_cast<char>(prepared.messageClass + 1)));
        }
        for (const auto& [tag, value] : piece.parameters)
            AppendTlv(body, tag, value);
        submits.bodies.push_back(std::move(body));
    }
    return submits;
}

}  // namespace nimbra::smpp
