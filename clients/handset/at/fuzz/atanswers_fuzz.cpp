// Any bytes a modem sends, received in pieces, become bounded lines without fault, and every
// rule that reads the answer lines takes them without fault.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "atanswers.h"
#include "atlines.h"
#include "atresult.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbra::handset;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    // The bytes arrive in pieces whose lengths the first byte chooses.
    const std::size_t piece = size > 0 ? 1 + data[0] % 17 : 1;
    Lines lines;
    for (std::size_t at = 0; at < input.size(); at += piece) {
        AppendToLines(lines, input.substr(at, piece));
        if (lines.size() > kMaxLines + 1)
            std::abort();
        for (const std::string& line : lines) {
            if (line.size() > kMaxLineLength)
                std::abort();
        }
    }

    const std::string result = DeriveResult(input);
    MessageReference(lines);
    for (int flags = 0; flags < 32; ++flags) {
        PduReadRules rules;
        rules.needCmgrLine = (flags & 1) != 0;
        rules.echoAware = (flags & 2) != 0;
        rules.echoMeansEmpty = (flags & 4) != 0;
        rules.emptySlotAware = (flags & 8) != 0;
        rules.minPduLength = (flags & 16) != 0 ? 20 : 0;
        FindPduLine(lines, rules);
    }
    ParseTextRead(lines);
    ParseTimeStampedTextRead(lines);
    SignalQuality(result, lines);
    NetworkRegistration(result, lines);
    ToDeviceText(input);
    CommandPieces(input);
    return 0;
}
