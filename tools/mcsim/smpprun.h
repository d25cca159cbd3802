#pragma once
// What the SMPP sessions of one run share: the sessions themselves, so that a receipt for a
// session bound as transmitter can go to a receiver bound with the same system_id, the
// message ids, which are unique across all sessions of the run, and the parts of submitted
// messages that wait for the rest.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <QString>

namespace mcsim {

class SmppSession;

class SmppRun {
public:
    // `startSecond`: the run's start in seconds since the epoch.
    explicit SmppRun(std::uint64_t startSecond);

    void Add(SmppSession* session);
    void Remove(SmppSession* session);
    // A session other than `except` that takes incoming messages and is bound as `systemId`;
    // null when there is none.
    SmppSession* ReceiverFor(const std::string& systemId, const SmppSession* except) const;

    // Ten upper-case hex digits: the start second, then a count that carries into it, so an id
    // never repeats within the run and a later run starts above the ids of an earlier one
    // unless that one handed out more than 256 a second.
    std::string NextMessageId();

    // Keeps the text of part `index` of `total` of the message `key`; the whole text once
    // every part has come.
    std::optional<QString> AddPart(const std::string& key, int total, int index, QString text);
    // The reference of the next concatenated message sent to a driver.
    std::uint8_t NextReference() { return ++reference_; }

private:
    std::vector<SmppSession*> sessions_;
    std::uint64_t nextId_;
    std::map<std::string, std::vector<std::optional<QString>>> parts_;
    std::uint8_t reference_ = 0;
};

}  // namespace mcsim
