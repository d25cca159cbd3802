#include "atlines.h"

#include <array>
#include <utility>

namespace nimbra::handset {

namespace {

// (code page 437 byte, the system's code-page byte) of the accented letters.
constexpr std::array<std::pair<unsigned char, unsigned char>, 8> kDosLetters = {{
    {129, 0xFC},  // ü
    {130, 0xE9},  // é
    {133, 0xE1},  // á
    {143, 0xC1},  // Á
    {148, 0xF6},  // ö
    {149, 0xF3},  // ó
    {151, 0xFA},  // ú
    {153, 0xD6},  // Ö
}};

char FromDos(char c) {
    for (const auto& [dos, ansi] : kDosLetters) {
        if (static_cast<unsigned char>(c) == dos)
            return static_cast<char>(ansi);
    }
    return c;
}

char ToDos(char c) {
    for (const auto& [dos, ansi] : kDosLetters) {
        if (static_cast<unsigned char>(c) == ansi)
            return static_cast<char>(dos);
    }
    return c;
}

void OpenLine(std::vector<std::string>& lines) {
    if (lines.size() >= kMaxLines)
        lines.erase(lines.begin());
    lines.emplace_back();
}

}  // namespace

void AppendToLines(std::vector<std::string>& lines, std::string_view bytes) {
    for (const char c : bytes) {
        if (lines.empty())
            lines.emplace_back();
        std::string& current = lines.back();
        switch (c) {
            case '\b':
                if (!current.empty())
                    current.pop_back();
                break;
            case '\n':
                break;
            case '\r':
                OpenLine(lines);
                break;
            default:
                if (current.size() < kMaxLineLength)
                    current.push_back(FromDos(c));
                break;
        }
    }
}

std::string ToDeviceText(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = ToDos(c);
    return out;
}

std::vector<std::string> CommandPieces(std::string_view command, std::size_t piece) {
    std::vector<std::string> pieces;
    while (command.size() > piece) {
        pieces.emplace_back(command.substr(0, piece));
        command.remove_prefix(piece);
    }
    pieces.emplace_back(command);
    return pieces;
}

}  // namespace nimbra::handset
