#pragma once
// The user data of standard CIMD2 packets and the engine's message text. Outgoing, the
// engine's markers become parameters: a text the GSM alphabet carries goes as character
// combinations (033), any other as UCS-2 octets (034 with data coding scheme 8), "_B64_"
// data as 8-bit octets (034, scheme 4), and "_CLASSn_" sets the message class of the
// scheme. Incoming, the data coding scheme (030) says how to read 033 or 034.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "unParamlist.h"

namespace nimbra::cimd {

struct UserData {
    std::string dcs;     // 030, decimal; empty: none (the default alphabet, no class)
    std::string header;  // 032, hexadecimal with its length octet; empty: none
    std::string text;    // 033, character combinations
    std::string binary;  // 034, hexadecimal octets
    bool operator==(const UserData&) const = default;
};

// The user data for an engine text (markers "_UCS2_", "_CLASSn_", "_B64_" taken into
// account), in one packet however long. A "_B64_" text whose data is not hexadecimal
// octets goes as it is written.
UserData EncodeUserData(std::string_view text);

// The same for submits: the text alone when it fits one short message (160 GSM characters,
// 140 octets, 70 UCS-2 units), else the parts of a concatenated message, each with its user
// data header 05 00 03 reference count number (153 characters, 134 octets or 67 UCS-2 units
// a part). Empty when the text would take more than 255 parts.
std::vector<UserData> EncodeMessage(std::string_view text, std::uint8_t reference);

// The engine text of an incoming message from its parameters 030, 033 and 034: code-page
// text, "_UCS2_" text when the code page cannot hold it, "_B64_" and hexadecimal octets
// for 8-bit data.
std::string DecodeUserData(const TParamList& packet);

// Puts the user data parameters into list from index i on, in the order 030, 032, 033,
// 034 (empty ones left out); gives the next free index.
int PutUserData(TParamList& list, int i, const UserData& data);

}  // namespace nimbra::cimd
