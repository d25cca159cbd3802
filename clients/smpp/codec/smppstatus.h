#pragma once
// The command_status values of SMPP 3.4 by name, for the log, and the statuses that only say
// "not now": the message centre is throttling, its queue is full or it has a passing fault.

#include <cstdint>
#include <string>
#include <string_view>

namespace nimbra::smpp {

inline constexpr std::uint32_t kStatusInvalidCommandId = 0x00000003;
inline constexpr std::uint32_t kStatusSystemError = 0x00000008;
inline constexpr std::uint32_t kStatusMessageQueueFull = 0x00000014;
inline constexpr std::uint32_t kStatusInvalidPassword = 0x0000000E;
inline constexpr std::uint32_t kStatusInvalidSystemId = 0x0000000F;
inline constexpr std::uint32_t kStatusThrottled = 0x00000058;

// "ESME_RTHROTTLED"; "vendor specific" for 0x400 to 0x4FF; "unknown" otherwise.
std::string_view StatusName(std::uint32_t status);
// "0x00000058 ESME_RTHROTTLED".
std::string StatusText(std::uint32_t status);

// ESME_RTHROTTLED, ESME_RMSGQFUL and ESME_RSYSERR: try again later, the message is not at fault.
bool IsTemporaryRefusal(std::uint32_t status);
// ESME_RINVPASWD and ESME_RINVSYSID: a bind that no retry will mend.
bool IsWrongLogin(std::uint32_t status);

}  // namespace nimbra::smpp
