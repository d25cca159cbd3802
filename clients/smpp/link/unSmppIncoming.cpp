// Incoming deliver_sm and data_sm: parts joined into their message, receipts matched to the
// message they speak of, everything handed to the engine as a record and answered once the
// engine has stored it.
#include "partidmap.h"
#include "pducoder.h"
#include "pducoder_parts.h"
#include "pducoder_septets.h"
#include "smppincoming.h"
#include "unDate.h"
#include "unSmpp.h"

namespace nimbra::smpp {

// A message that came with the read that found the link closed cannot be answered; the
// message centre sends it again on the next link, so it is not taken in twice.
void Tsmppclient::OnDeliver(driver::ByteTransport& link, const PduParts& parts, bool dataSm) {
    if (!link.IsUp()) {
        Log("Incoming message left unanswered: the link is closed");
        return;
    }
    const std::string answer =
        dataSm ? BuildDataSmResp(parts.sequence) : BuildDeliverResp(parts.sequence);
    const DeliverSm deliver = dataSm ? ReadDataSm(parts.body) : ReadDeliverSm(parts.body);
    const std::optional<std::string> octets = Joined(deliver);
    if (!octets) {
        SendPdu(link, answer);
        return;
    }
    TGsmSms record(EpochToDateTime(clock_.Now()));
    record.operatorName = fields_.Get(fields::kOperator);
    record.sender = deliver.sender;
    record.receiver = deliver.receiver;
    record.text = DecodeText(*octets, deliver.dataCoding, CentreAlphabet());
    if (const std::optional<Receipt> receipt = ReadReceipt(deliver, record.text)) {
        if (!receipt->final) {
            Log("Receipt for " + receipt->id + ": " + receipt->state + " (not final)");
            SendPdu(link, answer);
            return;
        }
        record.type = kTypeDeliveryReport;
        record.reference = home_.empty()
                               ? receipt->id
                               : driver::PartIdMap(home_ / kPartIdsFolder).FirstIdOf(receipt->id);
        record.status = receipt->Status();
    }
    // Answered only once the engine has it: unanswered, the centre delivers it again.
    if (!events_.Taken(record.ToText())) {
        Log("Incoming message left unanswered: the engine did not take it");
        return;
    }
    Log("Incoming Message [" + record.sender + "][" + record.receiver + "][" + record.text + "]");
    SendPdu(link, answer);
}

// Parts wait in the part store, by sender and stem, until the last one has come; parts a
// week old belong to messages that will not complete and are removed.
std::optional<std::string> Tsmppclient::Joined(const DeliverSm& deliver) {
    UserData data = SplitUserData(deliver);
    if (!data.part)
        return std::move(data.octets);
    if (home_.empty()) {
        Log("Part of a long message taken alone: no folder to keep parts in");
        return std::move(data.octets);
    }
    const Concatenation& part = *data.part;
    const PduPartStore store(home_ / kPartsFolderName);
    const PduPartKey key{deliver.sender, part.stem};
    store.Store(key, part.index, pdu::HexOfBytes(data.octets));
    const std::optional<std::vector<std::string>> lines = store.Collect(key, part.total);
    if (!lines) {
        Log("Part " + std::to_string(part.index) + " of " + std::to_string(part.total) + " from " +
            deliver.sender + " kept");
        return std::nullopt;
    }
    store.Remove(key, part.total);
    std::string octets;
    for (const std::string& line : *lines)
        octets += pdu::BytesOfHex(line);
    return octets;
}

}  // namespace nimbra::smpp
