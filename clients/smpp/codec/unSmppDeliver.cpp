// Reading a deliver_sm: its fields in order, the message and delivery receipt recognition.
#include "pducoder_septets.h"
#include "unSmppCodec.h"

namespace nimbra::smpp {

namespace {

using pdu::BytesOfHex;
using pdu::OctetAt;

constexpr int kDataCodingUcs2 = 0x08;

// Reads fields from the front of a body; past its end every field is empty.
class FieldReader {
public:
    explicit FieldReader(std::string_view hex) : hex_(hex) {}

    // Hex pairs up to and including the first "00", or to the end.
    std::string_view CString() {
        std::size_t end = pos_;
        while (end + 1 < hex_.size() && hex_.substr(end, 2) != "00")
            end += 2;
        end = std::min(end + 2, hex_.size());
        return Take(end);
    }
    // One octet's value; -1 past the end.
    int Byte() {
        const int value = OctetAt(hex_, pos_);
        Take(std::min(pos_ + 2, hex_.size()));
        return value;
    }
    std::size_t RemainingOctets() const { return (hex_.size() - pos_) / 2; }
    std::string_view Octets(std::size_t count) { return Take(pos_ + count * 2); }

private:
    std::string_view Take(std::size_t end) {
        const std::string_view field = hex_.substr(pos_, end - pos_);
        pos_ = end;
        return field;
    }

    std::string_view hex_;
    std::size_t pos_ = 0;
};

constexpr int kTagMessagePayload = 0x0424;

std::string Address(std::string_view hex, int ton) {
    std::string address = CStringText(hex);
    return ton == 0x01 ? "+" + address : address;
}

// The value of the optional parameter `tag` among those that follow; empty when absent.
std::string_view OptionalParameter(FieldReader& reader, int tag) {
    while (reader.RemainingOctets() >= 4) {
        const int found = reader.Byte() * 256 + reader.Byte();
        const int length = reader.Byte() * 256 + reader.Byte();
        if (static_cast<std::size_t>(length) > reader.RemainingOctets())
            return {};
        const std::string_view value = reader.Octets(static_cast<std::size_t>(length));
        if (found == tag)
            return value;
    }
    return {};
}

// The short message by its length when the body holds it all, or the message_payload
// parameter when sm_length is 0; otherwise up to the first zero byte.
std::string_view ShortMessage(FieldReader& reader, int length) {
    if (length == 0 && reader.RemainingOctets() > 0)
        return OptionalParameter(reader, kTagMessagePayload);
    if (length > 0 && static_cast<std::size_t>(length) <= reader.RemainingOctets())
        return reader.Octets(static_cast<std::size_t>(length));
    return reader.CString();
}

// A peer that counts a terminator in sm_length still gives the text alone.
std::string MessageText(std::string_view hex) {
    if (hex.size() >= 2 && hex.substr(hex.size() - 2) == "00")
        hex.remove_suffix(2);
    return BytesOfHex(hex);
}

}  // namespace

DeliverSm ReadDeliverSm(std::string_view bodyHex) {
    FieldReader reader(bodyHex);
    reader.CString();  // service_type
    const int sourceTon = reader.Byte();
    reader.Byte();  // source_addr_npi
    const std::string_view source = reader.CString();
    const int destTon = reader.Byte();
    reader.Byte();  // dest_addr_npi
    const std::string_view destination = reader.CString();
    reader.Byte();     // esm_class
    reader.Byte();     // protocol_id
    reader.Byte();     // priority_flag
    reader.CString();  // schedule_delivery_time
    reader.CString();  // validity_period
    reader.Byte();     // registered_delivery
    reader.Byte();     // replace_if_present_flag
    const int dataCoding = reader.Byte();
    reader.Byte();  // sm_default_msg_id
    const int length = reader.Byte();
    const std::string_view message = ShortMessage(reader, length);

    DeliverSm deliver;
    deliver.sender = Address(source, sourceTon);
    deliver.receiver = Address(destination, destTon);
    if (dataCoding == kDataCodingUcs2) {
        deliver.text = "_UCS2_" + std::string(message);
    } else {
        deliver.text = MessageText(message);
        deliver.receipt = IsReceipt(deliver.text, deliver.reference);
    }
    return deliver;
}

bool IsReceipt(std::string_view text, std::string& reference) {
    if (!text.starts_with("id:") || text.find("dlvrd:") == std::string_view::npos)
        return false;
    const std::string_view id = text.substr(3);
    reference = std::string(id.substr(0, id.find(' ')));
    return true;
}

}  // namespace nimbra::smpp
