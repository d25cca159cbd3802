#pragma once
// The final result of an AT command, derived from everything the device answered since the
// command went out. Each rule may override the one before it: the send prompt, then OK (or a
// message reference, which only comes with success), then the two error texts; an OK that
// came after every error text present wins (an error left over from before), an error that
// came after the first OK keeps the error.

#include <string>
#include <string_view>

namespace nimbra::handset {

inline constexpr std::string_view kResultNone = "NONE";
inline constexpr std::string_view kResultOk = "OK";
inline constexpr std::string_view kResultError = "ERROR";
inline constexpr std::string_view kResultCmsError = "CMSERROR";
inline constexpr std::string_view kResultLine = "LINE";
inline constexpr std::string_view kResultTimeout = "TIMEOUT";

std::string DeriveResult(std::string_view received);

}  // namespace nimbra::handset
