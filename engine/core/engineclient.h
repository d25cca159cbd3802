#pragma once
// What the engine tells the client objects of other programs (message servers, the simple
// sending object, service monitors). Each kind turns these into its own events.
#include <string>

namespace nimbra {

class EngineClient {
public:
    virtual ~EngineClient() = default;
    // Told about the engine's happenings: it has an event sink and a name.
    virtual bool IsLive() const = 0;
    // Its program let go of it (withdrew the sink, released it or left): it is dropped at
    // the next walk of the client list and never put back. An object whose sink has not
    // come yet is skipped, not dropped.
    virtual bool IsGone() const { return !IsLive(); }
    virtual void ServerStarted() = 0;
    virtual void ServerStopped() = 0;
    virtual void MessageSent(const std::string& messageId) = 0;
    // messageId: the stored incoming message, found by the client when it needs it.
    virtual void MessageReceived(const std::string& messageId) = 0;
    // The message ran out of retries and lies in "Could not be sent".
    virtual void MessageDeleted(const std::string& messageId) = 0;
    // A send attempt failed; the message will be tried again.
    virtual void SendAttemptFailed(const std::string& messageId, int code) = 0;
    virtual void MessageDelivered(const std::string& messageId) = 0;
    virtual void ServerShutdown() = 0;
    // An engine notice, such as "setlanguage(English)".
    virtual void Info(const std::string& /*content*/) {}
};

}  // namespace nimbra
