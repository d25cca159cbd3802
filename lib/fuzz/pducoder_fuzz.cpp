// Any byte string goes through the PDU decoder, the PDU test and the septet unpacker without
// fault. Parts of concatenated messages land in a private folder that is emptied after every
// input, so that each run starts from the same state.

#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "pducoder.h"

namespace {

const std::filesystem::path& PartsFolder() {
    static const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("nimbra_pducoder_fuzz_" + std::to_string(getpid()));
    return folder;
}

bool KnownKind(const std::string& kind) {
    return kind == nimbra::kTypeMessage || kind == nimbra::kTypeDeliveryReport ||
           kind == nimbra::kPduKindPass;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    nimbra::PduCodecOptions options;
    options.partsFolder = PartsFolder();
    options.convert7Bit = size % 2 == 0;
    nimbra::MemoryPduReferenceStore references;
    nimbra::TsmsPduCodec codec(references, options);

    const nimbra::PduDecodeResult result = codec.Decode(input, size % 3 == 0, size % 5 != 0);
    if (!KnownKind(result.kind))
        std::abort();
    if (result.kind != nimbra::kPduKindPass && !codec.IsPdu(input, false))
        std::abort();
    codec.IsPdu(input, true);
    codec.Unpack7Bit(input, static_cast<int>(size), size % 2 != 0);

    std::error_code error;
    std::filesystem::remove_all(PartsFolder(), error);
    return 0;
}
