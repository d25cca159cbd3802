#include "cimdcharset.h"

#include <array>

#include "codepage.h"
#include "gsmalphabet.h"

namespace nimbra::cimd {
namespace {

constexpr char kMark = '_';
constexpr std::string_view kExtension = "_XX";

// The two characters after "_" for the septets of the default table written that way;
// empty for the septets that stand for themselves.
constexpr std::array<std::string_view, 128> kCombinations = [] {
    std::array<std::string_view, 128> table{};
    table[0x00] = "Oa";   // @
    table[0x01] = "L-";   // pound
    table[0x03] = "Y-";   // yen
    table[0x04] = "e`";   // e grave
    table[0x05] = "e'";   // e acute
    table[0x06] = "u`";   // u grave
    table[0x07] = "i`";   // i grave
    table[0x08] = "o`";   // o grave
    table[0x09] = "C,";   // C cedilla
    table[0x0B] = "O/";   // O stroke
    table[0x0C] = "o/";   // o stroke
    table[0x0E] = "A*";   // A ring
    table[0x0F] = "a*";   // a ring
    table[0x10] = "gd";   // Delta
    table[0x11] = "--";   // _
    table[0x12] = "gf";   // Phi
    table[0x13] = "gg";   // Gamma
    table[0x14] = "gl";   // Lambda
    table[0x15] = "go";   // Omega
    table[0x16] = "gp";   // Pi
    table[0x17] = "gi";   // Psi
    table[0x18] = "gs";   // Sigma
    table[0x19] = "gt";   // Theta
    table[0x1A] = "gx";   // Xi
    table[0x1C] = "AE";   // AE
    table[0x1D] = "ae";   // ae
    table[0x1E] = "ss";   // sharp s
    table[0x1F] = "E'";   // E acute
    table[0x24] = "ox";   // currency sign
    table[0x40] = "!!";   // inverted exclamation mark
    table[0x5B] = "A\"";  // A diaeresis
    table[0x5C] = "O\"";  // O diaeresis
    table[0x5D] = "N~";   // N tilde
    table[0x5E] = "U\"";  // U diaeresis
    table[0x5F] = "so";   // section sign
    table[0x60] = "??";   // inverted question mark
    table[0x7B] = "a\"";  // a diaeresis
    table[0x7C] = "o\"";  // o diaeresis
    table[0x7D] = "n~";   // n tilde
    table[0x7E] = "u\"";  // u diaeresis
    table[0x7F] = "a`";   // a grave
    return table;
}();

// The writing of one septet of the default table.
std::string SeptetWriting(unsigned char septet) {
    if (!kCombinations[septet].empty())
        return kMark + std::string(kCombinations[septet]);
    // Every septet without a combination is an ASCII character, or LF or CR.
    const std::u16string character =
        gsm7::DecodeUnpacked(std::string(1, static_cast<char>(septet)));
    return std::string(1, static_cast<char>(character.at(0)));
}

// The septet of the combination "_" + two characters at the start of data; -1 when data
// does not start with one.
int CombinationAt(std::string_view data) {
    if (data.size() < 3 || data[0] != kMark)
        return -1;
    const std::string_view pair = data.substr(1, 2);
    for (std::size_t septet = 0; septet < kCombinations.size(); ++septet) {
        if (!kCombinations[septet].empty() && kCombinations[septet] == pair)
            return static_cast<int>(septet);
    }
    return -1;
}

// The code written after "_XX": a combination, or a character of the default table that
// stands for itself. Sets length to the bytes its writing takes; -1 when there is none.
int ExtensionCodeAt(std::string_view data, std::size_t& length) {
    if (const int combined = CombinationAt(data); combined >= 0) {
        length = 3;
        return combined;
    }
    if (data.empty() || static_cast<unsigned char>(data[0]) >= 0x80)
        return -1;
    const std::string septets = gsm7::SeptetsOf(static_cast<unsigned char>(data[0]));
    if (septets.size() != 1)
        return -1;
    const auto septet = static_cast<unsigned char>(septets[0]);
    if (!kCombinations[septet].empty())  // "@" and "_" are always written as combinations
        return -1;
    length = 1;
    return septet;
}

}  // namespace

std::optional<std::string> ToCombinations(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char16_t c : text) {
        const std::string septets = gsm7::SeptetsOf(c);
        if (septets.empty())
            return std::nullopt;
        if (septets.size() == 2)
            out += std::string(kExtension) + SeptetWriting(static_cast<unsigned char>(septets[1]));
        else
            out += SeptetWriting(static_cast<unsigned char>(septets[0]));
    }
    return out;
}

std::u16string FromCombinations(std::string_view userData) {
    std::u16string out;
    out.reserve(userData.size());
    while (!userData.empty()) {
        std::size_t length = 0;
        if (userData.starts_with(kExtension)) {
            const int code = ExtensionCodeAt(userData.substr(kExtension.size()), length);
            if (code >= 0) {
                out += gsm7::DecodeUnpacked(
                    std::string{static_cast<char>(gsm7::kEscape), static_cast<char>(code)});
                userData.remove_prefix(kExtension.size() + length);
                continue;
            }
        }
        if (const int combined = CombinationAt(userData); combined >= 0) {
            out += gsm7::DecodeUnpacked(std::string(1, static_cast<char>(combined)));
            userData.remove_prefix(3);
            continue;
        }
        out += AnsiCharToWide(static_cast<unsigned char>(userData[0]));
        userData.remove_prefix(1);
    }
    return out;
}

}  // namespace nimbra::cimd
