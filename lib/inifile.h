#pragma once

// A small INI text file: "[section]" lines followed by "key=value" lines, CR LF line ends,
// code-page text. Section and key names compare without regard to ASCII case; a line is
// split at its first "=". Lines that are neither are kept as they are, so rewriting a file
// loses nothing a person wrote into it.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbra {

class IniFile {
public:
    // Reads the file; a missing file gives an empty one. False when it exists but cannot be
    // read (the object is then empty).
    bool Load(const std::filesystem::path& path);
    // Writes through a temporary file renamed over the old one; false on failure.
    bool Save(const std::filesystem::path& path) const;

    static IniFile Parse(std::string_view text);
    std::string Text() const;

    std::optional<std::string> Read(std::string_view section, std::string_view key) const;
    void Write(std::string_view section, std::string_view key, std::string_view value);

private:
    struct Line {
        std::string key;   // empty for a line kept as it is
        std::string text;  // the value, or the whole kept line
    };
    struct Section {
        std::string name;
        std::vector<Line> lines;
    };

    const Section* Find(std::string_view name) const;
    Section* Find(std::string_view name);

    std::vector<Line> preamble_;
    std::vector<Section> sections_;
};

// "a", "A" -> true: the comparison of section and key names.
bool SameName(std::string_view a, std::string_view b);

}  // namespace nimbra
