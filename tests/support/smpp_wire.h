#pragma once
// SMPP PDUs as the bytes on the wire, built and read byte by byte (not with the driver's
// codec), for tests that play one side of an SMPP link over a loopback socket.

#include <cstdint>
#include <optional>
#include <string>

#include "loopback_peer.h"

namespace nimbra::testing_support {

// A 32-bit big-endian number.
inline std::string U32(std::uint32_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
            static_cast<char>(value >> 8), static_cast<char>(value)};
}

inline std::uint32_t ReadU32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = at; i < at + 4; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return value;
}

inline std::string Pdu(std::uint32_t command, std::uint32_t sequence, const std::string& body = {},
                       std::uint32_t status = 0) {
    return U32(static_cast<std::uint32_t>(16 + body.size())) + U32(command) + U32(status) +
           U32(sequence) + body;
}

struct Received {
    std::uint32_t command = 0;
    std::uint32_t status = 0;
    std::uint32_t sequence = 0;
    std::string body;
};

// The next PDU from the peer; nullopt when none came in time.
inline std::optional<Received> ReadPdu(LoopbackPeer& peer) {
    const std::string header = peer.ReadBytes(16);
    if (header.empty())
        return std::nullopt;
    const std::uint32_t length = ReadU32(header, 0);
    if (length < 16)
        return std::nullopt;
    Received pdu{ReadU32(header, 4), ReadU32(header, 8), ReadU32(header, 12), {}};
    if (length > 16) {
        pdu.body = peer.ReadBytes(length - 16);
        if (pdu.body.empty())
            return std::nullopt;
    }
    return pdu;
}

}  // namespace nimbra::testing_support
