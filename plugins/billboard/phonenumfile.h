#pragma once

// "phonenum.txt", which the message wall writes into its working folder for the page to
// read: the number senders should text to, as one line "topPhoneNumber=SMS:+" + the number
// with "+" written "%2B" and a space written "+" (the form of a URL query).

#include <string>
#include <string_view>

namespace nimbra {

inline constexpr char kPhoneNumFileName[] = "phonenum.txt";

// The file's line, without its line end.
std::string PhoneNumLine(std::string_view number);

}  // namespace nimbra
