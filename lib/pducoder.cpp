#include "pducoder.h"

#include <mutex>

#include "pducoder_septets.h"

namespace nimbra {
namespace {

std::mutex& OptionsMutex() {
    static std::mutex mutex;
    return mutex;
}

PduCodecOptions& ProcessOptions() {
    static PduCodecOptions options;
    return options;
}

}  // namespace

PduCodecOptions CurrentPduCodecOptions() {
    const std::lock_guard lock(OptionsMutex());
    return ProcessOptions();
}

void SetPduCodecOptions(const PduCodecOptions& options) {
    const std::lock_guard lock(OptionsMutex());
    ProcessOptions() = options;
}

TsmsPduCodec::TsmsPduCodec(PduReferenceStore& references, PduCodecOptions options)
    : tables_(PduConversionTables()), references_(references), options_(std::move(options)) {}

std::string TsmsPduCodec::UnescapeHex(std::string_view text) {
    constexpr auto digit = pdu::HexValueAnyCase;
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 4 < text.size() && text[i + 1] == '0' && text[i + 2] == 'x' &&
            digit(text[i + 3]) >= 0 && digit(text[i + 4]) >= 0) {
            out.push_back(static_cast<char>(digit(text[i + 3]) * 16 + digit(text[i + 4])));
            i += 4;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::string TsmsPduCodec::EscapeLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\n')
            out += "\\0x0A";
        else if (c == '\r')
            out += "\\0x0D";
        else
            out.push_back(c);
    }
    return out;
}

bool TsmsPduCodec::IsPdu(std::string_view line, bool alsoDecode) {
    if (line.size() <= 15 || !pdu::IsUpperHex(line.substr(0, line.size() - 1)))
        return false;
    return !alsoDecode || Decode(line, false, false).kind != kPduKindPass;
}

void TsmsPduCodec::DecodeIntoRecord(std::string_view pdu, TGsmSms& record,
                                    std::string_view ownNumber, bool convertUcs2) {
    PduDecodeResult result = Decode(pdu, convertUcs2, true);
    const bool report = result.kind == kTypeDeliveryReport;
    record.type = std::move(result.kind);
    record.sender = std::move(result.sender);
    record.receiver = ownNumber;
    record.text = std::move(result.text);
    record.reference = std::move(result.reference);
    record.sentTime = std::move(report ? result.dischargeTime : result.timestamp);
    record.status = std::move(result.status);
}

}  // namespace nimbra
