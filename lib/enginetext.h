#pragma once

// Message texts on their way into the engine. The engine keeps text as code-page bytes; a
// text holding a character the code page lacks (Greek, Cyrillic, most emoji) is kept in the
// system's Unicode form instead, "_UCS2_" followed by four hexadecimal digits per UTF-16
// unit, so it reaches the network exactly as typed.

#include <string>
#include <string_view>

namespace nimbra {

// The code-page bytes of text when the code page holds every character, else "_UCS2_" and
// the hexadecimal UTF-16 units of the whole text.
std::string EngineText(std::u16string_view text);

// A GSMSMS record given in UTF-8 as the engine takes it: every field in the code page, the
// text in its EngineText form.
std::string RecordForEngine(std::string_view utf8Record);

}  // namespace nimbra
