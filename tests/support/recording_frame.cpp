#include "recording_frame.h"

#include <algorithm>

namespace nimbra::testing_support {

void RecordingFrame::Note(std::string call) {
    std::lock_guard lock(mutex_);
    calls_.push_back(std::move(call));
}

void RecordingFrame::Log(std::string_view level, std::string_view line) {
    if (level == "1")
        Note("log:" + std::string(line));
}

std::vector<std::string> RecordingFrame::Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

bool RecordingFrame::Has(std::string_view call) const {
    return Count(call) > 0;
}

int RecordingFrame::Count(std::string_view call) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count(calls_.begin(), calls_.end(), call));
}

bool RecordingFrame::Logged(std::string_view prefix) const {
    const std::string wanted = "log:" + std::string(prefix);
    std::lock_guard lock(mutex_);
    return std::any_of(calls_.begin(), calls_.end(),
                       [&](const std::string& call) { return call.starts_with(wanted); });
}

bool RecordingFrame::AskedForRetry() const {
    return Has("arm retry") || Has("thread ended, reconnect") || Has("start retry timer");
}

std::string RecordingFrame::Shown() const {
    std::string shown;
    for (const std::string& call : Calls())
        shown += call + "\n";
    return shown;
}

}  // namespace nimbra::testing_support
