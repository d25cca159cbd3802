#include "commandargs.h"

#include <cctype>

#include "codepage.h"

namespace simkit {

std::optional<QByteArray> HexBytes(const QString& text) {
    QByteArray hex;
    for (const QChar c : text) {
        if (c.isSpace())
            continue;
        const char digit = c.toLatin1();
        if (!std::isxdigit(static_cast<unsigned char>(digit)))
            return std::nullopt;
        hex += digit;
    }
    if (hex.isEmpty() || hex.size() % 2 != 0)
        return std::nullopt;
    return QByteArray::fromHex(hex);
}

std::string MessageBytes(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text) {
        switch (c.unicode()) {
            case u'\u0150':
                bytes += '\xD5';
                break;
            case u'\u0151':
                bytes += '\xF5';
                break;
            case u'\u0170':
                bytes += '\xDB';
                break;
            case u'\u0171':
                bytes += '\xFB';
                break;
            default:
                bytes += nimbra::WideCharToAnsi(c.unicode());
        }
    }
    return bytes;
}

}  // namespace simkit
