#include "smppbodies.h"

#include <algorithm>

namespace mcsim::smpp {
namespace {

// C-octet string sizes with the NUL.
constexpr std::size_t kSystemIdSize = 16;
constexpr std::size_t kPasswordSize = 9;
constexpr std::size_t kSystemTypeSize = 13;
constexpr std::size_t kAddressRangeSize = 41;
constexpr std::size_t kServiceTypeSize = 6;
constexpr std::size_t kAddressSize = 21;
constexpr std::size_t kTimeSize = 17;

// An absolute or relative time is 16 characters; empty means none.
bool IsTimeField(const std::string& text) {
    return text.empty() || text.size() == kTimeSize - 1;
}

bool IsDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

template <typename Body>
Parsed<Body> Refused(std::string error, std::uint32_t status) {
    Parsed<Body> parsed;
    parsed.error = std::move(error);
    parsed.status = status;
    return parsed;
}

}  // namespace

std::string ShortMessage::Payload() const {
    if (!text.empty())
        return text;
    for (const Tlv& tlv : tlvs) {
        if (tlv.tag == kTagMessagePayload)
            return tlv.value;
    }
    return {};
}

Parsed<Bind> ParseBind(std::string_view body) {
    BodyReader reader(body);
    Parsed<Bind> parsed;
    Bind& bind = parsed.body;
    bind.systemId = reader.CString("system_id", kSystemIdSize, kStatusInvalidSystemId);
    bind.password = reader.CString("password", kPasswordSize, kStatusInvalidPassword);
    bind.systemType = reader.CString("system_type", kSystemTypeSize, kStatusInvalidSystemType);
    bind.interfaceVersion = reader.Byte("interface_version");
    bind.ton = reader.Byte("addr_ton");
    bind.npi = reader.Byte("addr_npi");
    bind.addressRange =
        reader.CString("address_range", kAddressRangeSize, kStatusInvalidCommandLength);
    if (reader.failed())
        return Refused<Bind>(reader.error(), reader.status());
    return parsed;
}

Parsed<ShortMessage> ParseShortMessage(std::string_view body) {
    BodyReader reader(body);
    Parsed<ShortMessage> parsed;
    ShortMessage& message = parsed.body;
    message.serviceType =
        reader.CString("service_type", kServiceTypeSize, kStatusInvalidServiceType);
    message.source.ton = reader.Byte("source_addr_ton");
    message.source.npi = reader.Byte("source_addr_npi");
    message.source.digits =
        reader.CString("source_addr", kAddressSize, kStatusInvalidSourceAddress);
    message.destination.ton = reader.Byte("dest_addr_ton");
    message.destination.npi = reader.Byte("dest_addr_npi");
    message.destination.digits =
        reader.CString("destination_addr", kAddressSize, kStatusInvalidDestinationAddress);
    message.esmClass = reader.Byte("esm_class");
    message.protocolId = reader.Byte("protocol_id");
    message.priority = reader.Byte("priority_flag");
    message.scheduleDeliveryTime =
        reader.CString("schedule_delivery_time", kTimeSize, kStatusInvalidScheduleTime);
    message.validityPeriod =
        reader.CString("validity_period", kTimeSize, kStatusInvalidValidityPeriod);
    message.registeredDelivery = reader.Byte("registered_delivery");
    message.replaceIfPresent = reader.Byte("replace_if_present_flag");
    message.dataCoding = reader.Byte("data_coding");
    message.defaultMessageId = reader.Byte("sm_default_msg_id");
    const std::uint8_t length = reader.Byte("sm_length");
    if (!reader.failed() && length > kMaxShortMessage)
        return Refused<ShortMessage>("sm_length " + std::to_string(length) + " is over 254",
                                     kStatusInvalidMessageLength);
    message.text = reader.Octets("short_message", length);
    if (reader.failed())
        return Refused<ShortMessage>(reader.error(), reader.status());
    while (!reader.atEnd()) {
        Tlv tlv;
        tlv.tag = reader.Uint16("optional parameter tag");
        const std::uint16_t size = reader.Uint16("optional parameter length");
        tlv.value = reader.Octets("optional parameter value", size);
        if (reader.failed())
            return Refused<ShortMessage>(reader.error(), kStatusInvalidOptionalParameters);
        message.tlvs.push_back(std::move(tlv));
    }
    if (!IsTimeField(message.scheduleDeliveryTime))
        return Refused<ShortMessage>("schedule_delivery_time is not 16 characters",
                                     kStatusInvalidScheduleTime);
    if (!IsTimeField(message.validityPeriod))
        return Refused<ShortMessage>("validity_period is not 16 characters",
                                     kStatusInvalidValidityPeriod);
    return parsed;
}

std::string ShortMessageBody(const ShortMessage& message) {
    BodyWriter writer;
    writer.CString(message.serviceType)
        .Byte(message.source.ton)
        .Byte(message.source.npi)
        .CString(message.source.digits)
        .Byte(message.destination.ton)
        .Byte(message.destination.npi)
        .CString(message.destination.digits)
        .Byte(message.esmClass)
        .Byte(message.protocolId)
        .Byte(message.priority)
        .CString(message.scheduleDeliveryTime)
        .CString(message.validityPeriod)
        .Byte(message.registeredDelivery)
        .Byte(message.replaceIfPresent)
        .Byte(message.dataCoding)
        .Byte(message.defaultMessageId)
        .Byte(static_cast<std::uint8_t>(message.text.size()))
        .Octets(message.text);
    for (const Tlv& tlv : message.tlvs)
        writer.Tlv(tlv.tag, tlv.value);
    return writer.bytes();
}

std::optional<std::uint8_t> MessageState(std::string_view state) {
    constexpr std::string_view kStates[] = {"ENROUTE", "DELIVRD", "EXPIRED", "DELETED",
                                            "UNDELIV", "ACCEPTD", "UNKNOWN", "REJECTD"};
    for (std::size_t i = 0; i < std::size(kStates); ++i) {
        if (kStates[i] == state)
            return static_cast<std::uint8_t>(i + 1);
    }
    return std::nullopt;
}

Address AddressFromText(std::string_view text) {
    if (text.starts_with('+') && IsDigits(text.substr(1)))
        return {1, 1, std::string(text.substr(1))};
    if (IsDigits(text))
        return {0, 1, std::string(text)};
    return {5, 0, std::string(text)};
}

}  // namespace mcsim::smpp
