#pragma once
// CIMD2 packet text as the driver builds and reads it, in two variants: the line variant
// ("03:5<TAB>...<TAB>" CR LF, answered with ">" prompts) and the standard packet in its
// frame (STX "03:005<TAB>...<TAB>" checksum ETX). Assembly with packet numbering, the frame
// and its checksum, parsing, the packets the driver sends, the line variant's user-data
// character combinations and the readable form for the log. Pure byte strings; the line
// variant's message text is single-byte text whose accented letters are those of the
// Central European code page (0xD5 is a capital O with double acute).

#include <functional>
#include <string>
#include <string_view>

#include "cimduserdata.h"
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

enum class Framing {
    Line,     // packet numbers in plain decimal, every packet ending with CR LF
    Standard  // three-digit packet numbers, no line end; the packet travels in StandardFrame
};

// Packet numbering of one side: a client's numbers run 1, 3, 5, ..., 255, 1, ...; a message
// centre's (standard variant) 2, 4, ..., 254, 0, 2, ...
class CimdNumbering {
public:
    enum class Side { Client, Centre };
    explicit CimdNumbering(Side side = Side::Client) : side_(side) { Restart(); }

    // Packet text of `list`: name(0) + ":" + number + TAB, every further entry + TAB, and
    // for the line variant CR LF. When value(0) is empty the packet gets the next number;
    // otherwise value(0) is used (in the standard variant padded to three digits) and the
    // numbering does not advance. Either way the awaited response number becomes the last
    // assigned number.
    std::string Assemble(const TParamList& list, Framing framing = Framing::Line);
    // The next numbered packet gets number 1 (a login packet always carries 1); a centre's 2.
    void Restart() { last_ = side_ == Side::Client ? "-1" : "0"; }
    // Moves the numbering on past every number `inUse` holds, so that the next numbered
    // packet gets a free one (a number whose response is still awaited must not be used
    // again). Stops after a full round when every number is in use.
    void SkipInUse(const std::function<bool(int)>& inUse);

    // The last number assigned, "-1" before the first.
    const std::string& last() const { return last_; }
    const std::string& awaited() const { return awaited_; }
    void setAwaited(std::string number) { awaited_ = std::move(number); }

private:
    Side side_;
    std::string last_;
    std::string awaited_;
};

// The frame of a standard packet text: STX + text + checksum + ETX, the checksum being the
// byte sum from the STX through the text's last TAB modulo 256, in two upper-case
// hexadecimal digits.
std::string StandardFrame(std::string_view packet);

enum class Unframed {
    Ok,
    NoPacket,    // no STX before the ETX, or no TAB after it
    BadChecksum  // a checksum that does not fit the bytes, or is no checksum
};
// The packet text of the frame that ends received (bytes read up to an ETX; a greeting or
// line noise before the frame's STX is passed over): the bytes after the STX up to and
// including the last TAB. The checksum is optional: a frame without one ends with TAB ETX.
Unframed Unframe(std::string_view received, std::string_view& packet);

enum class ParseResult {
    Ok,
    Empty,          // no digit: a prompt or line noise; no frame in a standard variant read
    TooManyPieces,  // more than 50 TAB-separated pieces; the list is left empty
    BadChecksum     // a standard frame whose checksum does not fit; the list is left empty
};
// Fills `list` (cleared first) from a received packet: when an STX stands before the first
// TAB, everything up to the last such STX is dropped (framing left over from the previous
// packet); then leading bytes up to the first digit are dropped, the rest is split at every
// TAB; a non-empty piece after the last TAB is a last entry.
ParseResult Parse(std::string_view received, TParamList& list);
// The same for bytes read up to the ETX of a standard frame: Unframe, then Parse.
ParseResult ParseFrame(std::string_view received, TParamList& list);

// Packet lists with an empty number (numbered by Assemble) unless said otherwise.
TParamList LoginPacket(std::string_view user, std::string_view password);
TParamList LogoutPacket();
TParamList AlivePacket();
// 021 destination; with `includeOriginator`, 027 when the sender has an ASCII letter, else
// 023; 033 EncodeText(text); 056 "8".
TParamList SubmitPacket(std::string_view receiver, std::string_view sender, std::string_view text,
                        bool includeOriginator);
// The same for a standard packet, the user data parameters (PutUserData) taking the place
// of 033, and 056 "62" asking for a report of every final outcome, failures included.
TParamList SubmitPacket(std::string_view receiver, std::string_view sender, const UserData& data,
                        bool includeOriginator);
// A response ("70" or "73") carrying the received packet's number unchanged.
TParamList ResponsePacket(std::string_view code, std::string_view number);

// Message text to user data and back, by the two replacement tables in their order.
std::string EncodeText(std::string_view text);
std::string DecodeText(std::string_view userData);

// Control bytes spelt out: <stx>, <etx>, <tab>, <cr>, <lf>.
std::string Visible(std::string_view text);

}  // namespace nimbra::cimd
