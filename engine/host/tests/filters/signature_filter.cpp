// An outgoing message filter for tests: appends a signature to the message text. A message
// record gets it at the end of its text field; any other text at its end.

#include <string>

#include "filter_text.h"

namespace {

constexpr char kSignature[] = " -- sent by Nimbra";

std::string Signed(std::string message) {
    std::size_t begin = 0;
    std::size_t end = 0;
    if (!nimbra::test_filters::FindRecordField(message, nimbra::test_filters::kTextField, begin,
                                               end))
        return message + kSignature;
    return message.insert(end, kSignature);
}

}  // namespace

extern "C" {

void filterInit() {}

const char* filterMessage(const char* message) {
    return nimbra::test_filters::NewFilterText(Signed(message ? message : ""));
}

void freeFilterMessage(const char* message) {
    nimbra::test_filters::DeleteFilterText(message);
}

void ShowConfigForm() {}

void filterFree() {}
}
