#pragma once
// Splits the bytes a CIMD2 peer sends into packets. A packet ends at CR; the LF after it
// belongs to it, and in a framed packet the checksum and ETX as well. Whatever precedes a packet (a
// LF, a prompt, a STX, line noise, or the tail of the last frame when it came late) stays in
// the packet as received; PacketText finds the part to parse.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mcsim {

class CimdReceiveBuffer {
public:
    // The longest packet taken; longer ones are dropped, also while their CR is still to come.
    static constexpr std::size_t kLimit = 64 * 1024;

    struct Result {
        std::vector<std::string> packets;
        std::size_t dropped = 0;  // bytes thrown away because no CR came within kLimit
    };

    Result Append(std::string_view bytes);

private:
    std::string pending_;
};

// The part of a received packet the codec parses: from after the last ETX before the CR
// (the tail of an earlier frame) up to the CR.
std::string_view PacketText(std::string_view packet);

}  // namespace mcsim
