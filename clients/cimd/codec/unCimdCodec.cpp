#include "unCimdCodec.h"

#include <span>

#include "pducoder_septets.h"
#include "unStrings.h"

namespace nimbra::cimd {

namespace {

struct Replacement {
    std::string_view find;
    std::string_view replaceBy;
};

// Message text to user data, applied row by row. Line breaks and tabs go first because they
// would break the packet; "_" is doubled before any row introduces one; the double-acute
// letters become umlauts before the umlaut rows run. Bytes are code page 1250.
// clang-format off
constexpr Replacement kEncodeTable[] = {
    {"\r", ""},
    {"\n", ""},
    {"\t", ""},
    {"_", "_--"},
    {"\xFB", "\xFC"},  // u double acute -> u umlaut
    {"\xF5", "\xF6"},  // o double acute -> o umlaut
    {"\xDB", "\xFC"},  // U double acute -> u umlaut
    {"\xD5", "\xF6"},  // O double acute -> o umlaut
    {"@", "_Oa"},
    {"\xE1", "_a`"},
    {"\xC1", "_A*"},
    {"\xE4", "_a\""},
    {"\xF6", "_o\""},
    {"\xC4", "_A\""},
    {"\xD6", "_O\""},
    {"\xE9", "_e'"},
    {"\xDA", "_u`"},
    {"\xFA", "_u`"},
    {"\xCD", "_i`"},
    {"\xED", "_i`"},
    {"\xD3", "_o`"},
    {"\xF3", "_o`"},
    {"\xC7", "_C,"},
    {"\xDF", "_ss"},
    {"\xC9", "_E'"},
    {"\xDC", "_U\""},
    {"\xFC", "_u\""},
    {"[", "<"},
    {"]", ">"},
};

// User data to message text, applied row by row. The single-character rows come first so
// that the "]", "~" and "^" produced by later rows stay as they are.
constexpr Replacement kDecodeTable[] = {
    {"~", "\xFC"},
    {"^", "\xDC"},
    {"]", "\xC1"},
    {"L-", "L"},
    {"XXe", "E"},
    {"XX<", "["},
    {"XX>", "]"},
    {"XX(", "{"},
    {" _XX)", "}"},
    {"_XX=", "~"},
    {"_XX_gl", "^"},
    {"_a`", "\xE1"},
    {"_i`", "\xED"},
    {"|", "\xF6"},
    {"_u`", "\xFA"},
    {"_o`", "\xF3"},
    {"_e`", "\xE9"},
    {"_e'", "\xE9"},
    {"_E'", "\xC9"},
    {"_E`", "\xC9"},
    {"\\", "\xD6"},
    {"_--", "_"},
};

constexpr Replacement kVisibleTable[] = {
    {"\x02", "<stx>"},
    {"\x03", "<etx>"},
    {"\t", "<tab>"},
    {"\r", "<cr>"},
    {"\n", "<lf>"},
};
// clang-format on

std::string ApplyInOrder(std::span<const Replacement> table, std::string_view text) {
    std::string out(text);
    for (const Replacement& row : table)
        out = ReplaceAll(row.find, row.replaceBy, out);
    return out;
}

bool HasAsciiLetter(std::string_view s) {
    for (char c : s) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
            return true;
    }
    return false;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr long kStandardNumberDigits = 3;
// Asks for a status report when the message is delivered.
constexpr std::string_view kStatusReportRequest = "056:8";
// Asks for a report of every final outcome: validity period expired (2), delivery failed (4),
// delivered (8), cancelled (16) and deleted by the operator (32). Centres that follow the public
// protocol send only the outcomes asked for, and a failure nobody hears of leaves the message
// waiting for a report for ever.
constexpr std::string_view kFinalOutcomesReportRequest = "056:62";

// The byte sum modulo 256.
unsigned Checksum(std::string_view bytes) {
    unsigned sum = 0;
    for (const char c : bytes)
        sum += static_cast<unsigned char>(c);
    return sum % 256;
}

// Operation code, destination and (when asked) the originator of a submit packet; gives
// the next free index.
int PutSubmitAddresses(TParamList& list, std::string_view receiver, std::string_view sender,
                       bool includeOriginator) {
    int i = 0;
    list.put(i++, std::string(kOpSubmit) + ":");
    list.put(i++, "021:" + std::string(receiver));
    if (includeOriginator)
        list.put(i++, (HasAsciiLetter(sender) ? "027:" : "023:") + std::string(sender));
    return i;
}

// The number after `last`, two on, within 0 to 255: odd numbers 1 to 255, then 1 again;
// even ones 2 to 254, then 0.
int NextNumber(const std::string& last) {
    int n = -1;
    if (!ParseInt32(last, n) || n < -1 || n > 255)
        n = -1;
    return (n + 2) % 256;
}

// Where the packet starts in received text. A framed packet read up to its CR leaves
// "LF checksum ETX" (and perhaps a prompt) behind, and that arrives in front of the next
// packet. So when there is an STX ahead of the first TAB, the packet starts after the last
// such STX; the digit rule alone would take the leftover checksum for the operation code.
// The search stops at the first TAB so that an STX inside parameter values is never used.
std::string_view PacketStart(std::string_view received) {
    const std::string_view head = received.substr(0, received.find(kTab));
    const std::size_t stx = head.rfind(kStx);
    if (stx != std::string_view::npos)
        received.remove_prefix(stx + 1);
    std::size_t digit = 0;
    while (digit < received.size() && !IsDigit(received[digit]))
        ++digit;
    return received.substr(digit);
}

}  // namespace

void CimdNumbering::SkipInUse(const std::function<bool(int)>& inUse) {
    // 128 numbers on each side.
    for (int tries = 0; tries < 128; ++tries) {
        const int next = NextNumber(last_);
        if (!inUse(next))
            return;
        last_ = std::to_string(next);
    }
}

std::string CimdNumbering::Assemble(const TParamList& list, Framing framing) {
    std::string number = list.value(0);
    if (number.empty()) {
        last_ = std::to_string(NextNumber(last_));
        number = last_;
    }
    if (framing == Framing::Standard)
        number = PadZeros(number, kStandardNumberDigits);
    std::string packet = list.name(0) + ":" + number + kTab;
    const int count = list.count();
    for (int i = 1; i < count; ++i) {
        packet += list.get(i);
        packet += kTab;
    }
    if (framing == Framing::Line) {
        packet += kCr;
        packet += kLf;
    }
    awaited_ = last_;
    return packet;
}

std::string StandardFrame(std::string_view packet) {
    std::string framed;
    framed.reserve(packet.size() + 4);
    framed += kStx;
    framed += packet;
    framed += ByteToHex2(Checksum(framed));
    framed += kEtx;
    return framed;
}

Unframed Unframe(std::string_view received, std::string_view& packet) {
    const std::size_t etx = received.rfind(kEtx);
    if (etx == std::string_view::npos)
        return Unframed::NoPacket;
    const std::size_t stx = received.rfind(kStx, etx);
    if (stx == std::string_view::npos)
        return Unframed::NoPacket;
    const std::string_view frame = received.substr(stx, etx - stx);
    const std::size_t lastTab = frame.rfind(kTab);
    if (lastTab == std::string_view::npos)
        return Unframed::NoPacket;
    const std::string_view checksum = frame.substr(lastTab + 1);
    packet = frame.substr(1, lastTab);
    if (checksum.empty())
        return Unframed::Ok;
    if (checksum.size() != 2 || pdu::HexValueAnyCase(checksum[0]) < 0 ||
        pdu::HexValueAnyCase(checksum[1]) < 0)
        return Unframed::BadChecksum;
    const unsigned given = static_cast<unsigned>(pdu::HexValueAnyCase(checksum[0]) * 16 +
                                                 pdu::HexValueAnyCase(checksum[1]));
    return given == Checksum(frame.substr(0, lastTab + 1)) ? Unframed::Ok : Unframed::BadChecksum;
}

ParseResult Parse(std::string_view received, TParamList& list) {
    list.clear();
    const std::string_view packet = PacketStart(received);
    if (packet.empty())
        return ParseResult::Empty;

    // Pieces: one per TAB, plus a non-empty piece after the last TAB.
    std::size_t tabs = 0;
    for (char c : packet)
        tabs += c == kTab ? 1 : 0;
    const bool hasTail = packet.back() != kTab;
    if (tabs + (hasTail ? 1 : 0) > static_cast<std::size_t>(kParamListSize))
        return ParseResult::TooManyPieces;

    int index = 0;
    std::size_t begin = 0;
    for (std::size_t tab = packet.find(kTab); tab != std::string_view::npos;
         tab = packet.find(kTab, begin)) {
        list.put(index++, std::string(packet.substr(begin, tab - begin)));
        begin = tab + 1;
    }
    if (begin < packet.size())
        list.put(index, std::string(packet.substr(begin)));
    return ParseResult::Ok;
}

ParseResult ParseFrame(std::string_view received, TParamList& list) {
    list.clear();
    std::string_view packet;
    switch (Unframe(received, packet)) {
        case Unframed::Ok:
            return Parse(packet, list);
        case Unframed::NoPacket:
            return ParseResult::Empty;
        case Unframed::BadChecksum:
            return ParseResult::BadChecksum;
    }
    return ParseResult::Empty;
}

TParamList LoginPacket(std::string_view user, std::string_view password) {
    TParamList list;
    list.put(0, std::string(kOpLogin) + ":");
    list.put(1, "011:" + std::string(password));
    list.put(2, "010:" + std::string(user));
    return list;
}

TParamList LogoutPacket() {
    TParamList list;
    list.put(0, std::string(kOpLogout) + ":");
    return list;
}

TParamList AlivePacket() {
    TParamList list;
    list.put(0, std::string(kOpAlive) + ":");
    return list;
}

TParamList SubmitPacket(std::string_view receiver, std::string_view sender, std::string_view text,
                        bool includeOriginator) {
    TParamList list;
    int i = PutSubmitAddresses(list, receiver, sender, includeOriginator);
    list.put(i++, "033:" + EncodeText(text));
    list.put(i, std::string(kStatusReportRequest));
    return list;
}

TParamList SubmitPacket(std::string_view receiver, std::string_view sender, const UserData& data,
                        bool includeOriginator) {
    TParamList list;
    int i = PutSubmitAddresses(list, receiver, sender, includeOriginator);
    i = PutUserData(list, i, data);
    list.put(i, std::string(kFinalOutcomesReportRequest));
    return list;
}

TParamList ResponsePacket(std::string_view code, std::string_view number) {
    TParamList list;
    list.put(0, std::string(code) + ":" + std::string(number));
    return list;
}

std::string EncodeText(std::string_view text) {
    return ApplyInOrder(kEncodeTable, text);
}

std::string DecodeText(std::string_view userData) {
    return ApplyInOrder(kDecodeTable, userData);
}

std::string Visible(std::string_view text) {
    return ApplyInOrder(kVisibleTable, text);
}

}  // namespace nimbra::cimd
