#pragma once
// What a driver's protocol client needs of the world around it, as plain interfaces: the
// byte stream to the message centre, the clock, the preference fields and the hand-over to
// the window thread. The program implements them on a TCP socket, the wall clock and the
// preferences window; tests implement them with scripted streams and a clock they move.

#include <string>
#include <string_view>
#include <utility>

namespace nimbra::driver {

// A connected byte stream. Used by one thread at a time.
class ByteTransport {
public:
    virtual ~ByteTransport() = default;
    // Appends the bytes that arrive within waitMs (possibly none) to `into`. False when the
    // link failed or the peer closed it; the transport is closed then.
    virtual bool Read(std::string& into, int waitMs) = 0;
    // Writes all bytes. False on a write error; the transport is closed then.
    virtual bool Write(std::string_view bytes) = 0;
    virtual bool IsUp() const = 0;
    virtual void Close() = 0;
};

// Local wall-clock seconds since 1970, seconds on a clock that only moves forward, and a way
// to pass time; tests move all of them by hand. Deadlines and idle times are measured on the
// forward clock, so a daylight-saving change or a clock step neither fires nor stalls them.
class LinkClock {
public:
    virtual ~LinkClock() = default;
    virtual long long Now() = 0;
    virtual long long Elapsed() { return Now(); }
    // The forward clock in milliseconds, for pauses shorter than a second or not whole ones.
    virtual long long ElapsedMs() { return Elapsed() * 1000; }
    virtual void Sleep(int ms) = 0;
};

// The preference fields by their component names ("eHost", "cbStx", ...; check boxes read
// "1" or "0"). Read at the moment a value is needed, so an edited value takes effect at once;
// written where the link corrects a value. Safe to use from any thread.
class LinkFields {
public:
    virtual ~LinkFields() = default;
    virtual std::string Get(std::string_view name) const = 0;
    virtual void Set(std::string_view name, std::string_view value) = 0;
};

// What the protocol thread hands to the window thread, in order. Never blocks, but Taken.
class LinkEvents {
public:
    virtual ~LinkEvents() = default;
    // The driver's log routine: level "1" for events, "2" for raw traffic.
    virtual void Log(std::string_view level, std::string_view line) = 0;
    // The message in flight was accepted; reference is the message centre's reference of it.
    virtual void Sent(std::string reference) = 0;
    // The message in flight failed.
    virtual void Failed() = 0;
    // The message in flight goes back to the engine untried ("phone busy"): the message
    // centre cannot take it now. No retry of the message is used.
    virtual void HandedBack() = 0;
    // The same outcomes for one of several messages in flight, named by the engine's message
    // id. A link that carries one message at a time may use either.
    virtual void MessageSent(std::string messageId, std::string reference) {
        (void)messageId;
        Sent(std::move(reference));
    }
    virtual void MessageFailed(std::string messageId) {
        (void)messageId;
        Failed();
    }
    virtual void MessageHandedBack(std::string messageId) {
        (void)messageId;
        HandedBack();
    }
    // A value the driver tells the engine (sendInfo), such as "cansend" "0" or "1".
    virtual void Info(std::string name, std::string value) = 0;
    // A message or delivery report came in, as a GSMSMS record text.
    virtual void Received(std::string record) = 0;
    // The same, for a link that answers the message centre only once the engine has the
    // message: waits until the engine has stored it and gives true, or gives false when it
    // could not be handed over (the engine is gone, the driver closes, no answer in time). A
    // message left unanswered then is sent again by the centre instead of being lost with a
    // process that dies in between. Without an engine to wait for it hands over as Received.
    virtual bool Taken(std::string record) {
        Received(std::move(record));
        return true;
    }
};

}  // namespace nimbra::driver
