// Reading a deliver_sm or data_sm: its fields in order and the optional parameters the driver
// uses.
#include "pducoder_septets.h"
#include "unSmppCodec.h"

namespace nimbra::smpp {

namespace {

using pdu::BytesOfHex;
using pdu::OctetAt;

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

constexpr int kTagReceiptedMessageId = 0x001E;
constexpr int kTagSarReference = 0x020C;
constexpr int kTagSarTotal = 0x020E;
constexpr int kTagSarIndex = 0x020F;
constexpr int kTagMessagePayload = 0x0424;
constexpr int kTagMessageState = 0x0427;

std::string Address(std::string_view hex, int ton) {
    std::string address = CStringText(hex);
    return ton == 0x01 ? "+" + address : address;
}

int Number(std::string_view hex) {
    int value = 0;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        value = value * 256 + std::max(OctetAt(hex, i), 0);
    return value;
}

// The optional parameters that follow; one whose length runs past the body ends them.
void ReadParameters(FieldReader& reader, DeliverSm& deliver, std::string_view& payload) {
    while (reader.RemainingOctets() >= 4) {
        const int tag = reader.Byte() * 256 + reader.Byte();
        const int length = reader.Byte() * 256 + reader.Byte();
        if (static_cast<std::size_t>(length) > reader.RemainingOctets())
            return;
        const std::string_view value = reader.Octets(static_cast<std::size_t>(length));
        switch (tag) {
            case kTagMessagePayload:
                payload = value;
                break;
            case kTagReceiptedMessageId:
                deliver.receiptedId = CStringText(value);
                break;
            case kTagMessageState:
                deliver.messageState = length == 1 ? Number(value) : -1;
                break;
            case kTagSarReference:
                deliver.sarReference = length == 2 ? Number(value) : -1;
                break;
            case kTagSarTotal:
                deliver.sarTotal = length == 1 ? Number(value) : 0;
                break;
            case kTagSarIndex:
                deliver.sarIndex = length == 1 ? Number(value) : 0;
                break;
            default:
                break;
        }
    }
}

// The short message by its length when the body holds it all; with a length the body cannot
// hold, up to its first zero byte.
std::string_view ShortMessage(FieldReader& reader, int length) {
    if (length >= 0 && static_cast<std::size_t>(length) <= reader.RemainingOctets())
        return reader.Octets(static_cast<std::size_t>(length));
    return reader.CString();
}

// source and destination: ton, npi, address each.
void ReadAddresses(FieldReader& reader, DeliverSm& deliver) {
    reader.CString();  // service_type
    const int sourceTon = reader.Byte();
    reader.Byte();  // source_addr_npi
    deliver.sender = Address(reader.CString(), sourceTon);
    const int destTon = reader.Byte();
    reader.Byte();  // dest_addr_npi
    deliver.receiver = Address(reader.CString(), destTon);
}

}  // namespace

DeliverSm ReadDeliverSm(std::string_view bodyHex) {
    FieldReader reader(bodyHex);
    DeliverSm deliver;
    ReadAddresses(reader, deliver);
    deliver.esmClass = std::max(reader.Byte(), 0);
    reader.Byte();     // protocol_id
    reader.Byte();     // priority_flag
    reader.CString();  // schedule_delivery_time
    reader.CString();  // validity_period
    reader.Byte();     // registered_delivery
    reader.Byte();     // replace_if_present_flag
    deliver.dataCoding = std::max(reader.Byte(), 0);
    reader.Byte();  // sm_default_msg_id
    const int length = reader.Byte();
    const std::string_view message = ShortMessage(reader, length);
    std::string_view payload;
    ReadParameters(reader, deliver, payload);
    deliver.message = BytesOfHex(message.empty() ? payload : message);
    return deliver;
}

DeliverSm ReadDataSm(std::string_view bodyHex) {
    FieldReader reader(bodyHex);
    DeliverSm deliver;
    ReadAddresses(reader, deliver);
    deliver.esmClass = std::max(reader.Byte(), 0);
    reader.Byte();  // registered_delivery
    deliver.dataCoding = std::max(reader.Byte(), 0);
    std::string_view payload;
    ReadParameters(reader, deliver, payload);
    deliver.message = BytesOfHex(payload);
    return deliver;
}

}  // namespace nimbra::smpp
