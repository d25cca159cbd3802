#pragma once
// The bodies of the SMPP 3.4 requests the simulator takes (the binds, submit_sm) and sends
// (deliver_sm, which has the layout of submit_sm), with the field size limits SMPP sets.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "smpppdu.h"

namespace mcsim::smpp {

// Optional parameter tags.
inline constexpr std::uint16_t kTagReceiptedMessageId = 0x001E;
inline constexpr std::uint16_t kTagMessagePayload = 0x0424;
inline constexpr std::uint16_t kTagMessageState = 0x0427;

// The longest short_message; a longer text goes into a message_payload parameter.
inline constexpr std::size_t kMaxShortMessage = 254;

struct Bind {
    std::string systemId;
    std::string password;
    std::string systemType;
    std::uint8_t interfaceVersion = 0;
    std::uint8_t ton = 0;
    std::uint8_t npi = 0;
    std::string addressRange;
};

struct Address {
    std::uint8_t ton = 0;
    std::uint8_t npi = 0;
    std::string digits;
};

struct Tlv {
    std::uint16_t tag = 0;
    std::string value;
};

// The body of a submit_sm or deliver_sm.
struct ShortMessage {
    std::string serviceType;
    Address source;
    Address destination;
    std::uint8_t esmClass = 0;
    std::uint8_t protocolId = 0;
    std::uint8_t priority = 0;
    std::string scheduleDeliveryTime;
    std::string validityPeriod;
    std::uint8_t registeredDelivery = 0;
    std::uint8_t replaceIfPresent = 0;
    std::uint8_t dataCoding = 0;
    std::uint8_t defaultMessageId = 0;
    std::string text;  // short_message, its length is sm_length
    std::vector<Tlv> tlvs;

    // short_message, or the message_payload parameter when short_message is empty.
    std::string Payload() const;
};

// A parsed body, or `error` (non-empty) and the status to refuse it with.
template <typename Body>
struct Parsed {
    Body body;
    std::string error;
    std::uint32_t status = kStatusOk;
};

Parsed<Bind> ParseBind(std::string_view body);
Parsed<ShortMessage> ParseShortMessage(std::string_view body);
// `message.text` is at most kMaxShortMessage bytes.
std::string ShortMessageBody(const ShortMessage& message);

// The message_state value of a receipt state ("DELIVRD" 2, "UNDELIV" 5, ...); nullopt for a
// name receipts do not use.
std::optional<std::uint8_t> MessageState(std::string_view state);

// An address as a person writes it: "+" and digits is international (TON 1, NPI 1, the
// digits without "+"), digits alone are of unknown type (TON 0, NPI 1), anything else is
// alphanumeric (TON 5, NPI 0).
Address AddressFromText(std::string_view text);

}  // namespace mcsim::smpp
