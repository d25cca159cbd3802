#pragma once
// A value crossing the automation interface: empty (never set), a 32-bit integer or a text.
// Results an operation does not set stay empty.
#include <string>
#include <variant>

namespace nimbra {

using AutoValue = std::variant<std::monostate, int, std::string>;

inline bool IsEmpty(const AutoValue& value) {
    return std::holds_alternative<std::monostate>(value);
}

// The status result of an operation: 1 done, 0 not done.
inline AutoValue Status(bool done) {
    return AutoValue(done ? 1 : 0);
}

}  // namespace nimbra
