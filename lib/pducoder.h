#pragma once

// SMS PDU codec: turns message records into the hexadecimal SMS-SUBMIT PDUs that a GSM device
// takes in PDU mode, and the SMS-DELIVER and SMS-STATUS-REPORT PDUs it returns into message
// records. Octets are written as two upper-case hexadecimal characters; lower-case input is
// not a PDU. Texts are bytes in the host code page. A codec is made for one operation; it
// keeps no state of its own beyond a copy of the options. Every read of a PDU is checked:
// malformed input gives the kind "Passz" (nothing to deliver), never a fault.
//
// Concatenated messages are collected in a part store folder ("smsparts" below the working
// directory unless the options name another), one file per part, named after the sender, the
// stem and the part number (pducoder_parts.h) and holding one line of hexadecimal user data
// without the header. Choices made beyond the plain 8-bit-reference layout:
// - The concatenation element is looked up among the header's elements: 00 (8-bit reference)
//   and 08 (16-bit reference) both work; the stem is the element's identifier, length and
//   reference bytes in hex ("0003" + RR, "0804" + RRRR). Other elements are skipped.
// - 7-bit parts are stored with their septets aligned as behind a 6-octet header (one fill
//   bit), whatever header they came with, so that every stored part reads the same way; the
//   septets of a received part start after the fill bits that align them to its own header,
//   and only TP-UDL septets are kept. When the part's last octet would end in seven spare
//   bits, a CR fills them (as GSM 03.38 advises), which decoding drops with the other line
//   breaks, so a padded part never grows a stray "@".
// - A header without a concatenation element is not a concatenated message: the text is the
//   user data behind the header. A business card (DCS F5) is never collected, and its header
//   is removed only when TP-UDHI announces one.
// - A message announcing more than 20 parts is not collected: each part is delivered on its
//   own, so nothing is lost. Part number 0, a part number above the total, a total of 0 or a
//   header that does not fit the user data make the PDU malformed ("Passz").
// - Alphanumeric addresses (type of number 101, e.g. type of address 0xD0), of senders and of
//   the recipients status reports speak about, are read as 7-bit GSM text: the length field
//   counts semi-octets, so the name has length * 4 / 7 septets.
// - A deliver or status report must hold every field up to TP-UDL / TP-ST, else "Passz".
// - Every time stamp, the deliver's and both of a status report, is given with its four-digit
//   year, "20" followed by the two digits sent.
//
// - With decoding switched off, the text is "_PDU_" + the received PDU without the line-end
//   character that may follow it.
//
// Encoding: a concatenated 7-bit part that starts with a character sent behind ESC keeps ESC
// and its code together; "_CLASS" takes only the classes 0-3 (any other character sets no
// class, as it would claim another alphabet); part numbers that do not fit the header, or user
// data beyond what one SMS carries (160 septets, 140 octets), give no PDU at all, since a
// device would refuse it. A business card's TP-UDL counts the header actually sent. A stored
// reference that is not two hexadecimal digits (of either case) reads as the default "60";
// "\0x" escapes take hexadecimal digits of either case.

#include <filesystem>
#include <string>
#include <string_view>

#include "pducoder_tables.h"
#include "unGSMSMS.h"

namespace nimbra {

inline constexpr std::string_view kPduKindPass = "Passz";

// Where the last concatenation reference lives in the settings store.
inline constexpr std::string_view kPduSettingsSection = "pducoder";
inline constexpr std::string_view kUdhSourcePortValue = "udhsourceport";
inline constexpr std::string_view kUdhSourcePortDefault = "60";

inline constexpr std::string_view kPartsFolderName = "smsparts";
inline constexpr int kMaxHeldParts = 20;

// The last concatenation reference used, as two hexadecimal digits. Encoding the first part of
// a concatenated message reads it and writes the next one back.
class PduReferenceStore {
public:
    virtual ~PduReferenceStore() = default;
    // The stored value; empty when there is none.
    virtual std::string Read() = 0;
    virtual void Write(const std::string& value) = 0;
};

// Keeps the value in memory (tests, tools, and callers without a settings store).
class MemoryPduReferenceStore final : public PduReferenceStore {
public:
    explicit MemoryPduReferenceStore(std::string value = {}) : value_(std::move(value)) {}
    std::string Read() override { return value_; }
    void Write(const std::string& value) override { value_ = value; }
    const std::string& Value() const { return value_; }

private:
    std::string value_;
};

struct PduCodecOptions {
    // Encoding maps text through ansiToGsm and escapes the extension characters; decoding maps
    // through gsmToAnsi and escToAnsi. Off: characters go as their own low 7 bits.
    bool convert7Bit = true;
    // Encoding writes the SMSC address in front of the TPDU instead of the octet "00".
    bool includeSmsc = false;
    // Off: decoding ignores the user data header and gives "_PDU_" + the received PDU.
    bool decodePdu = true;
    // Folder of the part store; a relative path is taken from the working directory.
    std::filesystem::path partsFolder{std::string(kPartsFolderName)};
};

// The process-wide options, set by the driver from its port settings; each codec copies them
// when it is made. Safe to call from any thread.
PduCodecOptions CurrentPduCodecOptions();
void SetPduCodecOptions(const PduCodecOptions& options);

struct PreparedUserData {
    std::string text;  // the text without its markers (hexadecimal in octet mode)
    std::string udh;   // user data header with its length octet, or empty
    std::string pid = "00";
    std::string dcs = "00";
    bool octetMode = false;
    int udlOverride = 0;  // TP-UDL to write instead of the computed one, 0 for none
    // False when the part numbers cannot be written (index outside 1..count, count > 255).
    bool valid = true;
};

struct PduSubmit {
    std::string pdu;     // SMSC part + TPDU; empty when the part could not be encoded
    int tpduLength = 0;  // octets after the SMSC part, for AT+CMGS
};

struct PduPart {
    std::string pdu;
    int tpduLength = 0;
    bool morePartsFollow = false;
};

struct Packed7Bit {
    std::string hex;
    int septetCount = 0;
};

struct PduDecodeResult {
    std::string kind{kPduKindPass};  // "GSMSMS", "GSMSMS_DELIVERY_REPORT" or "Passz"
    std::string sender;              // originator, or the recipient a report speaks about
    std::string text;
    std::string timestamp;      // service centre time stamp
    std::string dischargeTime;  // status reports only
    std::string reference;      // status reports only: TP-MR in decimal
    std::string status;         // status reports only: ReportStatus of TP-ST
};

// The outcome a status report carries in its `status`. TP-ST 0 (received by the recipient)
// and 1 (forwarded to it, the centre cannot confirm the delivery) end the transfer with the
// message delivered: "0". Any other value is TP-ST in decimal: 0x20-0x3F while the centre
// still tries to deliver (IsReportStillTrying), and for the final outcomes without delivery
// (2, replaced by another message; the errors after which the centre tries no more, 0x40-0x7F;
// the reserved and centre-specific values).
std::string ReportStatus(int tpStatus);
// True for the status of a report that only says the centre is still trying.
bool IsReportStillTrying(std::string_view status);

class TsmsPduCodec {
public:
    explicit TsmsPduCodec(PduReferenceStore& references,
                          PduCodecOptions options = CurrentPduCodecOptions());

    const PduTables& tables() const { return tables_; }
    const PduCodecOptions& options() const { return options_; }

    // Type of address ("91" with a leading "+", else "81") and the digits in semi-octet order;
    // withLength puts the digit count in front as two hexadecimal digits.
    static std::string EncodeAddress(std::string_view number, bool withLength);
    // The SMSC part of a PDU that names the service centre: its octet count, then the address.
    static std::string SmscAddress(std::string_view smsc);
    // Markers, data coding, protocol identifier and header of one part. Encoding part 1 of a
    // concatenated message advances the stored reference, so the parts of one message must be
    // prepared in order with no other concatenated message in between.
    PreparedUserData PrepareUserData(std::string_view text, int partCount, int partIndex);
    PduSubmit EncodeSubmit(std::string_view recipient, std::string_view smsc, std::string_view text,
                           int partCount, int partIndex, bool statusReport);
    // Appends TP-UDL and TP-UD of prepared user data (the same in every message type); false
    // when they would not fit one SMS.
    bool AppendUserData(const PreparedUserData& data, std::string& out) const;
    Packed7Bit Pack7Bit(std::string_view text) const;
    // At most maxSeptets septets (an escape pair counts two); stops early at the end of the
    // input or at the first pair that is not upper-case hexadecimal.
    std::string Unpack7Bit(std::string_view hex, int maxSeptets, bool convert) const;

    PduDecodeResult Decode(std::string_view pdu, bool convertUcs2, bool deletePartsWhenComplete);
    // Longer than 15 characters, every one but the last upper-case hexadecimal; with
    // alsoDecode, Decode must also find something to deliver (a part is stored meanwhile).
    bool IsPdu(std::string_view line, bool alsoDecode);

    // Every "\0x" followed by two hexadecimal digits becomes the character with that code.
    static std::string UnescapeHex(std::string_view text);
    // LF becomes "\0x0A", CR becomes "\0x0D".
    static std::string EscapeLineBreaks(std::string_view text);

    // Part n (from 1) of the record's text for its receiver. A text of one part is encoded
    // whole whatever n is; for more parts an n outside 1..PartCount gives an empty PDU.
    PduPart EncodePart(const TGsmSms& record, int n, bool statusReport, std::string_view smsc);
    // Decodes with deletion of completed parts and fills type, sender, receiver (ownNumber),
    // text, reference, sentTime (a report's discharge time) and status.
    void DecodeIntoRecord(std::string_view pdu, TGsmSms& record, std::string_view ownNumber,
                          bool convertUcs2);

private:
    // The stored reference as two hex digits, advanced first when a message starts.
    std::string NextReference(bool advance);

    const PduTables& tables_;
    PduReferenceStore& references_;
    PduCodecOptions options_;
};

}  // namespace nimbra
