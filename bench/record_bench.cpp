// Throughput of the message record's text form and of the stored message file.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "sms.h"
#include "unGSMSMS.h"

namespace {

using namespace nimbra;

TGsmSms TypicalRecord() {
    TGsmSms record;
    record.operatorName = "smpp1";
    record.sender = "+4930123456";
    record.receiver = "+491701234567";
    record.text = "Meeting moved to 15:30 in room {B}, see you there \\o/ - Anna";
    record.messageId = "482019374";
    record.reference = "0A1B2C3D";
    return record;
}

void BM_RecordRoundTrip(benchmark::State& state) {
    const std::string text = TypicalRecord().ToText();
    TGsmSms record;
    for (auto _ : state) {
        record.FromText(text);
        std::string out = record.ToText();
        benchmark::DoNotOptimize(out);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_RecordRoundTrip);

void BM_SmsSaveLoad(benchmark::State& state) {
    const auto dir = std::filesystem::temp_directory_path() / "nimbra-bench-sms";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "1_bench.sms").string();
    SmsEnvironment env;
    TSms message(env);
    TGsmSms record = TypicalRecord();
    message.FromRecord(record);
    TSms loaded(env);
    for (auto _ : state) {
        message.Save(path);
        benchmark::DoNotOptimize(loaded.Load(path));
    }
    state.SetItemsProcessed(state.iterations());
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_SmsSaveLoad);

}  // namespace

BENCHMARK_MAIN();
