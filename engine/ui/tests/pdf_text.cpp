#include "pdf_text.h"

#include <map>
#include <regex>
#include <vector>

#include <zlib.h>

namespace nimbra::testing_support {
namespace {

// The contents of every stream of the file, inflated where they are compressed.
std::vector<std::string> Streams(const std::string& bytes) {
    std::vector<std::string> streams;
    std::size_t at = 0;
    while ((at = bytes.find("stream", at)) != std::string::npos) {
        std::size_t begin = at + 6;
        if (bytes.compare(at - 3, 3, "end") == 0) {
            at = begin;
            continue;
        }
        if (bytes.compare(begin, 2, "\r\n") == 0)
            begin += 2;
        else if (bytes[begin] == '\n')
            begin += 1;
        const std::size_t end = bytes.find("endstream", begin);
        if (end == std::string::npos)
            break;
        const std::string raw = bytes.substr(begin, end - begin);
        std::string inflated(raw.size() * 20 + 1024, '\0');
        uLongf size = static_cast<uLongf>(inflated.size());
        if (uncompress(reinterpret_cast<Bytef*>(inflated.data()), &size,
                       reinterpret_cast<const Bytef*>(raw.data()),
                       static_cast<uLong>(raw.size())) == Z_OK) {
            inflated.resize(size);
            streams.push_back(inflated);
        } else {
            streams.push_back(raw);
        }
        at = end + 9;
    }
    return streams;
}

void AppendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

bool LooksLikePdf(const std::string& bytes) {
    return bytes.starts_with("%PDF-") && bytes.find("/Type /Page") != std::string::npos &&
           bytes.find("%%EOF") != std::string::npos;
}

std::string PdfText(const std::string& bytes) {
    const std::vector<std::string> streams = Streams(bytes);
    // Glyph number to character, from every ToUnicode map (one font is enough here).
    std::map<unsigned, unsigned> glyphs;
    const std::regex pair(R"(<([0-9A-Fa-f]+)>\s*<([0-9A-Fa-f]+)>)");
    // "<first> <last> <code>" or "<first> <last> [<code> <code> ...]".
    const std::regex range(R"(<([0-9A-Fa-f]+)>\s*<([0-9A-Fa-f]+)>\s*(\[[^\]]*\]|<[0-9A-Fa-f]+>))");
    const std::regex code(R"(<([0-9A-Fa-f]+)>)");
    for (const std::string& stream : streams) {
        if (stream.find("beginbfchar") == std::string::npos &&
            stream.find("beginbfrange") == std::string::npos)
            continue;
        for (std::size_t at = 0; (at = stream.find("beginbfrange", at)) != std::string::npos;) {
            const std::size_t end = stream.find("endbfrange", at);
            const std::string block = stream.substr(at, end - at);
            for (std::sregex_iterator it(block.begin(), block.end(), range), last; it != last;
                 ++it) {
                const unsigned first = std::stoul((*it)[1], nullptr, 16);
                const unsigned final = std::stoul((*it)[2], nullptr, 16);
                const std::string target = (*it)[3];
                if (target.front() == '[') {
                    unsigned g = first;
                    for (std::sregex_iterator c(target.begin(), target.end(), code), none;
                         c != none && g <= final; ++c, ++g)
                        glyphs[g] = std::stoul((*c)[1], nullptr, 16);
                } else {
                    const unsigned start = std::stoul(target.substr(1), nullptr, 16);
                    for (unsigned g = first; g <= final; ++g)
                        glyphs[g] = start + (g - first);
                }
            }
            at = end;
        }
        for (std::size_t at = 0; (at = stream.find("beginbfchar", at)) != std::string::npos;) {
            const std::size_t end = stream.find("endbfchar", at);
            const std::string block = stream.substr(at, end - at);
            for (std::sregex_iterator it(block.begin(), block.end(), pair), last; it != last; ++it)
                glyphs[std::stoul((*it)[1], nullptr, 16)] = std::stoul((*it)[2], nullptr, 16);
            at = end;
        }
    }
    if (glyphs.empty())
        return {};
    // Hex strings of glyph numbers (four digits each) shown with Tj or TJ.
    std::string text;
    const std::regex& shown = code;
    for (const std::string& stream : streams) {
        if (stream.find("Tj") == std::string::npos && stream.find("TJ") == std::string::npos)
            continue;
        for (std::sregex_iterator it(stream.begin(), stream.end(), shown), last; it != last; ++it) {
            const std::string hex = (*it)[1];
            for (std::size_t i = 0; i + 4 <= hex.size(); i += 4) {
                const auto found = glyphs.find(std::stoul(hex.substr(i, 4), nullptr, 16));
                // The writer maps the space glyph to a tab; both read as a space.
                if (found != glyphs.end())
                    AppendUtf8(text, found->second == '\t' ? ' ' : found->second);
            }
        }
    }
    return text;
}

}  // namespace nimbra::testing_support
