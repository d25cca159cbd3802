// Any byte string read as a PDU (in its hexadecimal form) goes through every reader without
// fault, a deliver_sm's fields never hold more than the body, and any text builds submits
// of whole short messages.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "pducoder_septets.h"
#include "smppincoming.h"
#include "unSmppCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbra::smpp;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string hex = nimbra::pdu::HexOfBytes(bytes);

    const PduParts parts = SplitHeader(hex);
    ReadBindResp(hex);
    ReadSubmitResp(hex);
    for (const DeliverSm& deliver : {ReadDeliverSm(parts.body), ReadDataSm(parts.body)}) {
        if (deliver.sender.size() > size + 1 || deliver.receiver.size() > size + 1 ||
            deliver.message.size() > size)
            std::abort();
        const UserData userData = SplitUserData(deliver);
        if (userData.octets.size() > deliver.message.size())
            std::abort();
        for (Alphabet alphabet : {Alphabet::Gsm, Alphabet::Latin1, Alphabet::CodePage}) {
            const std::string text = DecodeText(userData.octets, deliver.dataCoding, alphabet);
            if (text.size() > 6 + 5 * userData.octets.size())
                std::abort();
            const std::optional<Receipt> receipt = ReadReceipt(deliver, text);
            if (receipt && receipt->id.size() > size && receipt->id.size() > text.size())
                std::abort();
        }
    }
    SubmitOptions options;
    options.alphabet = size % 3 == 0   ? Alphabet::Gsm
                       : size % 3 == 1 ? Alphabet::Latin1
                                       : Alphabet::CodePage;
    options.longMessages = size % 2 == 0 ? LongMessages::Header : LongMessages::Sar;
    const Submits submits = BuildSubmits(bytes.substr(0, size / 3), "+3620", bytes, options, 7);
    for (const std::string& body : submits.bodies) {
        if (body.size() % 2 != 0 || !nimbra::pdu::IsUpperHex(body))
            std::abort();
    }
    return 0;
}
