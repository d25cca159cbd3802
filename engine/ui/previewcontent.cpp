#include "previewcontent.h"

#include "listcells.h"
#include "unStrings.h"

namespace nimbra::ui {
namespace {

std::string ThroughBook(const TAddressBook* book, const std::string& address) {
    return book ? book->DisplayName(address) : address;
}

std::string NoteFor(const TAddressBook* book, const std::string& address) {
    return book ? book->NoteOf(TextInParentheses(address)) : std::string();
}

}  // namespace

PreviewContent PreviewOf(const TSms& message, bool outgoing, const TAddressBook* book) {
    PreviewContent content;
    if (outgoing) {
        content.from = ThroughBook(book, message.from);
        content.to = message.to;
        content.date = message.receivedTime;
        content.note = NoteFor(book, message.to);
    } else {
        content.from = message.from;
        content.to = ThroughBook(book, message.to);
        content.date = message.sentTime;
        content.note = NoteFor(book, message.from);
    }
    content.operatorName = message.operatorName;
    content.reference = message.reference;
    if (!message.idSource.empty() && !message.messageId.empty())
        content.messageId = message.idSource + ": " + message.messageId;

    std::string text = message.text;
    if (message.operatorName == kPictureOperator) {
        const std::size_t split = text.find(';');
        content.picturePath = text.substr(0, split);
        text = split == std::string::npos ? std::string() : text.substr(split + 1);
    }
    content.unicode = IsUnicodeText(text);
    content.text = DecodedText(text);
    return content;
}

}  // namespace nimbra::ui
