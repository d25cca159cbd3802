#pragma once
// CIMD2 packet text as the driver builds and reads it: assembly with packet numbering,
// the optional STX/ETX frame with its checksum, parsing, the packets the driver sends, the
// user-data character combinations and the readable form for the log. Pure byte strings;
// message text is single-byte text whose accented letters are those of the Central
// European code page (0xD5 is a capital O with double acute).

#include <string>
#include <string_view>

#include "unParamlist.h"

namespace nimbra::cimd {

inline constexpr char kStx = '\x02';
inline constexpr char kEtx = '\x03';
inline constexpr char kTab = '\t';
inline constexpr char kCr = '\r';
inline constexpr char kLf = '\n';

// Operation codes.
inline constexpr std::string_view kOpLogin = "01";
inline constexpr std::string_view kOpLogout = "02";
inline constexpr std::string_view kOpSubmit = "03";
inline constexpr std::string_view kOpDeliver = "20";
inline constexpr std::string_view kOpStatusReport = "23";
inline constexpr std::string_view kOpAlive = "40";
inline constexpr std::string_view kOpLoginResponse = "51";
inline constexpr std::string_view kOpSubmitResponse = "53";
inline constexpr std::string_view kOpDeliverResponse = "70";
inline constexpr std::string_view kOpStatusReportResponse = "73";
inline constexpr std::string_view kOpGeneralError = "98";
inline constexpr std::string_view kOpNack = "99";

// Packet numbering of one client: numbers run 1, 3, 5, ..., 255, 1, ...
class CimdNumbering {
public:
    // Packet text of `list`: name(0) + ":" + number + TAB, every further entry + TAB, CR LF.
    // When value(0) is empty the packet gets the next number; otherwise value(0) is used as
    // it stands and the numbering does not advance. Either way the awaited response number
    // becomes the last assigned number.
    std::string Assemble(const TParamList& list);
    // The next numbered packet gets number 1 (a login packet always carries 1).
    void Restart() { last_ = "-1"; }

    // The last number assigned, "-1" before the first.
    const std::string& last() const { return last_; }
    const std::string& awaited() const { return awaited_; }
    void setAwaited(std::string number) { awaited_ = std::move(number); }

private:
    std::string last_ = "-1";
    std::string awaited_;
};

// Bytes to send for a packet text: the text itself when `plain` (no STX/ETX), otherwise
// STX + text + checksum + ETX, the checksum being the byte sum of the text modulo 256 in
// decimal, at least two digits.
std::string Frame(std::string_view packet, bool plain);

enum class ParseResult {
    Ok,
    Empty,         // no digit: a prompt or line noise
    TooManyPieces  // more than 50 TAB-separated pieces; the list is left empty
};
// Fills `list` (cleared first) from a received packet: when an STX stands before the first
// TAB, everything up to the last such STX is dropped (framing left over from the previous
// packet); then leading bytes up to the first digit are dropped, the rest is split at every
// TAB; a non-empty piece after the last TAB is a last entry.
ParseResult Parse(std::string_view received, TParamList& list);

// Packet lists with an empty number (numbered by Assemble) unless said otherwise.
TParamList LoginPacket(std::string_view user, std::string_view password);
TParamList LogoutPacket();
TParamList AlivePacket();
// 021 destination; with `includeOriginator`, 027 when the sender has an ASCII letter, else
// 023; 033 EncodeText(text); 056 "8".
TParamList SubmitPacket(std::string_view receiver, std::string_view sender, std::string_view text,
                        bool includeOriginator);
// A response ("70" or "73") carrying the received packet's number unchanged.
TParamList ResponsePacket(std::string_view code, std::string_view number);

// Message text to user data and back, by the two replacement tables in their order.
std::string EncodeText(std::string_view text);
std::string DecodeText(std::string_view userData);

// Control bytes spelt out: <stx>, <etx>, <tab>, <cr>, <lf>.
std::string Visible(std::string_view text);

}  // namespace nimbra::cimd
