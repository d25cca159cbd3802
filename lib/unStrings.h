#pragma once

// Byte-string and phone-number routines shared by every program. Strings are bytes in the
// system's single-byte code page unless a routine says "wide" (UTF-16). Positions count
// characters; a negative count is treated as zero, a count beyond the end takes the whole text.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace nimbra {

std::string LeftChars(std::string_view s, long n);
std::string RightChars(std::string_view s, long n);
std::string DropChars(std::string_view s, long n);
// s with "0" in front until it is width long; a longer s comes back unchanged.
std::string PadZeros(std::string_view s, long width);

// Upper-case hexadecimal without leading zeros; "0" for 0, empty for a negative n.
std::string IntToHexText(long long n);
std::string ByteToHex2(long long n);
// No validation: a byte above "@" gives c - 55, any other c - 48 (lower case reads wrong).
int HexDigitValue(char c);
// Most significant digit first, through HexDigitValue; wraps like a 32-bit integer.
int HexTextToInt(std::string_view s);

// Every UTF-16 code unit as four upper-case hexadecimal digits, and the inverse (whole groups
// of four only; a shorter final group is ignored).
std::string WideToHex(std::u16string_view w);
std::u16string HexToWide(std::string_view s);
bool HasWideChars(std::u16string_view w);
// w without CR and LF, passed through the code page: characters it cannot show become "?".
std::u16string RemoveLineBreaksWide(std::u16string_view w);

// Without leading spaces, CR, LF and NUL and without trailing spaces, CR and LF.
std::string TrimBlanks(std::string_view s);
// All characters standing between a "(" and the next ")", trimmed; s itself (trimmed) when
// it has no "(".
std::string TextInParentheses(std::string_view s);
// Only the digits; a leading "-" stays when s is longer than one character.
std::string DigitsOnly(std::string_view s);
// Canonical phone number: digits with an optional leading "+"; empty when under 3 characters.
std::string NormalizePhoneNumber(std::string_view s);
// Tolerant comparison on the last (at most 6) characters of the normalised numbers.
bool SamePhoneNumber(std::string_view a, std::string_view b);

std::string UpperAscii(std::string_view s);
// UpperAscii keeping only A-Z and 0-9: turns a caption into an identifier.
std::string UpperAlnum(std::string_view s);
// s without everything from a "<" up to and including the next ">".
std::string StripTags(std::string_view s);

// Appends to list the pieces of s between occurrences of sep (compared without regard to
// ASCII case). Empty pieces between separators are kept; the last piece only when not empty.
void SplitText(std::string_view sep, std::string_view s, std::vector<std::string>& list);
// The bytes before the first c, and the bytes after it with every further c dropped.
std::pair<std::string, std::string> SplitAtChar(std::string_view s, char c);
// Every occurrence of oldText replaced, left to right, without rescanning inserted text.
std::string ReplaceAll(std::string_view oldText, std::string_view newText, std::string_view s);
// s without the bytes below "." other than space, "+" and "-".
std::string FilterPathChars(std::string_view s);

// "\" -> "\\", CR -> "\r", LF -> "\n", and the exact inverse.
std::string EscapeLineBreaks(std::string_view s);
std::string UnescapeLineBreaks(std::string_view s);

// The lines of a text file: CR LF, LF or a lone CR ends a line, and text after the last
// line end is one more line. The views point into s.
std::vector<std::string_view> TextLines(std::string_view s);

// Strict decimal integer (optional sign, digits, within 32 bits); false on anything else.
bool ParseInt32(std::string_view s, int& value);
// The same within 64 bits.
bool ParseInt64(std::string_view s, std::int64_t& value);

}  // namespace nimbra
