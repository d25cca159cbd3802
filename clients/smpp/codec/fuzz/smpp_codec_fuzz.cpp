// Any byte string read as a PDU (in its hexadecimal form) goes through every reader without
// fault, and a deliver_sm's fields never hold more than the body.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "pducoder_septets.h"
#include "unSmppCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbra::smpp;
    const std::string hex =
        nimbra::pdu::HexOfBytes(std::string_view(reinterpret_cast<const char*>(data), size));

    const PduParts parts = SplitHeader(hex);
    ReadBindResp(hex);
    ReadSubmitResp(hex);
    const DeliverSm deliver = ReadDeliverSm(parts.body);
    if (deliver.sender.size() > size + 1 || deliver.receiver.size() > size + 1 ||
        deliver.text.size() > 2 * size + 6)
        std::abort();
    std::string reference;
    if (IsReceipt(deliver.text, reference) && reference.size() > deliver.text.size())
        std::abort();
    BuildSubmitBody(std::string_view(reinterpret_cast<const char*>(data), size / 3), "+3620",
                    std::string_view(reinterpret_cast<const char*>(data), size), true, 0);
    return 0;
}
