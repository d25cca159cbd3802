#include "cimdreceivebuffer.h"

#include "unCimdCodec.h"

namespace mcsim {
namespace {

using nimbra::cimd::kCr;
using nimbra::cimd::kEtx;
using nimbra::cimd::kLf;

// Where a packet whose CR is at `cr` ends: after its frame tail (LF, checksum digits, ETX)
// when all of that has come, else after the LF that follows the CR, else right after the CR.
std::size_t PacketEnd(std::string_view bytes, std::size_t cr) {
    std::size_t i = cr + 1;
    if (i < bytes.size() && bytes[i] == kLf)
        ++i;
    const std::size_t digits = i;
    while (i < bytes.size() && i - digits < 3 && bytes[i] >= '0' && bytes[i] <= '9')
        ++i;
    if (i > digits && i < bytes.size() && bytes[i] == kEtx)
        return i + 1;
    return digits;
}

}  // namespace

CimdReceiveBuffer::Result CimdReceiveBuffer::Append(std::string_view bytes) {
    Result result;
    pending_.append(bytes);
    std::size_t start = 0;
    for (std::size_t cr = pending_.find(kCr); cr != std::string::npos;
         cr = pending_.find(kCr, start)) {
        const std::size_t end = PacketEnd(pending_, cr);
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
    const std::size_t cr = packet.find(kCr);
    std::string_view text = packet.substr(0, cr);
    const std::size_t etx = text.rfind(kEtx);
    if (etx != std::string_view::npos)
        text.remove_prefix(etx + 1);
    return text;
}

}  // namespace mcsim
