#include "manual_host.h"

#include <filesystem>

namespace nimbra::testing_support {

namespace fs = std::filesystem;

namespace {

class ManualFilterLibrary final : public FilterLibrary {
public:
    explicit ManualFilterLibrary(FilterEntries entries) : entries_(entries) {}
    FilterEntries Entries() const override { return entries_; }

private:
    FilterEntries entries_;
};

}  // namespace

std::unique_ptr<EngineTimer> ManualHost::CreateTimer(std::function<void()> action,
                                                     bool singleShot) {
    auto timer = std::make_unique<ManualTimer>(std::move(action), singleShot);
    timers.push_back(timer.get());
    return timer;
}

std::unique_ptr<FilterLibrary> ManualHost::LoadFilterLibrary(const std::string& path,
                                                             std::string& error) {
    const auto found = libraries.find(fs::path(path).filename().string());
    if (found == libraries.end()) {
        error = "not a library";
        return nullptr;
    }
    return std::make_unique<ManualFilterLibrary>(found->second);
}

void ManualHost::RunPosted() {
    while (!posted.empty()) {
        auto action = std::move(posted.front());
        posted.pop_front();
        action();
    }
}

void RecordingDevice::Transmit(const std::string& record) {
    events.push_back("Transmit");
    TGsmSms sms;
    sms.FromText(record);
    transmitted.push_back(sms);
    if (answer)
        answer(sms);
}

}  // namespace nimbra::testing_support
