// Any bytes read as a stored message file (".sms") load without fault, and a message that
// loaded gives its record and the record's text form without fault.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "notifier.h"
#include "sms.h"
#include "smsenvironment.h"

namespace {

// A file that lacks its creation line is written again; the fuzzer's path cannot be written,
// and the operator message about it goes nowhere.
class SilentNotifier : public nimbra::Notifier {
public:
    void ShowMessage(const std::string&) override {}
};

constexpr char kUnwritablePath[] = "/proc/nimbra-fuzz/1_message.sms";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    static SilentNotifier notifier;
    static nimbra::SmsEnvironment env = [] {
        nimbra::SmsEnvironment e;
        e.notifier = &notifier;
        e.clock = [] { return nimbra::TDateTime(45000.5); };
        return e;
    }();

    nimbra::TSms message(env);
    if (!message.LoadText(kUnwritablePath, input))
        return 0;
    // What the engine makes of a loaded message: its record and the record's text form.
    const nimbra::TGsmSms record = message.ToRecord();
    nimbra::TGsmSms again(0.0);
    again.FromText(record.ToText());
    return 0;
}
