#pragma once
// How long the link waits before it tries again: submits pause after busy answers from the
// message centre (steps a setting gives, 1 s doubling to 30 s unless it says otherwise), and
// a refused bind is tried again after 15 s, 30 s, 60 s, ... at most 5 minutes.

#include <cstddef>
#include <string_view>
#include <vector>

namespace nimbra::smpp {

inline constexpr std::string_view kDefaultThrottleSteps = "1,2,4,8,16,30";

// Whole seconds, separated by commas or blanks, each 1 to 3600. Anything else gives the
// default steps.
std::vector<int> ParseSteps(std::string_view text);

// The pause after the n-th busy answer in a row (from 0): the steps in turn, then the last.
class ThrottleBackoff {
public:
    int NextSeconds(std::string_view steps);
    void Reset() { count_ = 0; }

private:
    std::size_t count_ = 0;
};

// Seconds before the next bind after `failures` binds in a row failed (from 1): 15, 30, 60,
// ... at most 300.
inline constexpr int kBindRetryFirstSeconds = 15;
inline constexpr int kBindRetryMostSeconds = 300;
int BindRetrySeconds(int failures);

}  // namespace nimbra::smpp
