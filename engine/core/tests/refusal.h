#pragma once
// What an administration request was refused with.
#include <functional>
#include <optional>
#include <string>

#include "adminrefusal.h"

namespace nimbra::testing_support {

// The text of the refusal, or nullopt when the operation was done.
inline std::optional<std::string> RefusalOf(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const AdminRefusal& refusal) {
        return refusal.what();
    }
    return std::nullopt;
}

}  // namespace nimbra::testing_support
