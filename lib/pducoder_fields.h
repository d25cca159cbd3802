#pragma once

// Fields shared by the PDU layouts, read and written the same way in every direction: address
// fields, the fill bits behind a user data header, and the concatenation element in a header.
// Positions count hexadecimal characters.

#include <cstddef>
#include <string>
#include <string_view>

#include "pducoder_tables.h"

namespace nimbra::pdu {

// An originator, destination or recipient address field: digit count, type of address,
// semi-octets.
struct AddressField {
    int length = 0;
    int type = 0;
    std::string_view digits;
    std::size_t end = 0;  // position after the field
};

// False when the count or the type is missing. The digits may run past the end of the PDU;
// the caller checks the fields after them, which lie beyond end.
bool ReadAddressField(std::string_view tpdu, std::size_t pos, AddressField& field);

// Semi-octet digits swapped back ("+" in front for an international number or type 0), or
// 7-bit text for an alphanumeric address.
std::string DecodeAddress(const AddressField& field, const PduTables& tables, bool convert);

// Fill bits that align the septets after a header of headerOctets to a septet boundary.
unsigned FillBits(std::size_t headerOctets);
// Septets taken by a header of headerOctets, fill bits included.
long HeaderSeptets(std::size_t headerOctets);

// The concatenation element (00: 8-bit reference, 08: 16-bit reference) of a header.
struct Concatenation {
    std::string_view stem;  // the element's identifier, length and reference bytes
    int total = 0;
    int part = 0;
};

enum class HeaderScan { kMalformed, kPlain, kConcatenated };

// Looks for the concatenation element among the header's elements (the header without its
// length octet); an element running past the header makes it malformed.
HeaderScan FindConcatenation(std::string_view elements, Concatenation& found);

}  // namespace nimbra::pdu
