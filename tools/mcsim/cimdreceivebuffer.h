#pragma once
// Splits the bytes a CIMD2 peer sends into packets. In the line variant a packet ends at CR
// and the LF after it belongs to it; a standard packet ends with the ETX of its frame.
// Whatever precedes a packet (a LF, a prompt, line noise) stays in the packet as received;
// PacketText (line variant) and ParseFrame (standard) find the part to parse.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mcsim {

class CimdReceiveBuffer {
public:
    explicit CimdReceiveBuffer(bool framed) : framed_(framed) {}

    // The longest packet taken; longer ones are dropped, also while their CR is still to come.
    static constexpr std::size_t kLimit = 64 * 1024;

    struct Result {
        std::vector<std::string> packets;
        std::size_t dropped = 0;  // bytes thrown away because no packet end came within kLimit
    };

    Result Append(std::string_view bytes);

private:
    bool framed_;
    std::string pending_;
};

// The part of a received line-variant packet the codec parses: up to the CR.
std::string_view PacketText(std::string_view packet);

}  // namespace mcsim
