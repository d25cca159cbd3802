#include "visible.h"

namespace modemsim {
namespace {

void AppendEscaped(std::string& out, unsigned char c) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    switch (c) {
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += "\\x";
            out.push_back(kDigits[c >> 4]);
            out.push_back(kDigits[c & 0xF]);
    }
}

std::string EscapedWhere(std::string_view bytes, bool keepHigh) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        const bool plain = (u >= 0x20 && u < 0x7F && u != '\\') || (keepHigh && u >= 0x80);
        if (plain)
            out.push_back(c);
        else
            AppendEscaped(out, u);
    }
    return out;
}

}  // namespace

std::string Escaped(std::string_view bytes) {
    return EscapedWhere(bytes, false);
}

std::string ControlsEscaped(std::string_view text) {
    return EscapedWhere(text, true);
}

}  // namespace modemsim
