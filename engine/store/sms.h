#pragma once

// The engine's own form of a message: one object per message in a folder queue, backed by
// exactly one ".sms" text file of 18 CR LF lines in that folder's directory. The folder a
// file lies in is the message's state; the file itself carries no state word.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "smsenvironment.h"
#include "unGSMSMS.h"

namespace nimbra {

class TSmsQueue;

inline constexpr int kIconNew = 0;
inline constexpr int kIconRepliedTo = 2;
inline constexpr int kIconForwarded = 3;
inline constexpr int kIconDeliveryConfirmed = 12;

// retriesLeft of a stored message whose retry line is empty.
inline constexpr int kDefaultStoredRetries = 6;

class TSms {
public:
    // A new message with the defaults: fresh message id, current times, the engine's retry
    // count. The environment must outlive the message.
    explicit TSms(SmsEnvironment& env);
    TSms(const TSms&) = delete;
    TSms& operator=(const TSms&) = delete;

    // Addresses are kept in display form: text with "(" is only trimmed, anything else is
    // looked up in the address book.
    void SetFrom(const std::string& s);
    void SetTo(const std::string& s);
    void SetPath(const std::string& p);

    TGsmSms ToRecord() const;
    // Copies the record's fields; an empty `created` keeps the message's own and is written
    // back into the record as "0".
    void FromRecord(TGsmSms& record);

    // Writes the file through a temporary file renamed over the target, after dropping line
    // breaks from every field; on failure the operator is told.
    bool Save(const std::string& p);
    // Reads the file; false when it cannot be read, holds a bad number or has under 12 lines.
    // A file without the creation line gets created = now and is written again.
    bool Load(const std::string& p);
    // Load from the file's content, read elsewhere (on another thread).
    bool LoadText(const std::string& p, std::string_view content);
    std::unique_ptr<TSms> Clone() const;
    bool FileExists() const;
    // Removes the file; when it exists and cannot be removed the operator is told.
    void DeleteFile();
    // A fresh, readable file name: counter + "_" + at most 40 characters + ".sms".
    std::string NewFileName();
    // directory + a NewFileName that no file there has yet. The counter starts again every
    // run and the name part is cut short, so a bare NewFileName may be taken already.
    std::string FreshPathIn(const std::string& directory);

    // Test-and-set of busy: true when this call set it.
    bool TryLock();
    void Unlock();
    bool IsBusy() const;

    // One-line text of the message for logs.
    std::string ListLine() const;

    // Fills empty time fields with now and an empty message id with a fresh one, adds the
    // message to outbox (which saves it) and traces it to the "main" status slot. False when
    // the message file could not be written; the outbox then does not keep the message.
    static bool QueueForSending(std::unique_ptr<TSms> message, TSmsQueue& outbox);

    std::string from;
    std::string to;
    std::string text;
    std::string receivedTime;
    int retriesLeft;
    std::string sentTime;
    std::string type;
    std::string reference;
    std::string spare1;
    std::string spare2;
    int iconIndex = kIconNew;
    std::string spare3;
    std::string messageId;
    std::string extra;
    std::string idSource;
    std::string operatorName;
    std::int64_t created;
    std::string path;
    int listId = 0;

private:
    TSms(SmsEnvironment& env, TDateTime now);
    std::string DisplayForm(const std::string& s) const;
    bool WriteFile(const std::string& target) const;

    SmsEnvironment& env_;
    bool busy_ = false;
    mutable std::mutex lock_;
};

}  // namespace nimbra
