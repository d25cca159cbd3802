#include "smpprun.h"

#include "smppsession.h"
#include "unStrings.h"

namespace mcsim {
namespace {

constexpr std::uint64_t kIdMask = (std::uint64_t{1} << 40) - 1;  // ten hex digits

}  // namespace

SmppRun::SmppRun(std::uint64_t startSecond) : nextId_((startSecond & 0xFFFFFFFF) << 8) {}

void SmppRun::Add(SmppSession* session) {
    sessions_.push_back(session);
}

void SmppRun::Remove(SmppSession* session) {
    std::erase(sessions_, session);
}

SmppSession* SmppRun::ReceiverFor(const std::string& systemId, const SmppSession* except) const {
    for (SmppSession* session : sessions_) {
        if (session != except && session->takesDelivers() && session->systemId() == systemId)
            return session;
    }
    return nullptr;
}

std::string SmppRun::NextMessageId() {
    const std::uint64_t id = nextId_++ & kIdMask;
    return nimbra::PadZeros(nimbra::IntToHexText(static_cast<long long>(id)), 10);
}

std::optional<QString> SmppRun::AddPart(const std::string& key, int total, int index,
                                        QString text) {
    std::vector<std::optional<QString>>& parts = parts_[key];
    parts.resize(static_cast<std::size_t>(total));
    parts[static_cast<std::size_t>(index - 1)] = std::move(text);
    QString whole;
    for (const std::optional<QString>& part : parts) {
        if (!part)
            return std::nullopt;
        whole += *part;
    }
    parts_.erase(key);
    return whole;
}

}  // namespace mcsim
