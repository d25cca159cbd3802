#pragma once

// The four conversion tables between the host code page (Windows-1252) and the GSM default
// alphabet. Each has 257 entries (index 256 is never a character) and is the identity except
// for the pairs it lists; they are built once, at compile time.

#include <array>
#include <cstdint>

namespace nimbra {

inline constexpr std::size_t kPduTableSize = 257;
using PduTable = std::array<std::uint16_t, kPduTableSize>;

struct PduTables {
    PduTable gsmToAnsi;  // GSM default alphabet code -> host character
    PduTable escToAnsi;  // extension code after ESC -> host character
    PduTable ansiToEsc;  // host character -> extension code (the reverse of escToAnsi)
    PduTable ansiToGsm;  // host character -> GSM code, accents folded
};

const PduTables& PduConversionTables();

}  // namespace nimbra
