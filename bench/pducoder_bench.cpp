// Throughput of the PDU codec: one single-part submit encoded, one deliver decoded. A codec is
// made for each operation, as the drivers do.

#include <benchmark/benchmark.h>

#include <string>

#include "pducoder.h"

namespace {

using namespace nimbra;

constexpr std::string_view kText =
    "Meeting moved to 15:30 in room B2, see you there. Bring the quarterly figures, please!";

void BM_PduEncodeSubmit(benchmark::State& state) {
    MemoryPduReferenceStore references;
    const PduCodecOptions options;
    const std::string text = std::string(kText) + " Thanks, Anna";  // about 100 characters
    for (auto _ : state) {
        TsmsPduCodec codec(references, options);
        PduSubmit submit = codec.EncodeSubmit("+491701234567", "", text, 1, 1, true);
        benchmark::DoNotOptimize(submit);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PduEncodeSubmit);

void BM_PduDecodeDeliver(benchmark::State& state) {
    MemoryPduReferenceStore references;
    const PduCodecOptions options;
    // The submit's user data behind a deliver header: SMSC (07919471000010F0), first octet
    // (04), originator, PID and DCS (0000), time stamp (50302101020340).
    const std::string address = TsmsPduCodec::EncodeAddress("+491701234567", true);
    const std::string submit =
        TsmsPduCodec(references, options).EncodeSubmit("+491701234567", "", kText, 1, 1, false).pdu;
    const std::string pdu = "07919471000010F004" + address + "000050302101020340" +
                            submit.substr(6 + address.size() + 4);
    if (TsmsPduCodec(references, options).Decode(pdu, true, true).text != kText)
        state.SkipWithError("the deliver does not decode to its text");
    for (auto _ : state) {
        TsmsPduCodec codec(references, options);
        PduDecodeResult result = codec.Decode(pdu, true, true);
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PduDecodeDeliver);

}  // namespace

BENCHMARK_MAIN();
