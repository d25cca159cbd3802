#include "smppincoming.h"

#include <array>

#include "codepage.h"
#include "pducoder_septets.h"
#include "unStrings.h"

namespace nimbra::smpp {

namespace {

constexpr int kEsmUdhIndicator = 0x40;
constexpr int kEsmMessageType = 0x3C;
constexpr int kEsmDeliveryReceipt = 0x04;
constexpr int kEsmIntermediateNotification = 0x20;

constexpr unsigned char kElementConcatenation8 = 0x00;
constexpr unsigned char kElementConcatenation16 = 0x08;

// message_state values 1 to 8 as the receipt texts name them.
constexpr std::array<std::string_view, 9> kStateNames = {
    "", "ENROUTE", "DELIVRD", "EXPIRED", "DELETED", "UNDELIV", "ACCEPTD", "UNKNOWN", "REJECTD"};

std::optional<Concatenation> PartOf(std::string stem, int total, int index) {
    if (total < 2 || index < 1 || index > total)
        return std::nullopt;
    pdu::AppendHexOctet(stem, static_cast<unsigned>(total));
    return Concatenation{stem + "-", total, index};
}

// The concatenation element among the header's elements.
std::optional<Concatenation> HeaderPart(std::string_view header) {
    std::size_t pos = 0;
    while (pos + 2 <= header.size()) {
        const auto id = static_cast<unsigned char>(header[pos]);
        const auto length = static_cast<unsigned char>(header[pos + 1]);
        const std::string_view element = header.substr(pos + 2);
        if (element.size() < length)
            return std::nullopt;
        const auto at = [&](std::size_t i) { return static_cast<unsigned char>(element[i]); };
        if ((id == kElementConcatenation8 && length == 3) ||
            (id == kElementConcatenation16 && length == 4)) {
            const std::size_t counts = length - 2u;
            return PartOf("smpp" + pdu::HexOfBytes(header.substr(pos, 2u + counts)), at(counts),
                          at(counts + 1));
        }
        pos += 2u + length;
    }
    return std::nullopt;
}

// The text after `key` (any case) up to the next blank; empty without the key.
std::string ValueAfter(std::string_view text, std::string_view key) {
    const std::string lower = LowerAnsi(text);
    const std::size_t at = lower.find(key);
    if (at == std::string::npos)
        return {};
    const std::string_view value = text.substr(at + key.size());
    return std::string(value.substr(0, value.find(' ')));
}

bool LooksLikeReceipt(std::string_view text) {
    const std::string lower = LowerAnsi(text);
    return lower.starts_with("id:") &&
           (lower.find("stat:") != std::string::npos || lower.find("dlvrd:") != std::string::npos);
}

}  // namespace

UserData SplitUserData(const DeliverSm& deliver) {
    UserData data{deliver.message, std::nullopt};
    if ((deliver.esmClass & kEsmUdhIndicator) != 0 && !data.octets.empty()) {
        const std::size_t headerLength = static_cast<unsigned char>(data.octets[0]);
        if (headerLength + 1 <= data.octets.size()) {
            data.part = HeaderPart(std::string_view(data.octets).substr(1, headerLength));
            data.octets.erase(0, headerLength + 1);
            return data;
        }
    }
    if (deliver.sarReference >= 0) {
        std::string stem = "smppsar";
        pdu::AppendHexOctet(stem, static_cast<unsigned>(deliver.sarReference >> 8));
        pdu::AppendHexOctet(stem, static_cast<unsigned>(deliver.sarReference & 0xFF));
        data.part = PartOf(stem, deliver.sarTotal, deliver.sarIndex);
    }
    return data;
}

std::string Receipt::Status() const {
    return state == "DELIVRD" ? "0" : state;
}

std::optional<Receipt> ReadReceipt(const DeliverSm& deliver, std::string_view text) {
    const int type = deliver.esmClass & kEsmMessageType;
    const bool intermediate = type == kEsmIntermediateNotification;
    if (type != kEsmDeliveryReceipt && !intermediate && !(type == 0 && LooksLikeReceipt(text)))
        return std::nullopt;
    Receipt receipt;
    receipt.id = deliver.receiptedId.empty() ? ValueAfter(text, "id:") : deliver.receiptedId;
    if (deliver.messageState > 0 && deliver.messageState < static_cast<int>(kStateNames.size()))
        receipt.state = kStateNames[static_cast<std::size_t>(deliver.messageState)];
    else
        receipt.state = UpperAscii(ValueAfter(text, "stat:"));
    receipt.final = !intermediate && receipt.state != "ENROUTE" && receipt.state != "ACCEPTD";
    return receipt;
}

}  // namespace nimbra::smpp
