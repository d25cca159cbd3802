#pragma once

#include <chrono>
#include <string>

#include "stream_peer.h"

namespace nimbra::testing_support {

// A TCP connection to a port on the loopback address that reads up to a terminator.
class LoopbackPeer : public StreamPeer {
public:
    explicit LoopbackPeer(int port, std::chrono::milliseconds timeout = std::chrono::seconds(10));

    bool connected() const { return connected_; }
    // False when not all bytes could be sent.
    bool Send(const std::string& bytes);

private:
    bool connected_ = false;
};

}  // namespace nimbra::testing_support
