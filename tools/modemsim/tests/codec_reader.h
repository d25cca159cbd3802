#pragma once
// What the driver makes of the modem's answers, for the tests: the project's codec with a
// part store of its own, and the PDU line of a +CMGR answer.

#include <string>

#include "pducoder.h"
#include "temp_dir.h"

namespace modemsim::test {

class CodecReader {
public:
    nimbra::PduCodecOptions Options() const {
        nimbra::PduCodecOptions options;
        options.partsFolder = parts_.path();
        return options;
    }
    nimbra::TsmsPduCodec Codec() { return nimbra::TsmsPduCodec(references_, Options()); }
    // Decodes as the driver does: completed parts are removed from the part store.
    nimbra::PduDecodeResult Decode(const std::string& pdu) {
        return Codec().Decode(pdu, false, true);
    }

private:
    nimbra::testing_support::TempDir parts_;
    nimbra::MemoryPduReferenceStore references_;
};

// The line after the header line of a +CMGR answer.
inline std::string PduLine(const std::string& answer) {
    const std::size_t start = answer.find("\r\n", 2) + 2;
    return answer.substr(start, answer.find("\r\n", start) - start);
}

// A text of plain letters, long enough for as many parts as the test needs.
inline std::string Letters(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text.push_back(static_cast<char>('a' + i % 26));
    return text;
}

}  // namespace modemsim::test
