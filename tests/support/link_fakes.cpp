#include "link_fakes.h"

#include <algorithm>
#include <stdexcept>

namespace nimbra::testing_support {

namespace {
constexpr long long kFakeTimeLimitMs = 2LL * 3600 * 1000;
}

void FakeClock::Sleep(int sleepMs) {
    ms += sleepMs;
    if (ms > kFakeTimeLimitMs)
        throw std::runtime_error("fake time ran past its limit");
    while (!actions_.empty() && actions_.begin()->first <= ms) {
        auto action = std::move(actions_.begin()->second);
        actions_.erase(actions_.begin());
        action();
    }
}

void FakeClock::At(long long atMs, std::function<void()> action) {
    actions_.emplace(atMs, std::move(action));
}

void ScriptedTransport::Arrive(long long atMs, std::string bytes) {
    arrivals_.emplace(atMs, Arrival{atMs, std::move(bytes), Ending::kNone});
}

void ScriptedTransport::CloseAt(long long atMs) {
    arrivals_.emplace(atMs, Arrival{atMs, {}, Ending::kNextRead});
}

void ScriptedTransport::ArriveAndClose(long long atMs, std::string bytes) {
    arrivals_.emplace(atMs, Arrival{atMs, std::move(bytes), Ending::kWithBytes});
}

void ScriptedTransport::ReplyWhen(WriteMatch matches, std::string reply, int delayMs) {
    AnswerWhen(
        std::move(matches), [reply = std::move(reply)](std::string_view) { return reply; },
        delayMs);
}

void ScriptedTransport::AnswerWhen(WriteMatch matches, Answer answer, int delayMs) {
    replies_.push_back({std::move(matches), std::move(answer), delayMs});
}

void ScriptedTransport::ReplyTo(std::string prefix, std::string reply, int delayMs) {
    ReplyWhen(
        [prefix = std::move(prefix)](std::string_view bytes) { return bytes.starts_with(prefix); },
        std::move(reply), delayMs);
}

// Bytes due before a due close are delivered first; the close fails the next read.
bool ScriptedTransport::Read(std::string& into, int waitMs) {
    if (!up_)
        return false;
    if (readsWait && waitMs > 0 && (arrivals_.empty() || arrivals_.begin()->first > clock_.ms)) {
        long long until = clock_.ms + waitMs;
        if (!arrivals_.empty())
            until = std::min(until, arrivals_.begin()->first);
        clock_.Sleep(static_cast<int>(until - clock_.ms));
        if (!up_)
            return false;
    }
    bool delivered = false;
    while (!arrivals_.empty() && arrivals_.begin()->first <= clock_.ms) {
        Arrival& next = arrivals_.begin()->second;
        if (next.ending == Ending::kNextRead) {
            if (delivered)
                return true;
            up_ = false;
            arrivals_.clear();
            return false;
        }
        into += next.bytes;
        delivered = true;
        if (next.ending == Ending::kWithBytes) {
            up_ = false;
            arrivals_.clear();
            return true;
        }
        arrivals_.erase(arrivals_.begin());
    }
    return true;
}

bool ScriptedTransport::Write(std::string_view bytes) {
    if (!up_)
        return false;
    if (failWrites_) {
        up_ = false;
        return false;
    }
    written.push_back({clock_.ms, std::string(bytes)});
    const auto reply = std::find_if(replies_.begin(), replies_.end(),
                                    [&](const Reply& r) { return r.matches(bytes); });
    if (reply != replies_.end()) {
        Arrive(clock_.ms + reply->delayMs, reply->answer(bytes));
        replies_.erase(reply);
    }
    return true;
}

void ScriptedTransport::Close() {
    up_ = false;
    ++closedByClient;
}

std::string ScriptedTransport::AllWritten() const {
    std::string all;
    for (const Written& w : written)
        all += w.bytes;
    return all;
}

long long ScriptedTransport::FirstWriteAt(std::string_view prefix) const {
    for (const Written& w : written) {
        if (w.bytes.starts_with(prefix))
            return w.atMs;
    }
    return -1;
}

std::string MapFields::Get(std::string_view name) const {
    const auto it = values.find(name);
    return it == values.end() ? std::string() : it->second;
}

void MapFields::Set(std::string_view name, std::string_view value) {
    values.insert_or_assign(std::string(name), std::string(value));
}

void RecordingEvents::Log(std::string_view level, std::string_view line) {
    logs.emplace_back(std::string(level), std::string(line));
}

bool RecordingEvents::Logged(std::string_view line, std::string_view level) const {
    return std::find(logs.begin(), logs.end(), std::pair<std::string, std::string>(level, line)) !=
           logs.end();
}

int RecordingEvents::Count(std::string_view line) const {
    return static_cast<int>(
        std::count(logs.begin(), logs.end(), std::pair<std::string, std::string>("1", line)));
}

int RecordingEvents::CountStartingWith(std::string_view prefix) const {
    return static_cast<int>(std::count_if(logs.begin(), logs.end(), [&](const auto& log) {
        return log.first == "1" && log.second.starts_with(prefix);
    }));
}

std::map<std::string, std::string> RecordingEvents::OutcomeById(
    std::vector<std::string>& twice) const {
    std::map<std::string, std::string> outcome;
    for (const std::string& line : byId) {
        const std::string kind = line.substr(0, line.find(':'));
        std::string id = line.substr(kind.size() + 1);
        id = id.substr(0, id.find(':'));
        if (!outcome.emplace(id, line).second)
            twice.push_back(line);
    }
    return outcome;
}

TGsmSms RecordingEvents::ReceivedRecord(std::size_t index) const {
    TGsmSms record(0.0);
    record.FromText(received.at(index));
    return record;
}

}  // namespace nimbra::testing_support
