#include "enginetext.h"

#include "codepage.h"
#include "unGSMSMS.h"
#include "unStrings.h"

namespace nimbra {

std::string EngineText(std::u16string_view text) {
    if (AnsiCanHold(text))
        return WideToAnsi(text);
    return "_UCS2_" + WideToHex(text);
}

std::string RecordForEngine(std::string_view utf8Record) {
    TGsmSms record;
    // Time fields the client left empty stay empty, so that the engine fills them itself.
    record.sentTime.clear();
    record.receivedTime.clear();
    record.created.clear();
    record.FromText(utf8Record);
    for (std::string TGsmSms::*field : kGsmSmsFields) {
        std::string& value = record.*field;
        value = field == &TGsmSms::text ? EngineText(Utf8ToWide(value)) : Utf8ToAnsi(value);
    }
    return record.ToText();
}

}  // namespace nimbra
