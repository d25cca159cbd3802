#include "cimdsubmits.h"

#include "cimduserdata.h"
#include "qansi.h"
#include "unStrings.h"

namespace mcsim {
namespace {

constexpr std::string_view kUcs2Marker = "_UCS2_";

QString Readable(const std::string& engineText) {
    if (!engineText.starts_with(kUcs2Marker))
        return nimbra::QFromAnsi(engineText);
    const std::u16string wide = nimbra::HexToWide(engineText.substr(kUcs2Marker.size()));
    return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

std::vector<int> Octets(const std::string& hex) {
    std::vector<int> octets;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bool ok = false;
        const int value = QString::fromStdString(hex.substr(i, 2)).toInt(&ok, 16);
        if (!ok)
            return {};
        octets.push_back(value);
    }
    return octets;
}

}  // namespace

std::optional<PartOf> ReadConcatenation(const std::string& headerHex) {
    const std::vector<int> octets = Octets(headerHex);
    if (octets.empty() || octets[0] + 1 != static_cast<int>(octets.size()))
        return std::nullopt;
    for (std::size_t i = 1; i + 1 < octets.size();
         i += 2 + static_cast<std::size_t>(octets[i + 1])) {
        const int element = octets[i];
        const std::size_t length = static_cast<std::size_t>(octets[i + 1]);
        if (i + 2 + length > octets.size())
            return std::nullopt;
        const int* data = &octets[i + 2];
        if (element == 0x00 && length == 3)
            return PartOf{data[0], data[1], data[2]};
        if (element == 0x08 && length == 4)
            return PartOf{data[0] * 256 + data[1], data[2], data[3]};
    }
    return std::nullopt;
}

std::optional<QString> SubmittedTexts::Take(const nimbra::cimd::TParamList& submit) {
    const QString text = Readable(nimbra::cimd::DecodeUserData(submit));
    const std::optional<PartOf> part = ReadConcatenation(submit.valueOf("032"));
    if (!part || part->count < 1 || part->number < 1 || part->number > part->count)
        return text;
    const Key key{submit.valueOf("021"), part->reference};
    std::vector<std::optional<QString>>& parts = parts_[key];
    parts.resize(static_cast<std::size_t>(part->count));
    parts[static_cast<std::size_t>(part->number - 1)] = text;
    QString whole;
    for (const std::optional<QString>& piece : parts) {
        if (!piece)
            return std::nullopt;
        whole += *piece;
    }
    parts_.erase(key);
    return whole;
}

}  // namespace mcsim
