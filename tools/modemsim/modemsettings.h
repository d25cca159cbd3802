#pragma once
// How the simulated modem behaves: what it answers at start and after ATZ, its memories, its
// identity, and the faults it shows.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "messagestore.h"

namespace modemsim {

// A fault shown instead of (or before) the answers to command lines.
struct Fault {
    enum class Kind {
        kNone,
        kSilent,    // no answer at all, not even the echo
        kError,     // ERROR as the final result
        kCmsError,  // +CMS ERROR: code as the final result
        kGarbage,   // junk bytes (binary, half lines) before the answer
    };
    Kind kind = Kind::kNone;
    int code = 500;
    std::string prefix;  // only command lines that begin with it (either case); empty: all
    int remaining = -1;  // lines still to fault; -1: every one

    bool active() const { return kind != Kind::kNone && remaining != 0; }
};

// "none", "silent", "error", "cms:CODE" or "garbage"; nullopt for anything else.
std::optional<Fault::Kind> ParseFaultKind(std::string_view text, int& code);
// The form ParseFaultKind reads.
std::string FaultText(const Fault& fault);

// What AT+CMGR answers for an empty slot.
enum class EmptySlot {
    kCmsError,  // +CMS ERROR: 321 (invalid memory index)
    kOk,        // OK alone
    kZero,      // +CMGR: 0,,0 and OK
};

struct ModemSettings {
    bool echo = true;
    bool pduMode = true;    // the message format at start and after ATZ
    bool offersPdu = true;  // neither offered: no short messages at all (AT+CMGF gives ERROR)
    bool offersText = true;
    int lineSpeed = 0;  // non-zero: only what the driver writes at this speed (baud) is heard
    std::string serviceCentre = "+36209000000";
    int simSlots = 20;
    int phoneSlots = 30;
    int firstIndex = 1;
    std::optional<Memory> storeIn;  // nullopt: the memory AT+CPMS chose for reading
    EmptySlot emptySlot = EmptySlot::kCmsError;
    std::string manufacturer = "Nimbra";
    std::string model = "Simulated GSM modem";
    std::string revision = "1.0";
    int signal = 24;       // +CSQ
    int registration = 1;  // +CREG status: registered, home network
    std::array<int, 5> cnmi = {0, 0, 0, 0, 0};
    bool reports = true;  // status reports for submits that ask for one
    int reportDelayMs = 300;
    std::string reply;  // non-empty: every sent message is answered with this text
    int firstReference = 1;
    Fault fault;
    int delayMs = 0;  // every answer this late
};

}  // namespace modemsim
