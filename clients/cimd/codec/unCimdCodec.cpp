#include "unCimdCodec.h"

#include <span>

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

// The number after `last`: odd numbers 1 to 255, then 1 again.
int NextNumber(const std::string& last) {
    int n = -1;
    if (!ParseInt32(last, n))
        n = -1;
    return n + 2 < 256 ? n + 2 : 1;
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

std::string CimdNumbering::Assemble(const TParamList& list) {
    std::string number = list.value(0);
    if (number.empty()) {
        last_ = std::to_string(NextNumber(last_));
        number = last_;
    }
    std::string packet = list.name(0) + ":" + number + kTab;
    const int count = list.count();
    for (int i = 1; i < count; ++i) {
        packet += list.get(i);
        packet += kTab;
    }
    packet += kCr;
    packet += kLf;
    awaited_ = last_;
    return packet;
}

std::string Frame(std::string_view packet, bool plain) {
    if (plain)
        return std::string(packet);
    unsigned sum = 0;
    for (char c : packet)
        sum += static_cast<unsigned char>(c);
    std::string framed;
    framed.reserve(packet.size() + 5);
    framed += kStx;
    framed += packet;
    framed += PadZeros(std::to_string(sum % 256), 2);
    framed += kEtx;
    return framed;
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
    int i = 0;
    list.put(i++, std::string(kOpSubmit) + ":");
    list.put(i++, "021:" + std::string(receiver));
    if (includeOriginator)
        list.put(i++, (HasAsciiLetter(sender) ? "027:" : "023:") + std::string(sender));
    list.put(i++, "033:" + EncodeText(text));
    list.put(i, "056:8");
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
