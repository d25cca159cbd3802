#pragma once
// Running nbsms, the built program, to its end in the tests.

#include <chrono>
#include <optional>
#include <string>

#include "child_process.h"

namespace nimbra::testing_support {

inline constexpr std::chrono::seconds kNbsmsTimeout{20};

struct Outcome {
    std::optional<int> exitCode;
    std::string output;
    std::string errors;
};

// Runs the program and waits for its end (a test failure when it does not end in time).
Outcome RunToEnd(const ChildProcess::Options& options);

inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace nimbra::testing_support
