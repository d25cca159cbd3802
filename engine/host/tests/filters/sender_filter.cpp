// An incoming message filter for tests: rewrites the sender of a message record to
// "+10000000000"; any other text passes unchanged.

#include <string>

#include "filter_text.h"

namespace {

constexpr char kSender[] = "+10000000000";

std::string WithSender(std::string message) {
    std::size_t begin = 0;
    std::size_t end = 0;
    if (nimbra::test_filters::FindRecordField(message, nimbra::test_filters::kSenderField, begin,
                                              end))
        message.replace(begin, end - begin, kSender);
    return message;
}

}  // namespace

extern "C" {

void filterInit() {}

const char* filterMessage(const char* message) {
    return nimbra::test_filters::NewFilterText(WithSender(message ? message : ""));
}

void freeFilterMessage(const char* message) {
    nimbra::test_filters::DeleteFilterText(message);
}

void ShowConfigForm() {}

void filterFree() {}
}
