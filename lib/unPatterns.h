#pragma once

// Perl-style regular expressions on byte strings (each byte one character). An invalid
// pattern matches nothing and replaces nothing.

#include <string>
#include <string_view>

namespace nimbra {

// True when the pattern matches anywhere in s; false when either is empty.
bool RegexMatches(std::string_view pattern, std::string_view s);
// s cut at every match and the pieces joined with replacement (taken literally, no
// back-references); s unchanged when pattern or s is empty.
std::string RegexReplace(std::string_view pattern, std::string_view replacement,
                         std::string_view s);

}  // namespace nimbra
