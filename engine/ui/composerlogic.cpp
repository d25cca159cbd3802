#include "composerlogic.h"

#include "codepage.h"
#include "unGSMSMS.h"
#include "unStrings.h"

namespace nimbra::ui {

std::u16string WithoutLineBreaks(std::u16string_view text) {
    std::u16string kept;
    kept.reserve(text.size());
    for (const char16_t c : text) {
        if (c != u'\r' && c != u'\n')
            kept.push_back(c);
    }
    return kept;
}

ComposerCounters CountText(std::u16string_view text, bool unicode) {
    const std::u16string flat = WithoutLineBreaks(text);
    const std::string counted =
        unicode ? std::string(kUcs2Marker) + WideToHex(flat) : WideToAnsi(flat);
    ComposerCounters counters;
    counters.characters = MessageLength(counted);
    const int limit = PartCount(counted) < 2 ? SinglePartLimit(counted) : PartLimit(counted);
    counters.messages = counters.characters == 0 ? 1 : (counters.characters - 1) / limit + 1;
    // What still fits into the messages counted: none when the last one is full.
    counters.left = limit * counters.messages - counters.characters;
    return counters;
}

Recipients ReadRecipients(std::string_view to, std::string_view cc) {
    std::string fields(to);
    fields += ';';
    fields += cc;
    Recipients recipients;
    std::string entry;
    const auto take = [&recipients](const std::string& typed) {
        // Blanks around an entry are the separators', not the number's.
        std::string trimmed = TrimBlanks(typed);
        if (!NormalizePhoneNumber(trimmed).empty())
            recipients.taken.push_back(std::move(trimmed));
        else if (!trimmed.empty())
            recipients.rejected.push_back(std::move(trimmed));
    };
    for (const char c : fields) {
        if (c != ',' && c != ';') {
            entry += c;
            continue;
        }
        take(entry);
        entry.clear();
    }
    if (entry.size() > 1 && !NormalizePhoneNumber(entry).empty())
        take(entry);
    return recipients;
}

std::vector<std::string> TextPieces(std::string_view text) {
    std::string flat;
    flat.reserve(text.size());
    for (const char c : text) {
        if (c != '\r' && c != '\n')
            flat.push_back(c);
    }
    if (flat.empty())
        flat = " ";
    std::vector<std::string> pieces;
    for (std::size_t at = 0; at < flat.size(); at += kComposerPieceLength)
        pieces.push_back(flat.substr(at, kComposerPieceLength));
    return pieces;
}

std::string MessageFileText(const MessageFile& file) {
    const std::string text = AnsiCanHold(file.text) && !file.text.starts_with(u"_UCS2_")
                                 ? WideToAnsi(file.text)
                                 : std::string(kUcs2Marker) + WideToHex(file.text);
    return file.to + "\r\n" + EscapeLineBreaks(file.cc) + "\r\n" + EscapeLineBreaks(text) + "\r\n";
}

std::optional<MessageFile> ParseMessageFile(std::string_view content) {
    const std::vector<std::string_view> lines = TextLines(content);
    if (lines.size() < 3)
        return std::nullopt;
    MessageFile file;
    file.to = std::string(lines[0]);
    file.cc = UnescapeLineBreaks(lines[1]);
    const std::string text = UnescapeLineBreaks(lines[2]);
    file.text = text.starts_with(kUcs2Marker) ? HexToWide(std::string_view(text).substr(6))
                                              : AnsiToWide(text);
    return file;
}

}  // namespace nimbra::ui
