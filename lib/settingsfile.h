#pragma once

// The text of a settings store file, in the INI notation the store has always written (and
// that QSettings' IniFormat reads): "[section]" lines; "name=value" lines whose name carries
// the levels below the section separated by "\" and writes characters other than letters,
// digits, "_", "-" and "." as "%XX" or "%UXXXX"; ";" comment lines; UTF-8 text.
//
// A value line typed by hand reads as exactly the text after its "=" unless that text begins
// with '"' or '@' or holds a backslash. Such values are read with the notation's escape rules:
// '"' quotes (blanks outside quotes are dropped at both ends), "\\", "\"", "\n", "\x41" and
// the like are escapes, a backslash before any other character is dropped, ";" outside quotes
// ends the value, "," outside quotes separates list items (read back joined with ", "), "@@"
// stands for a leading "@". Every value written here reads back unchanged by both readings.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbra {

struct SettingsLine {
    std::u16string key;    // the levels of the value's key, "/" between them
    std::string notation;  // the value as the file has it after "="
};

struct SettingsFileContent {
    std::vector<SettingsLine> lines;
    // A line is neither a section, a comment nor a value: rewriting the file would lose it.
    bool damaged = false;
};

// Names of one section that appear twice are both listed, in file order.
SettingsFileContent ParseSettingsFile(std::string_view text);
// The file of these lines: one section per first level of the keys, in order of appearance.
std::string SettingsFileText(const std::vector<SettingsLine>& lines);

// The text a value notation stands for; nullopt for a value of another kind (a rectangle, a
// byte array, an invalid value), which the store keeps as it is but does not read as text.
std::optional<std::u16string> SettingsValueText(std::string_view notation);
// The notation of a text value, as QSettings' IniFormat writes it.
std::string SettingsValueNotation(std::u16string_view text);

}  // namespace nimbra
