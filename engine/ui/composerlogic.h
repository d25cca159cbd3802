#pragma once
// What the message composer works out from its fields, in plain C++: the counters of the
// status bar, the recipients of a send, the pieces a long text is cut into, and the message
// file that keeps an unfinished message.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbra::ui {

// Characters of one stored message a send makes; longer texts are cut.
inline constexpr std::size_t kComposerPieceLength = 760;
inline constexpr std::string_view kUcs2Marker = "_UCS2_";

// The text without CR and LF.
std::u16string WithoutLineBreaks(std::u16string_view text);

struct ComposerCounters {
    int characters = 0;  // in counted positions (two for an extension character)
    int messages = 1;
    int left = 0;  // characters that still fit into the last message
};

// The counters of a text (line breaks are not counted) sent plain or as Unicode. A plain
// text is counted in the code page (characters it cannot show count as one).
ComposerCounters CountText(std::u16string_view text, bool unicode);

// The entries of the recipient fields, in order.
struct Recipients {
    std::vector<std::string> taken;     // as typed, blanks trimmed
    std::vector<std::string> rejected;  // not a phone number, blanks trimmed
};

// Reads to + ";" + cc: "," and ";" end an entry; an entry with a phone number in it is
// taken, any other non-blank entry is rejected. A last entry of one character is dropped.
Recipients ReadRecipients(std::string_view to, std::string_view cc);

// The text of the stored messages for one recipient: without line breaks, in pieces of
// kComposerPieceLength characters, the rest last; a text with nothing left is one space.
std::vector<std::string> TextPieces(std::string_view text);

// The three lines of a message file: recipients, more recipients, text.
struct MessageFile {
    std::string to;
    std::string cc;
    std::u16string text;
};

// Lines end with CR LF; the second and third are escaped (EscapeLineBreaks). A text the code
// page cannot hold is written as "_UCS2_" and its UTF-16 units in hexadecimal, so that no
// character is lost.
std::string MessageFileText(const MessageFile& file);
// nullopt for a file with fewer than three lines.
std::optional<MessageFile> ParseMessageFile(std::string_view content);

}  // namespace nimbra::ui
