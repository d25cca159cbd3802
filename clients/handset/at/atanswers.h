#pragma once
// What the AT commands of the phone drivers take from a device's answer lines (see atlines.h
// for how received bytes become lines): the message reference of a send, the PDU or text
// line of a read with each device family's rules, signal quality and network registration.
// Plain functions over the lines; no device, no waiting.

#include <optional>
#include <string>
#include <vector>

namespace nimbra::handset {

using Lines = std::vector<std::string>;

// The reference of a sent message: the last line holding "CMGS: ", from its 8th character
// on ("+CMGS: 17" gives "17"); nullopt without such a line.
std::optional<std::string> MessageReference(const Lines& lines);

// How a device family answers AT+CMGR in PDU mode.
struct PduReadRules {
    // The line found must hold "CMGR:"; a device that answered without it read nothing.
    bool needCmgrLine = false;
    // The search stops at the command's echo ("AT+CMGR=") as well.
    bool echoAware = false;
    // With echoAware: reaching the echo means no +CMGR line came, so nothing was read.
    bool echoMeansEmpty = false;
    // "CMGR: 0" marks an empty slot.
    bool emptySlotAware = false;
    // When not 0: the PDU line must be longer than this, else the slot counts as empty.
    std::size_t minPduLength = 0;
};

struct PduReadLine {
    enum class Outcome {
        Pdu,      // `pdu` holds the line after the +CMGR line
        Empty,    // the slot is empty by the device family's rules: nothing read, keep it
        Missing,  // nothing follows the line found: nothing read
    };
    Outcome outcome = Outcome::Missing;
    std::string pdu;
};

// Searches the lines from the last down to the second for "CMGR:" (and the echo, when the
// rules say so); the first line is taken when none matches. The PDU is the line after it.
PduReadLine FindPduLine(const Lines& lines, const PduReadRules& rules);

// A message read in text mode: `sender` from the +CMGR line, `text` the line after it.
struct TextRead {
    std::string sender;
    std::string text;
    std::string receivedTime;  // with the time stamp rule only
};

// The base text mode: the line found as in FindPduLine (without the echo rule); sender is
// what stands between the quotes after its first comma. nullopt when no line follows.
std::optional<TextRead> ParseTextRead(const Lines& lines);

// The fixed-terminal text mode: a "CMGR:" line with a comma must stand after the first line;
// the sender as above, then the time stamp "yy/mm/dd,hh:mm:ss+zz" (or "-zz") becomes
// "20yy/mm/dd hh:mm:ss", and the text is the next line when there is one.
std::optional<TextRead> ParseTimeStampedTextRead(const Lines& lines);

// AT+CSQ: the digits after "+CSQ: " on the last line holding it; "0" when the command did
// not answer OK or no digits stand there.
std::string SignalQuality(const std::string& result, const Lines& lines);
// AT+CREG?: the stat digit (10th character) of the last line holding "+CREG: "; "0" when it
// is missing or no digit, empty when the command did not answer OK.
std::string NetworkRegistration(const std::string& result, const Lines& lines);

}  // namespace nimbra::handset
