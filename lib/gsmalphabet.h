#pragma once

// The GSM default alphabet and its extension table, as message centres and handsets use them:
// one septet value (0-127) per character, with the extension characters written as the escape
// septet 0x1B followed by their extension code. "Unpacked" means one septet per byte, as
// SMPP's data_coding 0 and CIMD2's user data carry them, not the 7-bit packing of SMS PDUs.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace nimbra::gsm7 {

inline constexpr unsigned char kEscape = 0x1B;

// The septet (or escape + extension septet, as two bytes) for one UTF-16 unit; empty when
// the alphabet has no such character.
std::string SeptetsOf(char16_t c);

// The text as unpacked septets; nullopt when any character is outside the alphabet.
std::optional<std::string> EncodeUnpacked(std::u16string_view text);

// Unpacked septets as text. A byte above 127 is read by its low seven bits; an escape
// followed by a code the extension table does not define stands for the default-table
// character of that code, and an escape at the very end stands for nothing.
std::u16string DecodeUnpacked(std::string_view septets);

// Whether every character of the text is in the alphabet.
bool CanEncode(std::u16string_view text);

// How many septets the text takes (extension characters count two); characters outside the
// alphabet count one each.
std::size_t SeptetLength(std::u16string_view text);

}  // namespace nimbra::gsm7
