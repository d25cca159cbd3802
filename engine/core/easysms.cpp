#include "easysms.h"

#include <stdexcept>

#include <memory>
#include <vector>

#include "engine.h"
#include "unStrings.h"

namespace nimbra {

namespace {

// Characters of one part of a text.
constexpr std::size_t kPartLength = 160;
constexpr std::string_view kUcs2Marker = "_UCS2_";

bool IsValidNumber(const std::string& entry) {
    return !NormalizePhoneNumber(entry).empty();
}

// The text without line breaks in parts of kPartLength characters, the rest last; an empty
// text is one space. A text of line breaks only gives no part.
std::vector<std::string> SplitParts(const std::string& text) {
    const std::string source = text.empty() ? std::string(" ") : text;
    std::vector<std::string> parts;
    std::string part;
    for (const char c : source) {
        if (c == '\r' || c == '\n')
            continue;
        part += c;
        if (part.size() == kPartLength) {
            parts.push_back(part);
            part.clear();
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

// A "_UCS2_" text cut the same way by its characters, not by its hexadecimal digits; every
// part is a "_UCS2_" text of its own. A character written as two UTF-16 units (an emoji)
// is never cut in two.
std::vector<std::string> SplitUnicodeParts(std::string_view hex) {
    std::vector<std::string> parts;
    std::u16string part;
    for (const char16_t c : HexToWide(hex)) {
        if (c == u'\r' || c == u'\n')
            continue;
        part += c;
        if (part.size() < kPartLength)
            continue;
        std::u16string carried;
        if (part.back() >= 0xD800 && part.back() <= 0xDBFF) {
            carried = part.back();
            part.pop_back();
        }
        parts.push_back(std::string(kUcs2Marker) + WideToHex(part));
        part = carried;
    }
    if (!part.empty())
        parts.push_back(std::string(kUcs2Marker) + WideToHex(part));
    return parts;
}

}  // namespace

void TnbEasySMS::SetSink(EasySmsEventSink* sink) {
    sink_.Set(sink);
}

void TnbEasySMS::Release() {
    sink_.Release();
}

void TnbEasySMS::startServer() {
    // One more than the objects of this kind the engine holds, this one among them.
    name = "easysmscom " + std::to_string(engine_.CountClients<TnbEasySMS>() + 1);
    if (engine_.StartAvailable())
        engine_.StartbtnClick(true);
    else
        RaiseError(5, kAlreadyRunningText, 0);
}

void TnbEasySMS::stopServer() {
    if (engine_.StopAvailable())
        engine_.StopbtnClick();
    else
        RaiseError(6, kNotRunningText, 0);
}

std::string TnbEasySMS::sendMessage(const std::string& phonenum, const std::string& messagetext) {
    std::vector<std::string> recipients;
    std::string entry;
    for (const char c : phonenum) {
        if (c != ',' && c != ';') {
            entry += c;
            continue;
        }
        if (IsValidNumber(entry))
            recipients.push_back(entry);
        else
            RaiseError(3, kInvalidNumberText + entry, 0);
        entry.clear();
    }
    if (entry.size() > 1 && IsValidNumber(entry))
        recipients.push_back(entry);

    const std::vector<std::string> parts =
        messagetext.starts_with(kUcs2Marker)
            ? SplitUnicodeParts(std::string_view(messagetext).substr(kUcs2Marker.size()))
            : SplitParts(messagetext);
    std::string lastId;
    TSmsQueue& outbox = engine_.Queue(SystemFolder::Outbox);
    for (const std::string& recipient : recipients) {
        for (const std::string& part : parts) {
            auto message = std::make_unique<TSms>(engine_.Sms());
            message->SetFrom(recipient);
            message->SetTo(recipient);
            message->text = part;
            const std::string id = message->messageId;
            // The messages queued before stay; the caller learns that this one failed.
            if (!TSms::QueueForSending(std::move(message), outbox))
                throw std::runtime_error("The message to " + recipient +
                                         " could not be written to the Outbox");
            lastId = id;
        }
    }
    if (recipients.empty())
        RaiseError(4, kNoRecipientText, 0);
    return lastId;
}

void TnbEasySMS::RaiseError(int code, const std::string& text, int param) {
    if (sink_)
        sink_->Error(code, text, param);
}

void TnbEasySMS::ServerStarted() {
    if (sink_)
        sink_->ServerStarted();
}

void TnbEasySMS::ServerStopped() {
    if (sink_)
        sink_->ServerStopped();
}

void TnbEasySMS::MessageSent(const std::string& messageId) {
    if (sink_)
        sink_->MessageSent(messageId);
}

void TnbEasySMS::MessageReceived(const std::string& messageId) {
    if (!sink_)
        return;
    const TqueueManager::Location found = engine_.Queues().LocateMessage(messageId);
    if (found.message)
        sink_->MessageReceived(found.message->from, found.message->text);
}

void TnbEasySMS::MessageDeleted(const std::string& messageId) {
    RaiseError(7, kCouldNotBeSentText, MessageIdNumber(messageId));
}

void TnbEasySMS::SendAttemptFailed(const std::string& messageId, int code) {
    RaiseError(code, kRetryErrorText, MessageIdNumber(messageId));
}

void TnbEasySMS::MessageDelivered(const std::string& messageId) {
    RaiseError(7, kDeliveredText, MessageIdNumber(messageId));
}

}  // namespace nimbra
