#pragma once
// Splits the bytes an SMPP peer sends into PDUs by their command_length, however the stream
// cuts them. A command_length below a header or above kMaxPduSize means the stream cannot be
// followed any further: the buffer reports it and takes nothing more.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mcsim {

class SmppReceiveBuffer {
public:
    struct Result {
        std::vector<std::string> pdus;
        std::optional<std::uint32_t> badLength;  // set once, with the command_length refused
    };

    Result Append(std::string_view bytes);

private:
    std::string pending_;
    bool broken_ = false;
};

}  // namespace mcsim
