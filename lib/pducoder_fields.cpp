#include "pducoder_fields.h"

#include "pducoder_septets.h"

namespace nimbra::pdu {

bool ReadAddressField(std::string_view tpdu, std::size_t pos, AddressField& field) {
    field.length = OctetAt(tpdu, pos);
    field.type = OctetAt(tpdu, pos + 2);
    if (field.length < 0 || field.type < 0)
        return false;
    const auto chars = static_cast<std::size_t>(field.length + (field.length & 1));
    field.digits = tpdu.substr(pos + 4, chars);
    field.end = pos + 4 + chars;
    return true;
}

std::string DecodeAddress(const AddressField& field, const PduTables& tables, bool convert) {
    std::string address;
    if ((field.type & 0x70) == 0x50) {
        SeptetReader reader(field.digits);
        SeptetDecoder decoder(tables, convert);
        DecodeSeptets(reader, field.length * 4L / 7, decoder, address);
        return address;
    }
    address.reserve(field.digits.size() + 1);
    if (field.type == 0x91 || field.type == 0)
        address.push_back('+');
    for (std::size_t i = 0; i + 1 < field.digits.size(); i += 2) {
        address.push_back(field.digits[i + 1]);
        address.push_back(field.digits[i]);
    }
    if (!address.empty() && address.back() == 'F')
        address.pop_back();
    return address;
}

unsigned FillBits(std::size_t headerOctets) {
    return static_cast<unsigned>((7 - headerOctets * 8 % 7) % 7);
}

long HeaderSeptets(std::size_t headerOctets) {
    return static_cast<long>((headerOctets * 8 + FillBits(headerOctets)) / 7);
}

HeaderScan FindConcatenation(std::string_view elements, Concatenation& found) {
    bool any = false;
    for (std::size_t i = 0; i < elements.size();) {
        const int id = OctetAt(elements, i);
        const int length = OctetAt(elements, i + 2);
        if (id < 0 || length < 0)
            return HeaderScan::kMalformed;
        const std::size_t end = i + 4 + 2 * static_cast<std::size_t>(length);
        if (end > elements.size())
            return HeaderScan::kMalformed;
        if (!any && ((id == 0x00 && length == 3) || (id == 0x08 && length == 4))) {
            found.stem = elements.substr(i, end - i - 4);
            found.total = OctetAt(elements, end - 4);
            found.part = OctetAt(elements, end - 2);
            any = true;
        }
        i = end;
    }
    return any ? HeaderScan::kConcatenated : HeaderScan::kPlain;
}

}  // namespace nimbra::pdu
