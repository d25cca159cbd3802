#pragma once
// The simulated GSM modem without its port: bytes from the driver go in, the modem's bytes
// come out when they are due. It echoes, answers AT commands in PDU or text mode, takes
// messages to send after the "> " prompt, keeps received messages and status reports in its
// memories, announces them when AT+CNMI asks for it, and shows the faults it is told to.
//
// Nothing here waits: an answer that is to come late is queued with the time it is due, and
// while one is queued the modem reads no further input (as a busy modem would). The caller
// takes the output that is due and asks when the next is.

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "atline.h"
#include "messagestore.h"
#include "modemclock.h"
#include "modempdu.h"
#include "modemsettings.h"

namespace modemsim {

struct ModemStats {
    int opens = 0;     // times the port was opened
    int commands = 0;  // command lines read
    int submits = 0;   // messages accepted with AT+CMGS
    int delivers = 0;  // messages (parts) that came in for the driver
    int reports = 0;   // status reports made
    int reads = 0;     // AT+CMGR that showed a stored message
    int deletes = 0;   // slots AT+CMGD emptied
};

// A message the modem accepted with AT+CMGS.
struct SentMessage {
    Submit submit;
    int reference = 0;  // what +CMGS answered
    long long atMs = 0;
    LocalTime at;
    bool textMode = false;
};

// Where an incoming message or report went.
struct Placement {
    std::string error;    // non-empty: nothing was stored
    bool routed = false;  // shown at once (+CMT, +CDS), not stored
    int parts = 1;
    Memory memory = Memory::kSim;
    std::vector<int> indexes;
};

class Modem {
public:
    Modem(ModemSettings settings, const ModemClock& clock);

    // The port was opened or closed by the driver: a command line or a prompt under way and
    // the answers not yet sent are dropped; the settings made with AT commands stay.
    void PortOpened();
    void PortClosed();

    void Receive(std::string_view bytes);
    // The bytes due by now, in order.
    std::string TakeOutput();
    // When output or a timed event (report, reply) is due next; nullopt when nothing waits.
    std::optional<long long> NextDueMs() const;
    // What happened since the last call, one line each, for the log.
    std::vector<std::string> TakeNotes();

    // An incoming message, in as many parts as it needs.
    Placement Deliver(std::string_view from, std::string_view text);
    // A status report for the sent message with this reference (the last one sent when
    // nullopt); error when there is none.
    Placement Report(std::optional<int> reference, int status);
    // A line kept as it is, for AT+CMGR to show in place of a PDU; nullopt keeps a slot whose
    // answer has no line after its header.
    Placement StoreLine(std::optional<std::string> line);
    // Bytes sent at once as they are.
    void SendRaw(std::string_view bytes);

    void SetFault(const Fault& fault) { fault_ = fault; }
    const Fault& fault() const { return fault_; }
    void SetDelay(int ms) { delayMs_ = ms; }
    void SetSignal(int signal) { signal_ = signal; }
    void SetRegistration(int status) { registration_ = status; }

    const ModemStats& stats() const { return stats_; }
    int storedCount() { return store_.Used(Memory::kBoth); }
    const std::vector<SentMessage>& sent() const { return sent_; }

private:
    // +CMS ERROR codes.
    static constexpr int kOperationNotAllowed = 302;
    static constexpr int kOperationNotSupported = 303;
    static constexpr int kInvalidPduParameter = 304;
    static constexpr int kInvalidTextParameter = 305;
    static constexpr int kInvalidMemoryIndex = 321;

    struct Reply {
        enum class Final { kOk, kError, kCmsError, kPrompt };
        Final final = Final::kOk;
        int code = 0;
        std::vector<std::string> lines;  // information text, one entry a line
    };
    static Reply Ok(std::vector<std::string> lines = {}) { return {Reply::Final::kOk, 0, lines}; }
    static Reply Error() { return {Reply::Final::kError, 0, {}}; }
    static Reply CmsError(int code) { return {Reply::Final::kCmsError, code, {}}; }

    struct Prompt {
        bool pdu = true;
        int length = 0;           // PDU mode: the TPDU octets announced
        std::string destination;  // text mode
        std::string body;
    };

    // Input and output.
    bool Waiting() const;
    void Pump();
    void ProcessByte(char c);
    void PromptByte(char c);
    void Emit(std::string bytes, int delayMs);
    void EmitAnswer(std::string bytes) { Emit(std::move(bytes), delayMs_); }
    void Unsolicited(std::string bytes);
    void RunDueActions();
    void Note(std::string line) { notes_.push_back(std::move(line)); }
    void ResetSession();

    // Command lines.
    void HandleLine(const std::string& line);
    // The fault for a line that begins at `line`, counted as used; kNone when none applies.
    Fault TakeFault(std::string_view line);
    std::string FinalText(const Reply& reply, const Fault& fault) const;
    Reply Execute(const AtCommand& command);
    Reply Basic(const AtCommand& command);
    Reply Identity(const AtCommand& command, const std::string& value);
    Reply Format(const AtCommand& command);
    Reply NewMessageIndications(const AtCommand& command);
    Reply Memories(const AtCommand& command);
    Reply ServiceCentre(const AtCommand& command);
    Reply SendCommand(const AtCommand& command);
    Reply Read(const AtCommand& command);
    Reply List(const AtCommand& command);
    Reply Delete(const AtCommand& command);
    Reply Registration(const AtCommand& command);
    Reply TextParameters(const AtCommand& command);
    Reply Setting(const AtCommand& command, int& value, int min, int max, const std::string& range);
    void ResetProfile();

    // Messages.
    void FinishPrompt(bool send);
    Reply SendMessage(const Prompt& prompt);
    // Records a message the modem took; returns its reference.
    int Accept(Submit submit, bool pdu);
    // The header of a stored message as AT+CMGR and AT+CMGL show it, without their name.
    std::string Header(const StoredSms& sms) const;
    // The header line and what follows it.
    std::vector<std::string> Shown(const std::string& header, const StoredSms& sms) const;
    Memory ReceiveMemory() const;
    Placement Store(std::vector<StoredSms> parts, const char* indication);
    bool Indicating() const { return cnmi_[0] != 0; }

    const ModemSettings settings_;
    const ModemClock& clock_;
    MessageStore store_;
    nimbra::MemoryPduReferenceStore concatenation_;

    // Settings made with AT commands.
    bool echo_ = true;
    bool pduMode_ = true;
    std::array<int, 5> cnmi_{};
    std::string serviceCentre_;
    Memory readMemory_ = Memory::kSim;
    Memory writeMemory_ = Memory::kSim;
    Memory receiveMemory_ = Memory::kSim;
    int registrationMode_ = 0;
    int firstOctet_ = 17;  // AT+CSMP, text mode
    int validity_ = 167;
    int protocolId_ = 0;
    int codingScheme_ = 0;
    int errorMode_ = 0;   // AT+CMEE
    int showHeader_ = 0;  // AT+CSDH

    // Set by control commands.
    Fault fault_;
    int delayMs_ = 0;
    int signal_ = 0;
    int registration_ = 0;

    // The session on the port.
    std::string input_;
    std::string line_;
    bool lineTooLong_ = false;
    std::string lineEcho_;  // held while a silent fault may swallow the line's echo
    std::optional<Prompt> prompt_;
    Fault promptFault_;
    struct Output {
        long long dueMs;
        std::string bytes;
    };
    std::deque<Output> out_;
    std::string held_;  // indications held back while a command is answered
    std::multimap<long long, std::function<void()>> actions_;

    int nextReference_;
    ModemStats stats_;
    std::vector<SentMessage> sent_;
    std::vector<std::string> notes_;
};

}  // namespace modemsim
