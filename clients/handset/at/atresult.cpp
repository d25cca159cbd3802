#include "atresult.h"

namespace nimbra::handset {

namespace {

bool Has(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// Position of part from 1, or 0 when absent.
std::size_t PositionOf(std::string_view text, std::string_view part) {
    const std::size_t at = text.find(part);
    return at == std::string_view::npos ? 0 : at + 1;
}

}  // namespace

std::string DeriveResult(std::string_view received) {
    std::string_view result = kResultNone;
    if (Has(received, "\n>") || Has(received, "\r>"))
        result = kResultLine;
    if (Has(received, "\nOK\r") || Has(received, "\rOK\r") || Has(received, "\r+CMGS: ") ||
        Has(received, "\n+CMGS: "))
        result = kResultOk;
    if (Has(received, "\nERROR\r"))
        result = kResultError;
    if (Has(received, "\n+CMS ERROR"))
        result = kResultCmsError;
    const std::size_t ok = PositionOf(received, "\nOK\r");
    const std::size_t cmsError = PositionOf(received, "\n+CMS ERROR");
    const std::size_t error = PositionOf(received, "\nERROR\r");
    // An error text counts against the OK only when it came after it.
    if (ok > 0 && cmsError < ok && error < ok)
        result = kResultOk;
    return std::string(result);
}

}  // namespace nimbra::handset
