#include "clientsinks.h"

#include "unStrings.h"

namespace nimbra {

int MessageIdNumber(const std::string& messageId) {
    int number = 0;
    return ParseInt32(messageId, number) ? number : 0;
}

}  // namespace nimbra
