#include "wallscript.h"

namespace nimbra {

const char16_t kReadWallScript[] =
    u"(function () {"
    u"  try {"
    u"    var value = document.forms['scroller'].elements['message'].value;"
    u"    return typeof value === 'string' ? value : '__nb__exception';"
    u"  } catch (e) {"
    u"    return '__nb__exception';"
    u"  }"
    u"})()";

const char16_t kHideScrollBarsScript[] =
    u"(function () {"
    u"  try {"
    u"    document.body.style.overflowX = 'hidden';"
    u"    document.body.style.overflowY = 'hidden';"
    u"  } catch (e) {}"
    u"})()";

std::u16string PutMessageScript(std::u16string_view sender, std::u16string_view text) {
    return u"(function () {"
           u"  try {"
           u"    var form = document.forms['scroller'];"
           u"    var phonenum = form.elements['phonenum'];"
           u"    var message = form.elements['message'];"
           u"    phonenum.value = " +
           ScriptStringLiteral(sender) +
           u";"
           u"    message.value = " +
           ScriptStringLiteral(text) +
           u";"
           u"    phonenum.dispatchEvent(new Event('change', {bubbles: true}));"
           u"    message.dispatchEvent(new Event('change', {bubbles: true}));"
           u"  } catch (e) {}"
           u"})()";
}

std::u16string ScriptStringLiteral(std::u16string_view s) {
    static constexpr char16_t kHex[] = u"0123456789abcdef";
    std::u16string out = u"'";
    for (char16_t c : s) {
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
            c == u' ') {
            out.push_back(c);
        } else {
            out += u"\\u";
            for (int shift = 12; shift >= 0; shift -= 4)
                out.push_back(kHex[(c >> shift) & 0xF]);
        }
    }
    out.push_back(u'\'');
    return out;
}

}  // namespace nimbra
