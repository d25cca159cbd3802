#pragma once

// The scripts through which the message wall reads and writes its page. The page holds a form
// named "scroller" with the inputs "phonenum" (the sender) and "message" (the text); reading
// gives "__nb__exception" when the page has no such form or input.

#include <string>
#include <string_view>

namespace nimbra {

// Gives the value of the page's "message" input, or "__nb__exception".
extern const char16_t kReadWallScript[];
// Hides the page's scroll bars; does nothing on a page without a body.
extern const char16_t kHideScrollBarsScript[];

// Sets "phonenum" to sender and "message" to text, then tells the inputs with a "change"
// event; does nothing on a page without the form.
std::u16string PutMessageScript(std::u16string_view sender, std::u16string_view text);

// A script string literal that reads back as s, code unit for code unit: letters, digits and
// spaces as they are, every other unit as \uXXXX.
std::u16string ScriptStringLiteral(std::u16string_view s);

}  // namespace nimbra
