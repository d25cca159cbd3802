// The message commands (AT+CMGS, AT+CMGR, AT+CMGL, AT+CMGD) and the messages that come in
// for the driver: received texts, status reports, and lines stored as they are.

#include <algorithm>

#include "modem.h"
#include "textmode.h"
#include "visible.h"

namespace modemsim {
namespace {

using Form = AtCommand::Form;

constexpr int kStatusReportRequest = 0x20;
constexpr int kMaxTpduOctets = 164;
constexpr int kReportFirstOctet = 6;  // SMS-STATUS-REPORT as text mode shows it

constexpr std::array<const char*, 5> kTextStatus = {"REC UNREAD", "REC READ", "STO UNSENT",
                                                    "STO SENT", "ALL"};

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

std::string AddressType(std::string_view address) {
    return address.starts_with('+') ? "145" : "129";
}

// Status 4 (all), or the one a stored message has: 0 unread, 1 read.
bool Matches(int status, const StoredSms& sms) {
    return status == 4 || status == (sms.read ? 1 : 0);
}

std::string Join(const std::vector<int>& numbers) {
    std::string text;
    for (const int n : numbers)
        text += (text.empty() ? "" : ",") + std::to_string(n);
    return text;
}

}  // namespace

Modem::Reply Modem::SendCommand(const AtCommand& command) {
    if (command.form == Form::kTest)
        return Ok();
    if (command.form != Form::kSet)
        return Error();
    const std::vector<std::string> values = SplitValues(command.value);
    Prompt prompt;
    prompt.pdu = pduMode_;
    if (pduMode_) {
        if (values.size() != 1 || !ParseNumber(values[0], 1, kMaxTpduOctets, prompt.length))
            return CmsError(kInvalidPduParameter);
    } else {
        if (values.empty() || values.size() > 2 || values[0].empty())
            return CmsError(kInvalidTextParameter);
        prompt.destination = values[0];
    }
    prompt_ = std::move(prompt);
    return {Reply::Final::kPrompt, 0, {}};
}

Modem::Reply Modem::SendMessage(const Prompt& prompt) {
    if (!prompt.pdu) {
        Submit submit;
        submit.destination = prompt.destination;
        submit.text = FromDeviceText(prompt.body);
        submit.statusReport = (firstOctet_ & kStatusReportRequest) != 0;
        submit.dcs = codingScheme_;
        return Ok({"+CMGS: " + std::to_string(Accept(std::move(submit), false))});
    }
    std::string error;
    std::optional<Submit> submit = DecodeSubmit(prompt.body, error);
    if (submit && submit->tpduLength != prompt.length) {
        error = "AT+CMGS=" + std::to_string(prompt.length) + " announced the TPDU, which has " +
                std::to_string(submit->tpduLength) + " octets";
    }
    if (!error.empty()) {
        Note("submit refused: " + error + ": " + Escaped(prompt.body));
        return CmsError(kInvalidPduParameter);
    }
    return Ok({"+CMGS: " + std::to_string(Accept(std::move(*submit), true))});
}

int Modem::Accept(Submit submit, bool pdu) {
    const int reference = nextReference_;
    nextReference_ = nextReference_ % 255 + 1;
    const long long now = clock_.NowMs();
    ++stats_.submits;
    Note("sent " + std::to_string(reference) + " to " + submit.destination +
         (submit.partCount > 1
              ? " part " + std::to_string(submit.partIndex) + "/" + std::to_string(submit.partCount)
              : "") +
         (submit.statusReport ? " with status report" : "") + ": " + ControlsEscaped(submit.text));
    if (submit.statusReport && settings_.reports) {
        actions_.emplace(now + settings_.reportDelayMs,
                         [this, reference] { Report(reference, 0); });
    }
    if (!settings_.reply.empty() && submit.partIndex == submit.partCount) {
        actions_.emplace(now + 2LL * settings_.reportDelayMs,
                         [this, from = submit.destination] { Deliver(from, settings_.reply); });
    }
    sent_.push_back({std::move(submit), reference, now, clock_.Wall(), !pdu});
    return reference;
}

std::string Modem::Header(const StoredSms& sms) const {
    const std::string status = std::to_string(sms.read ? 1 : 0);
    if (pduMode_) {
        const int length = sms.kind == StoredSms::Kind::kRaw
                               ? static_cast<int>(sms.pdu.hex.size() / 2)
                               : sms.pdu.tpduLength;
        return status + ",," + std::to_string(sms.hasLine ? length : 0);
    }
    const std::string textStatus = Quoted(kTextStatus[sms.read ? 1 : 0]);
    switch (sms.kind) {
        case StoredSms::Kind::kMessage:
            return textStatus + "," + Quoted(sms.address) + ",," + Quoted(TextStamp(sms.stamp));
        case StoredSms::Kind::kReport:
            return textStatus + "," + std::to_string(kReportFirstOctet) + "," +
                   std::to_string(sms.reference) + "," + Quoted(sms.address) + "," +
                   AddressType(sms.address) + "," + Quoted(TextStamp(sms.stamp)) + "," +
                   Quoted(TextStamp(sms.discharged)) + "," + std::to_string(sms.status);
        case StoredSms::Kind::kRaw:
            break;
    }
    return textStatus + ",\"\",,\"\"";
}

std::vector<std::string> Modem::Shown(const std::string& header, const StoredSms& sms) const {
    std::vector<std::string> lines = {header};
    if (sms.kind == StoredSms::Kind::kReport && !pduMode_)
        return lines;
    if (sms.kind == StoredSms::Kind::kRaw) {
        if (sms.hasLine)
            lines.push_back(sms.pdu.hex);
    } else {
        lines.push_back(pduMode_ ? sms.pdu.hex : ToDeviceText(sms.text));
    }
    return lines;
}

Modem::Reply Modem::Read(const AtCommand& command) {
    if (command.form == Form::kTest)
        return Ok();
    int index = 0;
    if (command.form != Form::kSet || !ParseNumber(command.value, 0, 99999, index))
        return Error();
    if (!store_.InRange(readMemory_, index))
        return CmsError(kInvalidMemoryIndex);
    StoredSms* sms = store_.Find(readMemory_, index);
    if (!sms) {
        switch (settings_.emptySlot) {
            case EmptySlot::kOk:
                return Ok();
            case EmptySlot::kZero:
                return Ok({"+CMGR: 0,,0"});
            case EmptySlot::kCmsError:
                break;
        }
        return CmsError(kInvalidMemoryIndex);
    }
    std::vector<std::string> lines = Shown("+CMGR: " + Header(*sms), *sms);
    sms->read = true;
    ++stats_.reads;
    return Ok(std::move(lines));
}

Modem::Reply Modem::List(const AtCommand& command) {
    if (command.form == Form::kTest) {
        return Ok({pduMode_ ? "+CMGL: (0-4)"
                            : R"(+CMGL: ("REC UNREAD","REC READ","STO UNSENT","STO SENT","ALL"))"});
    }
    int status = 0;
    if (command.form == Form::kSet) {
        const std::vector<std::string> values = SplitValues(command.value);
        const auto named = values.size() == 1
                               ? std::find(kTextStatus.begin(), kTextStatus.end(), values[0])
                               : kTextStatus.end();
        if (!pduMode_ && named != kTextStatus.end())
            status = static_cast<int>(named - kTextStatus.begin());
        else if (!pduMode_ || values.size() != 1 || !ParseNumber(values[0], 0, 4, status))
            return CmsError(pduMode_ ? kInvalidPduParameter : kInvalidTextParameter);
    } else if (command.form != Form::kAction) {
        return Error();
    }
    std::vector<std::string> lines;
    for (const int index : store_.Indexes(readMemory_)) {
        StoredSms& sms = *store_.Find(readMemory_, index);
        if (!Matches(status, sms))
            continue;
        for (std::string& line : Shown("+CMGL: " + std::to_string(index) + "," + Header(sms), sms))
            lines.push_back(std::move(line));
        sms.read = true;
    }
    return Ok(std::move(lines));
}

Modem::Reply Modem::Delete(const AtCommand& command) {
    if (command.form == Form::kTest)
        return Ok({"+CMGD: (" + Join(store_.Indexes(readMemory_)) + "),(0-4)"});
    const std::vector<std::string> values = SplitValues(command.value);
    int index = 0;
    int flag = 0;
    if (command.form != Form::kSet || values.empty() || values.size() > 2 ||
        !ParseNumber(values[0], 0, 99999, index) ||
        (values.size() == 2 && !ParseNumber(values[1], 0, 4, flag))) {
        return Error();
    }
    if (flag == 0) {
        if (!store_.InRange(readMemory_, index))
            return CmsError(kInvalidMemoryIndex);
        if (store_.Remove(readMemory_, index)) {
            ++stats_.deletes;
            Note("deleted " + std::string(MemoryName(readMemory_)) + " " + std::to_string(index));
        }
        return Ok();
    }
    std::vector<int> removed;
    for (const int stored : store_.Indexes(readMemory_)) {
        if ((flag == 4 || store_.Find(readMemory_, stored)->read) &&
            store_.Remove(readMemory_, stored)) {
            removed.push_back(stored);
        }
    }
    stats_.deletes += static_cast<int>(removed.size());
    if (!removed.empty())
        Note("deleted " + std::string(MemoryName(readMemory_)) + " " + Join(removed));
    return Ok();
}

Memory Modem::ReceiveMemory() const {
    return settings_.storeIn.value_or(readMemory_);
}

Placement Modem::Store(std::vector<StoredSms> parts, const char* indication) {
    Placement placement;
    placement.memory = ReceiveMemory();
    const std::string name(MemoryName(placement.memory));
    const int free = store_.Capacity(placement.memory) - store_.Used(placement.memory);
    if (free < static_cast<int>(parts.size())) {
        placement.error = "memory " + name + " has " + std::to_string(free) + " free slots, " +
                          std::to_string(parts.size()) + " needed";
        return placement;
    }
    for (StoredSms& part : parts) {
        const int index = *store_.Add(placement.memory, std::move(part));
        placement.indexes.push_back(index);
        if (indication)
            Unsolicited("\r\n" + std::string(indication) + ": " + Quoted(name) + "," +
                        std::to_string(index) + "\r\n");
    }
    return placement;
}

Placement Modem::Deliver(std::string_view from, std::string_view text) {
    Placement placement;
    const LocalTime now = clock_.Wall();
    std::vector<DeliverPart> pdus =
        DeliverPdus(serviceCentre_, from, text, now, concatenation_, placement.error);
    if (pdus.empty())
        return placement;
    std::vector<StoredSms> parts;
    for (DeliverPart& pdu : pdus) {
        StoredSms sms;
        sms.pdu = std::move(pdu.pdu);
        sms.address = from;
        sms.text = std::move(pdu.text);
        sms.stamp = now;
        parts.push_back(std::move(sms));
    }
    const int mt = cnmi_[1];
    if (Indicating() && (mt == 2 || mt == 3)) {
        for (const StoredSms& sms : parts) {
            Unsolicited(pduMode_ ? "\r\n+CMT: ," + std::to_string(sms.pdu.tpduLength) + "\r\n" +
                                       sms.pdu.hex + "\r\n"
                                 : "\r\n+CMT: " + Quoted(sms.address) + ",," +
                                       Quoted(TextStamp(sms.stamp)) + "\r\n" +
                                       ToDeviceText(sms.text) + "\r\n");
        }
        placement.routed = true;
    } else {
        placement = Store(std::move(parts), Indicating() && mt == 1 ? "+CMTI" : nullptr);
        if (!placement.error.empty())
            return placement;
    }
    placement.parts = static_cast<int>(pdus.size());
    stats_.delivers += placement.parts;
    Note("message from " + std::string(from) + (placement.routed ? " shown with +CMT" : " stored") +
         ": " + ControlsEscaped(text));
    return placement;
}

Placement Modem::Report(std::optional<int> reference, int status) {
    const auto sent = std::find_if(sent_.rbegin(), sent_.rend(), [&](const SentMessage& m) {
        return !reference || m.reference == *reference;
    });
    if (sent == sent_.rend()) {
        Placement none;
        none.error = reference ? "no message was sent with reference " + std::to_string(*reference)
                               : std::string("no message was sent yet");
        return none;
    }
    StoredSms sms;
    sms.kind = StoredSms::Kind::kReport;
    sms.address = sent->submit.destination;
    sms.stamp = sent->at;
    sms.discharged = clock_.Wall();
    sms.reference = sent->reference;
    sms.status = status;
    sms.pdu = StatusReportPdu(serviceCentre_,
                              {sms.reference, sms.address, sms.stamp, sms.discharged, status});
    Placement placement;
    const int ds = cnmi_[3];
    if (Indicating() && ds == 1) {
        Unsolicited(pduMode_
                        ? "\r\n+CDS: " + std::to_string(sms.pdu.tpduLength) + "\r\n" + sms.pdu.hex +
                              "\r\n"
                        : "\r\n+CDS: " + Header(sms).substr(Header(sms).find(',') + 1) + "\r\n");
        placement.routed = true;
    } else {
        placement = Store({sms}, Indicating() && ds == 2 ? "+CDSI" : nullptr);
    }
    if (placement.error.empty()) {
        ++stats_.reports;
        Note("status report " + std::to_string(status) + " for " + std::to_string(sms.reference) +
             (placement.routed ? " shown with +CDS" : " stored"));
    } else {
        Note("status report for " + std::to_string(sms.reference) + " lost: " + placement.error);
    }
    return placement;
}

Placement Modem::StoreLine(std::optional<std::string> line) {
    StoredSms sms;
    sms.kind = StoredSms::Kind::kRaw;
    sms.hasLine = line.has_value();
    sms.pdu.hex = line.value_or("");
    sms.stamp = clock_.Wall();
    const Placement placement = Store({sms}, Indicating() && cnmi_[1] == 1 ? "+CMTI" : nullptr);
    if (placement.error.empty())
        Note(line ? "line stored: " + Escaped(*line) : std::string("slot without a line stored"));
    return placement;
}

}  // namespace modemsim
