#pragma once

#include <chrono>
#include <string>

#include "stream_peer.h"

namespace nimbra::testing_support {

// A terminal device (the modem simulator's pseudo-terminal) opened as a driver opens its
// serial port, raw, for writing bytes and reading up to a terminator.
class TerminalPeer : public StreamPeer {
public:
    explicit TerminalPeer(const std::string& path,
                          std::chrono::milliseconds timeout = std::chrono::seconds(10));

    bool open() const { return fd_ >= 0; }
    // False when not all bytes could be written.
    bool Send(const std::string& bytes);
    // Sets the line speed in baud, as a driver's serial port does; false when refused.
    bool SetSpeed(int baud);
};

}  // namespace nimbra::testing_support
