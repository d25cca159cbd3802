#include "backoff.h"

#include <algorithm>

namespace nimbra::smpp {

namespace {

constexpr int kMostStepSeconds = 3600;

std::vector<int> Parse(std::string_view text) {
    std::vector<int> steps;
    int value = -1;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : ',';
        if (c >= '0' && c <= '9') {
            value = std::max(value, 0) * 10 + (c - '0');
            if (value > kMostStepSeconds)
                return {};
        } else if (c == ',' || c == ' ') {
            if (value == 0)
                return {};
            if (value > 0)
                steps.push_back(value);
            value = -1;
        } else {
            return {};
        }
    }
    return steps;
}

}  // namespace

std::vector<int> ParseSteps(std::string_view text) {
    std::vector<int> steps = Parse(text);
    return steps.empty() ? Parse(kDefaultThrottleSteps) : steps;
}

int ThrottleBackoff::NextSeconds(std::string_view stepsText) {
    const std::vector<int> steps = ParseSteps(stepsText);
    const int seconds = steps[std::min(count_, steps.size() - 1)];
    ++count_;
    return seconds;
}

int BindRetrySeconds(int failures) {
    int seconds = kBindRetryFirstSeconds;
    for (int i = 1; i < failures && seconds < kBindRetryMostSeconds; ++i)
        seconds *= 2;
    return std::min(seconds, kBindRetryMostSeconds);
}

}  // namespace nimbra::smpp
