// Any byte string goes through parsing (line and framed), parameter look-up, the text
// conversions of both variants and the log form without fault; a parsed list never holds
// more than its 50 entries, a rejected or empty one holds none, and encoded text never
// carries a packet separator.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "unCimdCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbra::cimd;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    TParamList list;
    const ParseResult result = Parse(input, list);
    if (result != ParseResult::Ok && list.count() != 0)
        std::abort();
    for (std::string_view code : {"021", "023", "033", "060", "061", "900"})
        list.valueOf(code);
    list.name(0);
    list.value(0);

    TParamList framed;
    if (ParseFrame(input, framed) != ParseResult::Ok && framed.count() != 0)
        std::abort();
    DecodeUserData(framed);
    DecodeUserData(list);
    std::vector<UserData> coded = EncodeMessage(input, 7);
    coded.push_back(EncodeUserData(input));
    for (const UserData& userData : coded) {
        for (const std::string* value : {&userData.dcs, &userData.text, &userData.binary}) {
            if (value->find_first_of("\t\x02\x03") != std::string::npos)
                std::abort();
        }
        if (userData.binary.find_first_not_of("0123456789ABCDEF") != std::string::npos)
            std::abort();
    }

    const std::string encoded = EncodeText(input);
    if (encoded.find_first_of("\t\r\n") != std::string::npos)
        std::abort();
    DecodeText(input);
    DecodeText(encoded);
    Visible(input);
    return 0;
}
