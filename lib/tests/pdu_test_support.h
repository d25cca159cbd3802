#pragma once

// Test-side PDU building, written from the GSM 03.40 layouts and the GSM 03.38 packing rule
// independently of the codec, and a temporary part store folder.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "pducoder.h"
#include "temp_dir.h"

namespace nimbra::test {

std::string Hex(int octet);
// Hex written with spaces between its fields for reading, without them.
std::string Octets(std::string_view spaced);
// GSM codes of text whose characters have the same code in ASCII (letters, digits, space).
std::vector<int> PlainSeptets(std::string_view text);
// Septets packed least significant bit first after fill zero bits, bit by bit.
std::string PackSeptets(const std::vector<int>& septets, int fill = 0);
std::string HexOfText(std::string_view bytes);
// n plain characters (letters and digits).
std::string PlainText(std::size_t n);

// "yy-mm-dd hh:nn:ss" as a 7-octet semi-octet time stamp with time zone 00.
std::string SemiOctetStamp(std::string_view stamp);

// +12345678901: length, type, digits.
inline constexpr std::string_view kOriginator = "0B912143658709F1";

struct DeliverFields {
    std::string smsc = "00";
    bool userDataHeader = false;
    std::string originator{kOriginator};
    int pid = 0x00;
    int dcs = 0x00;
    std::string stamp = "05-03-12 10:20:30";
    int udl = 0;
    std::string userData;
};
std::string DeliverPdu(const DeliverFields& f);

// A 7-bit deliver of plain text (letters, digits, space).
std::string TextDeliver(std::string_view text);

// One part of a concatenated 7-bit deliver: header (with its length octet) + septets aligned
// behind it.
std::string SevenBitPart(std::string_view header, std::string_view text,
                         std::string_view originator = kOriginator);

// The SMS-SUBMIT PDU of the codec (SMSC part "00") turned into the SMS-DELIVER a receiver
// would get: same PID, DCS, UDL and user data, originator +12345678901.
std::string SubmitToDeliver(std::string_view submit);

// A temporary folder holding a part store.
class TempFolder {
public:
    const std::filesystem::path& path() const { return dir_.path(); }
    std::filesystem::path parts() const { return path() / "smsparts"; }
    // Sorted names of the files in the part store folder.
    std::vector<std::string> PartFiles() const;
    PduCodecOptions Options() const;

private:
    testing_support::TempDir dir_;
};

}  // namespace nimbra::test
