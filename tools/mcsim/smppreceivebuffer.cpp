#include "smppreceivebuffer.h"

#include "smpppdu.h"

namespace mcsim {

SmppReceiveBuffer::Result SmppReceiveBuffer::Append(std::string_view bytes) {
    Result result;
    if (broken_)
        return result;
    pending_.append(bytes);
    std::size_t start = 0;
    while (pending_.size() - start >= 4) {
        const std::uint32_t length = smpp::ReadUint32(std::string_view(pending_).substr(start));
        if (length < smpp::kHeaderSize || length > smpp::kMaxPduSize) {
            result.badLength = length;
            broken_ = true;
            pending_.clear();
            return result;
        }
        if (pending_.size() - start < length)
            break;
        result.pdus.push_back(pending_.substr(start, length));
        start += length;
    }
    pending_.erase(0, start);
    return result;
}

}  // namespace mcsim
