// Any bytes read as an INI file (language files, window files) parse without fault; the text
// written back parses to the same text, and a value written is read back as written.

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "inifile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    nimbra::IniFile file = nimbra::IniFile::Parse(input);
    const std::string text = file.Text();
    if (nimbra::IniFile::Parse(text).Text() != text)
        std::abort();

    // The first line as "section=key" names: a value written there is read back.
    const std::string_view firstLine = input.substr(0, input.find_first_of("\r\n"));
    const std::size_t split = firstLine.find('=');
    if (split == std::string_view::npos)
        return 0;
    const std::string section(firstLine.substr(0, split));
    const std::string key(firstLine.substr(split + 1));
    const auto plainName = [](const std::string& name) {
        if (name.empty())
            return false;
        for (const char c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_')
                return false;
        }
        return true;
    };
    if (!plainName(section) || !plainName(key))
        return 0;
    file.Write(section, key, "value");
    const std::optional<std::string> value = nimbra::IniFile::Parse(file.Text()).Read(section, key);
    if (!value || *value != "value")
        std::abort();
    return 0;
}
