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

}  // namespace mcsim
