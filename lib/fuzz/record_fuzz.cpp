// Any byte string parses without fault, and a parsed record survives its own text form
// (the type tag is written unescaped, so that holds only for tags free of braces and
// backslashes, which is every tag the system uses).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "unGSMSMS.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    nimbra::TGsmSms record(0.0);
    record.FromText(input);
    const std::string text = record.ToText();
    nimbra::TGsmSms again(0.0);
    again.FromText(text);
    const bool plainType = record.type.find_first_of("{}\\") == std::string::npos;
    if (plainType && !(again == record))
        std::abort();
    nimbra::MessageLength(record.text);
    nimbra::PartText(record.text, nimbra::PartCount(record.text));
    return 0;
}
