#pragma once
// Text in the user data of standard CIMD2 packets: the GSM default alphabet written with
// printable ASCII. Letters, digits and most punctuation stand for themselves; the other
// characters of the alphabet are written as "_" and two characters ("_Oa" for "@", "_a\""
// for "a" with diaeresis, "_gd" for a capital delta, "_--" for "_"), and the characters of
// the extension table as "_XX" followed by the writing of the character their code has in
// the default table ("_XX<" for "[", "_XXe" for the euro sign).

#include <optional>
#include <string>
#include <string_view>

namespace nimbra::cimd {

// The text in character combinations; nullopt when a character is outside the alphabet.
std::optional<std::string> ToCombinations(std::u16string_view text);

// User data back to text. Combinations that mean nothing, and bytes that are no printable
// ASCII (message centres on 8-bit links send Latin-1 letters as they are), are taken as the
// characters they are.
std::u16string FromCombinations(std::string_view userData);

}  // namespace nimbra::cimd
