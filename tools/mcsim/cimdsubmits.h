#pragma once
// What the drivers' standard CIMD2 submits say, for the simulator's log: the text of each
// message, read by its data coding scheme, once all its parts are in (a concatenated
// message's parts carry a user data header with its reference, count and part number).

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include <QString>

#include "unParamlist.h"

namespace mcsim {

class SubmittedTexts {
public:
    // The whole text of the message this submit completes; nullopt while parts are missing.
    std::optional<QString> Take(const nimbra::cimd::TParamList& submit);
    // Messages whose parts are not all in yet.
    std::size_t waiting() const { return parts_.size(); }

private:
    using Key = std::tuple<std::string, int>;  // destination, reference
    std::map<Key, std::vector<std::optional<QString>>> parts_;
};

// Concatenation in a user data header (hexadecimal, with its length octet): the reference,
// part count and part number of an 8-bit (00) or 16-bit (08) reference element.
struct PartOf {
    int reference = 0;
    int count = 0;
    int number = 0;
};
std::optional<PartOf> ReadConcatenation(const std::string& headerHex);

}  // namespace mcsim
