#include "cimdreceivebuffer.h"

#include "unCimdCodec.h"

namespace mcsim {
namespace {

using nimbra::cimd::kCr;
using nimbra::cimd::kEtx;
using nimbra::cimd::kLf;

// Where a line-variant packet whose CR is at `cr` ends: after the LF that follows the CR,
// else right after the CR.
std::size_t LineEnd(std::string_view bytes, std::size_t cr) {
    std::size_t i = cr + 1;
    if (i < bytes.size() && bytes[i] == kLf)
        ++i;
    return i;
}

}  // namespace

CimdReceiveBuffer::Result CimdReceiveBuffer::Append(std::string_view bytes) {
    Result result;
    pending_.append(bytes);
    std::size_t start = 0;
    const char packetEnd = framed_ ? kEtx : kCr;
    for (std::size_t found = pending_.find(packetEnd); found != std::string::npos;
         found = pending_.find(packetEnd, start)) {
        const std::size_t end = framed_ ? found + 1 : LineEnd(pending_, found);
        if (end - start > kLimit)
            result.dropped += end - start;
        else
            result.packets.push_back(pending_.substr(start, end - start));
        start = end;
    }
    pending_.erase(0, start);
    if (pending_.size() > kLimit) {
        result.dropped += pending_.size();
        pending_.clear();
    }
    return result;
}

std::string_view PacketText(std::string_view packet) {
    return packet.substr(0, packet.find(kCr));
}

}  // namespace mcsim
