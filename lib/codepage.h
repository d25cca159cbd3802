#pragma once

// Conversion between the system's single-byte code page (Windows-1252) and Unicode.
// The mapping is one to one: the five bytes that Windows-1252 leaves undefined map to the
// C1 control characters of the same value, so a byte string never loses a byte on its way
// through Unicode and back. Characters outside the code page become "?".

#include <string>
#include <string_view>

namespace nimbra {

// The Unicode code point that stands for one code-page byte.
char16_t AnsiCharToWide(unsigned char c);
// The code-page byte of one UTF-16 code unit, or '?' when the code page has no such character.
char WideCharToAnsi(char16_t w);

std::u16string AnsiToWide(std::string_view s);
std::string WideToAnsi(std::u16string_view w);

std::string AnsiToUtf8(std::string_view s);
// Invalid UTF-8 sequences and characters the code page cannot show become one "?" each.
std::string Utf8ToAnsi(std::string_view s);
// Whether the code page has a byte for every character of w.
bool AnsiCanHold(std::u16string_view w);

// UTF-8 to UTF-16; a byte that starts no valid sequence is read as a code-page byte, so text
// saved in the code page comes through as it was typed.
std::u16string Utf8ToWide(std::string_view s);
// UTF-16 to UTF-8; a surrogate without its partner becomes U+FFFD.
std::string WideToUtf8(std::u16string_view w);

// s with the code page's capital letters in lower case: A-Z, the accented capitals
// 0xC0-0xDE (not the multiplication sign 0xD7) and the capitals at 0x8A, 0x8C, 0x8E and 0x9F.
std::string LowerAnsi(std::string_view s);

}  // namespace nimbra
