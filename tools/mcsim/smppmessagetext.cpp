#include "smppmessagetext.h"

#include "codepage.h"
#include "gsmalphabet.h"

namespace mcsim::smpp {
namespace {

constexpr std::uint8_t kCodingDefault = 0x00;
constexpr std::uint8_t kCodingLatin1 = 0x03;
constexpr std::uint8_t kCodingUcs2 = 0x08;
constexpr std::size_t kSingleSeptets = 160;
constexpr std::size_t kPartSeptets = 153;
constexpr std::size_t kSingleUnits = 70;
constexpr std::size_t kPartUnits = 67;

std::u16string Utf16(std::string_view octets) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < octets.size(); i += 2)
        units.push_back(static_cast<char16_t>(static_cast<unsigned char>(octets[i]) << 8 |
                                              static_cast<unsigned char>(octets[i + 1])));
    return units;
}

QString FromUtf16(const std::u16string& text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::string BigEndian(std::u16string_view text) {
    std::string octets;
    for (char16_t c : text) {
        octets.push_back(static_cast<char>(c >> 8));
        octets.push_back(static_cast<char>(c & 0xFF));
    }
    return octets;
}

// "_UCS2_" and hex, or code-page text.
std::u16string RecordTextAsUtf16(std::string_view text) {
    constexpr std::string_view kMarker = "_UCS2_";
    if (!text.starts_with(kMarker))
        return nimbra::AnsiToWide(text);
    const QByteArray hex = QByteArray::fromRawData(
        text.data() + kMarker.size(), static_cast<qsizetype>(text.size() - kMarker.size()));
    const QByteArray octets = QByteArray::fromHex(hex);
    return Utf16(std::string_view(octets.constData(), static_cast<std::size_t>(octets.size())));
}

std::string Header(std::uint8_t reference, std::size_t total, std::size_t index) {
    return {
        5, 0, 3, static_cast<char>(reference), static_cast<char>(total), static_cast<char>(index)};
}

}  // namespace

QString DecodeText(std::string_view octets, std::uint8_t dataCoding) {
    switch (dataCoding) {
        case kCodingDefault:
            return FromUtf16(nimbra::gsm7::DecodeUnpacked(octets));
        case kCodingLatin1:
            return QString::fromLatin1(octets.data(), static_cast<qsizetype>(octets.size()));
        case kCodingUcs2:
            return FromUtf16(Utf16(octets));
        default:
            break;
    }
    return QStringLiteral("data 0x%1: %2")
        .arg(dataCoding, 2, 16, QLatin1Char('0'))
        .arg(QString::fromLatin1(
            QByteArray(octets.data(), static_cast<qsizetype>(octets.size())).toHex()));
}

UserData SplitHeader(std::string_view octets, std::uint8_t esmClass) {
    UserData data{std::string(octets), std::nullopt};
    if ((esmClass & kEsmUdhIndicator) == 0 || octets.empty())
        return data;
    const std::size_t length = static_cast<unsigned char>(octets[0]);
    if (length + 1 > octets.size())
        return data;
    const std::string_view header = octets.substr(1, length);
    data.octets = std::string(octets.substr(length + 1));
    for (std::size_t at = 0; at + 2 <= header.size();) {
        const auto id = static_cast<unsigned char>(header[at]);
        const std::size_t size = static_cast<unsigned char>(header[at + 1]);
        const std::string_view element = header.substr(at + 2);
        if (element.size() < size)
            break;
        const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(element[i]); };
        if (id == 0x00 && size == 3)
            data.part = PartOf{byte(0), byte(1), byte(2)};
        else if (id == 0x08 && size == 4)
            data.part =
                PartOf{static_cast<std::uint32_t>(byte(0) << 8 | byte(1)), byte(2), byte(3)};
        at += 2 + size;
    }
    return data;
}

CodedText CodeText(std::string_view recordText) {
    const std::u16string text = RecordTextAsUtf16(recordText);
    CodedText coded;
    std::vector<std::string> pieces;  // the coded characters, one each
    if (nimbra::gsm7::CanEncode(text)) {
        coded.dataCoding = kCodingDefault;
        for (char16_t c : text)
            pieces.push_back(nimbra::gsm7::SeptetsOf(c));
    } else {
        coded.dataCoding = kCodingUcs2;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size();
            pieces.push_back(BigEndian(text.substr(i, pair ? 2 : 1)));
            i += pair ? 1 : 0;
        }
    }
    // Septets are an octet each here, UCS2 units two.
    const std::size_t unit = coded.dataCoding == kCodingUcs2 ? 2 : 1;
    const std::size_t single = (unit == 2 ? kSingleUnits : kSingleSeptets) * unit;
    const std::size_t perPart = (unit == 2 ? kPartUnits : kPartSeptets) * unit;
    std::string whole;
    for (const std::string& piece : pieces)
        whole += piece;
    if (whole.size() <= single) {
        coded.parts.push_back(whole);
        return coded;
    }
    std::string part;
    for (const std::string& piece : pieces) {
        if (part.size() + piece.size() > perPart) {
            coded.parts.push_back(part);
            part.clear();
        }
        part += piece;
    }
    coded.parts.push_back(part);
    return coded;
}

void NumberParts(CodedText& coded, std::uint8_t reference) {
    coded.esmClass = kEsmUdhIndicator;
    for (std::size_t i = 0; i < coded.parts.size(); ++i)
        coded.parts[i] = Header(reference, coded.parts.size(), i + 1) + coded.parts[i];
}

}  // namespace mcsim::smpp
