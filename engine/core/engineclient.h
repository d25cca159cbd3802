#pragma once
// What the engine tells the client objects of other programs (message servers, the simple
// sending object, service monitors). Each kind turns these into its own events.
#include <string>

namespace nimbra {

class EngineClient {
public:
    virtual ~EngineClient() = default;
    // A client that is not live is dropped at the next walk of the client list.
    virtual bool IsLive() const = 0;
    virtual void ServerStarted() = 0;
    virtual void ServerStopped() = 0;
    virtual void MessageSent(const std::string& messageId) = 0;
    virtual void MessageReceived(const std::string& messageId) = 0;
    // The message ran out of retries and lies in "Could not be sent".
    virtual void MessageDeleted(const std::string& messageId) = 0;
    // A send attempt failed; the message will be tried again.
    virtual void SendAttemptFailed(const std::string& messageId, int code) = 0;
    virtual void MessageDelivered(const std::string& messageId) = 0;
    virtual void ServerShutdown() = 0;
};

}  // namespace nimbra
