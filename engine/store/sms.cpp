#include "sms.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>
#include <vector>

#include "atomicfile.h"
#include "durablewrites.h"
#include "unStrings.h"

namespace nimbra {
namespace {

// Removes a message file; tells the operator when it stays.
void RemoveMessageFile(SmsEnvironment& env, const std::string& file) {
    std::error_code ec;
    if (std::filesystem::remove(file, ec) || !ec)
        return;
    if (std::filesystem::exists(file, ec))
        env.Notify("Could not delete " + file);
}

constexpr std::size_t kNamePartLimit = 40;
constexpr std::size_t kCreatedLine = 18;
constexpr std::size_t kMinimumLines = 12;

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

TSms::TSms(SmsEnvironment& env) : TSms(env, env.CurrentTime()) {}

TSms::TSms(SmsEnvironment& env, TDateTime now)
    : receivedTime(NowText(now)),
      retriesLeft(env.retries),
      sentTime(receivedTime),
      type(kTypeMessage),
      messageId(env.NewMessageId()),
      created(LocalEpochSeconds(now)),
      env_(env) {}

std::string TSms::DisplayForm(const std::string& s) const {
    if (s.find('(') != std::string::npos || !env_.addressBook)
        return TrimBlanks(s);
    return env_.addressBook->DisplayName(s);
}

void TSms::SetFrom(const std::string& s) {
    from = DisplayForm(s);
}

void TSms::SetTo(const std::string& s) {
    to = DisplayForm(s);
}

void TSms::SetPath(const std::string& p) {
    path = FilterPathChars(p);
}

TGsmSms TSms::ToRecord() const {
    TGsmSms record(env_.CurrentTime());
    record.type = type;
    record.operatorName = operatorName;
    record.sender = from;
    record.receiver = NormalizePhoneNumber(to);
    record.text = text;
    record.messageId = messageId;
    record.extra = extra;
    record.idSource = idSource;
    record.sentTime = sentTime;
    record.receivedTime = receivedTime;
    record.created = std::to_string(created);
    return record;
}

void TSms::FromRecord(TGsmSms& record) {
    type = record.type;
    operatorName = record.operatorName;
    SetFrom(record.sender);
    SetTo(record.receiver);
    text = record.text;
    messageId = record.messageId;
    extra = record.extra;
    idSource = record.idSource;
    sentTime = record.sentTime;
    receivedTime = record.receivedTime;
    if (record.created.empty()) {
        // Without a creation time the message counts as created now, not in 1970, where
        // the store's housekeeping would take it for ancient.
        record.created = "0";
        return;
    }
    std::int64_t value = 0;
    if (ParseInt64(record.created, value))
        created = value;
}

bool TSms::WriteFile(const std::string& target) const {
    std::string content;
    content.reserve(from.size() + to.size() + text.size() + receivedTime.size() + sentTime.size() +
                    type.size() + reference.size() + spare1.size() + spare2.size() + spare3.size() +
                    messageId.size() + extra.size() + idSource.size() + operatorName.size() + 100);
    for (const std::string& line :
         {from, to, text, receivedTime, std::to_string(retriesLeft), sentTime, type, reference,
          spare1, std::string(), spare2, std::to_string(iconIndex), spare3, messageId, extra,
          idSource, operatorName, std::to_string(created)}) {
        content += line;
        content += "\r\n";
    }

    // A stored message is acknowledged to whoever handed it over: it goes to the disk before
    // they hear of it. The process's durable writes let the messages of one burst share the
    // flushes; a failure found only then is told like a failed save.
    SmsEnvironment* env = &env_;
    return ProcessDurableWrites().Write(
        target, content, [env, target] { env->Notify("Could not save SMS message: " + target); });
}

bool TSms::Save(const std::string& p) {
    // Line breaks would split a field over two lines and shift every line after it, so
    // they are dropped from every field, not only from the text.
    for (std::string* field :
         {&from, &to, &text, &receivedTime, &sentTime, &type, &reference, &spare1, &spare2, &spare3,
          &messageId, &extra, &idSource, &operatorName}) {
        std::erase_if(*field, [](char c) { return c == '\r' || c == '\n'; });
    }
    SetPath(p);
    if (WriteFile(path))
        return true;
    env_.Notify("Could not save SMS message: " + path);
    return false;
}

bool TSms::Load(const std::string& p) {
    SetPath(p);
    // A file that waits for its commit is not at its path yet.
    ProcessDurableWrites().Commit();
    std::string content;
    if (!ReadWholeFile(path, content))
        return false;
    return LoadText(path, content);
}

bool TSms::LoadText(const std::string& p, std::string_view content) {
    SetPath(p);
    const std::vector<std::string_view> lines = TextLines(content);
    const auto line = [&lines](std::size_t n) { return std::string(lines[n - 1]); };
    const std::size_t count = lines.size();

    // Lines 1 and 2 go through SetFrom/SetTo, the numeric lines are read below.
    std::string* const textLines[] = {nullptr,   nullptr,      &text,      &receivedTime, nullptr,
                                      &sentTime, &type,        &reference, &spare1,       nullptr,
                                      &spare2,   nullptr,      &spare3,    &messageId,    &extra,
                                      &idSource, &operatorName};
    for (std::size_t n = 1; n <= std::min<std::size_t>(count, 17); ++n) {
        if (textLines[n - 1])
            *textLines[n - 1] = line(n);
    }
    if (count >= 1)
        SetFrom(line(1));
    if (count >= 2)
        SetTo(line(2));
    if (count >= 5) {
        if (lines[4].empty()) {
            retriesLeft = kDefaultStoredRetries;
        } else if (!ParseInt32(lines[4], retriesLeft)) {
            return false;
        }
    }
    if (count < kMinimumLines || !ParseInt32(lines[11], iconIndex))
        return false;

    if (count < kCreatedLine || lines[kCreatedLine - 1].empty()) {
        // Files of older versions have no creation line: stamp them now and upgrade them.
        created = LocalEpochSeconds(env_.CurrentTime());
        Save(path);
        return true;
    }
    // Written as a 64-bit number, so read as one: times after 2038-01-19 03:14:07 need it.
    return ParseInt64(lines[kCreatedLine - 1], created);
}

std::unique_ptr<TSms> TSms::Clone() const {
    auto copy = std::make_unique<TSms>(env_);
    copy->from = from;
    copy->to = to;
    copy->text = text;
    copy->receivedTime = receivedTime;
    copy->retriesLeft = retriesLeft;
    copy->sentTime = sentTime;
    copy->type = type;
    copy->reference = reference;
    copy->spare1 = spare1;
    copy->spare2 = spare2;
    copy->iconIndex = iconIndex;
    copy->spare3 = spare3;
    copy->messageId = messageId;
    copy->extra = extra;
    copy->idSource = idSource;
    copy->operatorName = operatorName;
    copy->created = created;
    copy->path = path;
    copy->listId = listId;
    copy->busy_ = IsBusy();
    return copy;
}

bool TSms::FileExists() const {
    // A file that waits for its commit is there as soon as the commit is done; asking does
    // not wait for the flush (the scheduler asks for every message it hands over).
    DurableWrites& writes = ProcessDurableWrites();
    if (writes.Flushing()) {
        if (writes.IsStaged(path))
            return true;
    } else {
        writes.Commit();
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    std::fclose(file);
    return true;
}

void TSms::DeleteFile() {
    if (path.empty())
        return;
    // Whatever was written before, a moved message's copy above all, reaches the disk
    // before the file goes. With the flusher running the file goes once the flusher has
    // committed those writes, so that the moves of a burst share their flushes instead of
    // each waiting for its own; when the last of them (the copy) could not be put in place,
    // the file stays, and the message with it.
    DurableWrites& writes = ProcessDurableWrites();
    if (writes.Flushing() && writes.Pending()) {
        const std::size_t last = writes.WriteCount();
        writes.WhenCommitted(last > 0 ? last - 1 : 0, last,
                             [file = path, &env = env_](bool stored) {
                                 if (stored)
                                     RemoveMessageFile(env, file);
                             });
        writes.CommitSoon();
        return;
    }
    writes.Commit();
    RemoveMessageFile(env_, path);
}

std::string TSms::NewFileName() {
    const std::string source = from + "_" + to + "_" + NowText(env_.CurrentTime());
    std::string name;
    for (char c : source) {
        if (name.size() >= kNamePartLimit)
            break;
        const bool kept = (c >= '0' && c <= '9') || c == '+' || IsAsciiLetter(c);
        name.push_back(kept ? c : '_');
    }
    ++env_.fileCounter;  // 16 bits: wraps from 65535 to 0
    return std::to_string(env_.fileCounter) + "_" + name + ".sms";
}

std::string TSms::FreshPathIn(const std::string& directory) {
    std::string candidate;
    std::error_code ec;
    for (int attempt = 0; attempt <= 0xFFFF; ++attempt) {
        candidate = directory + NewFileName();
        if (!std::filesystem::exists(candidate, ec) && !ec &&
            !ProcessDurableWrites().IsStaged(candidate))
            break;
    }
    return candidate;
}

bool TSms::TryLock() {
    std::lock_guard<std::mutex> guard(lock_);
    if (busy_)
        return false;
    busy_ = true;
    return true;
}

void TSms::Unlock() {
    std::lock_guard<std::mutex> guard(lock_);
    busy_ = false;
}

bool TSms::IsBusy() const {
    std::lock_guard<std::mutex> guard(lock_);
    return busy_;
}

std::string TSms::ListLine() const {
    std::string line;
    for (const std::string* part : {&from, &to, &receivedTime}) {
        if (!part->empty())
            line += *part + " ";
    }
    line += type == kTypeDeliveryReport ? std::string("Message Delivered") : text;
    return line;
}

}  // namespace nimbra
