#pragma once
// SMPP 3.4 PDUs as the simulator reads and writes them: the 16-byte header (length, command,
// status, sequence number, all big-endian 32-bit), a writer that appends body fields and a
// reader that takes them out again and stops at the first field that is missing or too long.
// Its own small codec: the simulator checks a driver, so it shares no code with one.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mcsim::smpp {

// Command ids.
inline constexpr std::uint32_t kResponseBit = 0x80000000;
inline constexpr std::uint32_t kGenericNack = 0x80000000;
inline constexpr std::uint32_t kBindReceiver = 0x00000001;
inline constexpr std::uint32_t kBindTransmitter = 0x00000002;
inline constexpr std::uint32_t kSubmitSm = 0x00000004;
inline constexpr std::uint32_t kDeliverSm = 0x00000005;
inline constexpr std::uint32_t kUnbind = 0x00000006;
inline constexpr std::uint32_t kBindTransceiver = 0x00000009;
inline constexpr std::uint32_t kEnquireLink = 0x00000015;

// Command statuses.
inline constexpr std::uint32_t kStatusOk = 0x00;
inline constexpr std::uint32_t kStatusInvalidMessageLength = 0x01;
inline constexpr std::uint32_t kStatusInvalidCommandLength = 0x02;
inline constexpr std::uint32_t kStatusInvalidCommandId = 0x03;
inline constexpr std::uint32_t kStatusIncorrectBindState = 0x04;
inline constexpr std::uint32_t kStatusAlreadyBound = 0x05;
inline constexpr std::uint32_t kStatusSystemError = 0x08;
inline constexpr std::uint32_t kStatusInvalidSourceAddress = 0x0A;
inline constexpr std::uint32_t kStatusInvalidDestinationAddress = 0x0B;
inline constexpr std::uint32_t kStatusInvalidPassword = 0x0E;
inline constexpr std::uint32_t kStatusInvalidSystemId = 0x0F;
inline constexpr std::uint32_t kStatusInvalidServiceType = 0x15;
inline constexpr std::uint32_t kStatusInvalidSystemType = 0x53;
inline constexpr std::uint32_t kStatusThrottled = 0x58;
inline constexpr std::uint32_t kStatusInvalidScheduleTime = 0x61;
inline constexpr std::uint32_t kStatusInvalidValidityPeriod = 0x62;
inline constexpr std::uint32_t kStatusInvalidOptionalParameters = 0xC0;

inline constexpr std::size_t kHeaderSize = 16;
// The longest PDU taken; a longer command_length is a broken stream, not a PDU.
inline constexpr std::size_t kMaxPduSize = 64 * 1024;

struct Header {
    std::uint32_t length = 0;
    std::uint32_t command = 0;
    std::uint32_t status = 0;
    std::uint32_t sequence = 0;
};

// The first four bytes of `bytes`, which has at least four.
std::uint32_t ReadUint32(std::string_view bytes);
// nullopt when `pdu` is shorter than a header.
std::optional<Header> ReadHeader(std::string_view pdu);

// A whole PDU: the header, with the length of header and body, then `body`.
std::string Pdu(std::uint32_t command, std::uint32_t status, std::uint32_t sequence,
                std::string_view body = {});

class BodyWriter {
public:
    BodyWriter& Byte(std::uint8_t value);
    // The bytes and the terminating NUL.
    BodyWriter& CString(std::string_view text);
    BodyWriter& Octets(std::string_view bytes);
    // An optional parameter: tag, value length, value.
    BodyWriter& Tlv(std::uint16_t tag, std::string_view value);

    const std::string& bytes() const { return bytes_; }

private:
    void Uint16(std::uint16_t value);

    std::string bytes_;
};

// Reads the fields of a body in order. After the first failed read every further read gives
// an empty value, and error() and status() say what went wrong with which field.
class BodyReader {
public:
    explicit BodyReader(std::string_view body) : rest_(body) {}

    std::uint8_t Byte(const char* field);
    std::uint16_t Uint16(const char* field);
    // A C-octet string of at most `maxSize` bytes with its NUL; a longer one fails with
    // `tooLongStatus`, a body that ends first with kStatusInvalidCommandLength.
    std::string CString(const char* field, std::size_t maxSize, std::uint32_t tooLongStatus);
    std::string Octets(const char* field, std::size_t count);

    bool failed() const { return !error_.empty(); }
    bool atEnd() const { return rest_.empty(); }
    const std::string& error() const { return error_; }
    std::uint32_t status() const { return status_; }

private:
    std::string_view Take(const char* field, std::size_t count);
    void Fail(const char* field, const std::string& why, std::uint32_t status);

    std::string_view rest_;
    std::string error_;
    std::uint32_t status_ = kStatusOk;
};

// "submit_sm", "bind_transceiver_resp", ...; "command 0x000000AB" for one it does not know.
std::string CommandName(std::uint32_t command);
// A command status written as on the command line: decimal or 0x hexadecimal, 32 bits.
std::optional<std::uint32_t> ParseStatus(std::string_view text);
// "0" or "0x0000000E".
std::string StatusText(std::uint32_t status);
// Upper-case hex digits, two a byte.
std::string Hex(std::string_view bytes);

}  // namespace mcsim::smpp
