#pragma once
// What an incoming deliver_sm or data_sm is: a part of a concatenated message (by its user
// data header or its sar_* parameters), a delivery receipt and its outcome, or a message.

#include <optional>
#include <string>
#include <string_view>

#include "unSmppCodec.h"

namespace nimbra::smpp {

// One part of a concatenated message. The stem tells the parts of one message from those of
// the sender's other messages: the kind of reference, the reference and the part count.
struct Concatenation {
    std::string stem;
    int total = 0;
    int index = 0;
};

struct UserData {
    std::string octets;  // the message's octets without a user data header
    std::optional<Concatenation> part;
};

// With the header indicator (esm_class 0x40) the header is taken off; its concatenation
// element (8- or 16-bit reference) or else the sar_* parameters make the message a part. A
// header that runs past the message is left as data; a "part" 1 of 1, or one numbered 0 or
// beyond its count, is a whole message.
UserData SplitUserData(const DeliverSm& deliver);

struct Receipt {
    std::string id;     // the message centre's id of the message it speaks of
    std::string state;  // "DELIVRD", "UNDELIV", ...; empty when the receipt names none
    // ACCEPTD, ENROUTE and intermediate notifications say nothing final yet.
    bool final = true;
    // The outcome as the report record carries it: "0" when delivered, otherwise the
    // state's name (empty when the receipt names none).
    std::string Status() const;
};

// A receipt by its message type (esm_class & 0x3C: 0x04 a delivery receipt, 0x20 an
// intermediate notification) or, for an ordinary message type, by a text beginning "id:" (any
// case) that holds "stat:" or "dlvrd:". The id is receipted_message_id when there is one, else
// the text after "id:" up to the first blank; the state is message_state when there is one,
// else the text after "stat:".
std::optional<Receipt> ReadReceipt(const DeliverSm& deliver, std::string_view text);

}  // namespace nimbra::smpp
