#include "inifile.h"

#include <utility>

#include "atomicfile.h"
#include "unStrings.h"

namespace nimbra {
namespace {

unsigned char LowerAscii(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}

std::string_view TrimSpaces(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

IniFile IniFile::Parse(std::string_view text) {
    IniFile ini;
    std::vector<Line>* target = &ini.preamble_;
    for (const std::string_view line : TextLines(text)) {
        const std::string_view trimmed = TrimSpaces(line);
        if (trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']') {
            ini.sections_.push_back({std::string(trimmed.substr(1, trimmed.size() - 2)), {}});
            target = &ini.sections_.back().lines;
            continue;
        }
        const std::size_t eq = line.find('=');
        const std::string_view key =
            eq == std::string_view::npos ? "" : TrimSpaces(line.substr(0, eq));
        if (key.empty() || key.front() == ';')
            target->push_back({"", std::string(line)});
        else
            target->push_back({std::string(key), std::string(line.substr(eq + 1))});
    }
    return ini;
}

std::string IniFile::Text() const {
    std::string out;
    const auto writeLines = [&out](const std::vector<Line>& lines) {
        for (const Line& line : lines) {
            if (!line.key.empty())
                out.append(line.key).append("=");
            out.append(line.text).append("\r\n");
        }
    };
    writeLines(preamble_);
    for (const Section& section : sections_) {
        out.append("[").append(section.name).append("]\r\n");
        writeLines(section.lines);
    }
    return out;
}

bool IniFile::Load(const std::filesystem::path& path) {
    *this = IniFile();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return !ec;
    std::string text;
    if (!ReadWholeFile(path.string(), text))
        return false;
    *this = Parse(text);
    return true;
}

bool IniFile::Save(const std::filesystem::path& path) const {
    return WriteFileAtomically(path.string(), Text());
}

const IniFile::Section* IniFile::Find(std::string_view name) const {
    for (const Section& section : sections_)
        if (SameName(section.name, name))
            return &section;
    return nullptr;
}

IniFile::Section* IniFile::Find(std::string_view name) {
    return const_cast<Section*>(std::as_const(*this).Find(name));
}

std::optional<std::string> IniFile::Read(std::string_view section, std::string_view key) const {
    if (const Section* found = Find(section))
        for (const Line& line : found->lines)
            if (!line.key.empty() && SameName(line.key, key))
                return line.text;
    return std::nullopt;
}

void IniFile::Write(std::string_view section, std::string_view key, std::string_view value) {
    // A value cannot span lines in this format.
    std::string flat(value);
    for (char& c : flat)
        if (c == '\r' || c == '\n')
            c = ' ';
    Section* target = Find(section);
    if (!target) {
        sections_.push_back({std::string(section), {}});
        target = &sections_.back();
    }
    for (Line& line : target->lines) {
        if (!line.key.empty() && SameName(line.key, key)) {
            line.text = std::move(flat);
            return;
        }
    }
    target->lines.push_back({std::string(key), std::move(flat)});
}

}  // namespace nimbra
