#pragma once
// A protocol client's surroundings for tests: a clock that moves only when slept on and runs
// actions scheduled at fake times, a transport playing a script of arrivals and replies
// against that clock, preference fields in a map, and events recorded in order.

#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "linkinterfaces.h"
#include "unGSMSMS.h"

namespace nimbra::testing_support {

// 2004-03-17 09:05:41 local time.
inline constexpr long long kBaseSeconds = 1079514341;

class FakeClock : public driver::LinkClock {
public:
    long long Now() override { return kBaseSeconds + ms / 1000; }
    long long ElapsedMs() override { return kBaseSeconds * 1000 + ms; }
    // Advances the time and runs the actions that became due. Throws past two hours of fake
    // time, so that a loop that never ends fails its test instead of hanging it.
    void Sleep(int sleepMs) override;
    void At(long long atMs, std::function<void()> action);

    long long ms = 0;

private:
    std::multimap<long long, std::function<void()>> actions_;
};

class ScriptedTransport : public driver::ByteTransport {
public:
    explicit ScriptedTransport(FakeClock& clock) : clock_(clock) {}

    // `bytes` arrive at fake time atMs.
    void Arrive(long long atMs, std::string bytes);
    // The peer closes the link at atMs.
    void CloseAt(long long atMs);
    // `bytes` arrive at atMs and the peer closes the link right after them: as on a TCP
    // link, the read that brings them succeeds and leaves the link closed.
    void ArriveAndClose(long long atMs, std::string bytes);
    using WriteMatch = std::function<bool(std::string_view bytes)>;
    // The first write that `matches` is answered by `reply`, delayMs later.
    void ReplyWhen(WriteMatch matches, std::string reply, int delayMs = 100);
    // The first write that starts with `prefix` is answered by `reply`, delayMs later.
    void ReplyTo(std::string prefix, std::string reply, int delayMs = 100);
    // The first write that `matches` is answered by what `answer` makes of it.
    using Answer = std::function<std::string(std::string_view request)>;
    void AnswerWhen(WriteMatch matches, Answer answer, int delayMs = 100);
    // Every further write fails.
    void FailWrites() { failWrites_ = true; }
    // A read with nothing to deliver waits as a socket does: the clock moves on to the next
    // arrival or by the read's wait, whichever comes first. Off: reads never move the clock.
    bool readsWait = false;

    bool Read(std::string& into, int waitMs) override;
    bool Write(std::string_view bytes) override;
    bool IsUp() const override { return up_; }
    void Close() override;

    struct Written {
        long long atMs;
        std::string bytes;
    };
    std::vector<Written> written;
    // Everything written, in order.
    std::string AllWritten() const;
    // Fake time of the first write starting with `prefix`; -1 when there was none.
    long long FirstWriteAt(std::string_view prefix) const;
    int closedByClient = 0;

private:
    enum class Ending { kNone, kNextRead, kWithBytes };
    struct Arrival {
        long long atMs;
        std::string bytes;
        Ending ending;
    };
    FakeClock& clock_;
    std::multimap<long long, Arrival> arrivals_;
    struct Reply {
        WriteMatch matches;
        Answer answer;
        int delayMs;
    };
    std::vector<Reply> replies_;
    bool up_ = true;
    bool failWrites_ = false;
};

class MapFields : public driver::LinkFields {
public:
    using Value = std::pair<const std::string, std::string>;
    MapFields() = default;
    MapFields(std::initializer_list<Value> initial) : values(initial) {}
    std::string Get(std::string_view name) const override;
    void Set(std::string_view name, std::string_view value) override;

    std::map<std::string, std::string, std::less<>> values;
};

class RecordingEvents : public driver::LinkEvents {
public:
    void Log(std::string_view level, std::string_view line) override;
    void Sent(std::string reference) override { outcomes.push_back("sent:" + reference); }
    void Failed() override { outcomes.push_back("failed"); }
    void HandedBack() override { outcomes.push_back("handed back"); }
    void Info(std::string name, std::string value) override { infos.push_back(name + "=" + value); }
    void Received(std::string record) override { received.push_back(std::move(record)); }
    // Hands over as Received; the engine took the message unless a test sets `takes` false.
    bool Taken(std::string record) override {
        Received(std::move(record));
        return takes;
    }
    bool takes = true;
    void MessageSent(std::string messageId, std::string reference) override {
        byId.push_back("sent:" + messageId + ":" + reference);
        Sent(std::move(reference));
    }
    void MessageFailed(std::string messageId) override {
        byId.push_back("failed:" + messageId);
        Failed();
    }
    void MessageHandedBack(std::string messageId) override {
        byId.push_back("handed back:" + messageId);
        HandedBack();
    }

    bool Logged(std::string_view line, std::string_view level = "1") const;
    // How often `line` was logged at level 1.
    int Count(std::string_view line) const;
    int CountStartingWith(std::string_view prefix) const;
    // The outcome line of each message (from `byId`) by its id; an id with more than one
    // outcome goes to `twice` as well.
    std::map<std::string, std::string> OutcomeById(std::vector<std::string>& twice) const;
    // The received record at index, read back from its text.
    TGsmSms ReceivedRecord(std::size_t index) const;

    std::vector<std::pair<std::string, std::string>> logs;
    // "sent:" + reference, "failed" or "handed back", in order.
    std::vector<std::string> outcomes;
    // The same outcomes with the message id: "sent:" + id + ":" + reference, "failed:" + id,
    // "handed back:" + id.
    std::vector<std::string> byId;
    // name + "=" + value of each Info, in order.
    std::vector<std::string> infos;
    std::vector<std::string> received;
};

}  // namespace nimbra::testing_support
