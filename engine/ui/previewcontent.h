#pragma once
// What the preview shows of a message, in plain C++.
#include <string>

#include "addressbook.h"
#include "sms.h"

namespace nimbra::ui {

// Messages whose operator is this are picture messages: "<picture path>;<caption>".
inline constexpr const char* kPictureOperator = "mms";

struct PreviewContent {
    std::string from;
    std::string to;
    std::string note;
    std::string date;
    // Empty when they do not apply.
    std::string operatorName;
    std::string reference;
    std::string messageId;  // idSource + ": " + messageId
    bool unicode = false;
    std::u16string text;
    // Picture messages only.
    std::string picturePath;
};

// In outgoing folders "From:" goes through the address book and the note is the
// destination's, "Date:" the received time; in other folders "To:" goes through the address
// book and the note is the originator's, "Date:" the sent time. book may be null.
PreviewContent PreviewOf(const TSms& message, bool outgoing, const TAddressBook* book);

}  // namespace nimbra::ui
