// Incoming messages and delivery reports, as devices deliver them.
#include <optional>

#include "engine.h"
#include "unStrings.h"

namespace nimbra {

namespace {

constexpr const char* kStatusReportText = "STATUS REPORT: Received (";

std::optional<long long> DecimalReading(const std::string& text) {
    int value = 0;
    if (!ParseInt32(text, value))
        return std::nullopt;
    return value;
}

// Message centres write references in either case; empty reads as 0.
std::optional<long long> HexReading(const std::string& text) {
    if (text.size() > 8)
        return std::nullopt;
    for (const char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
    }
    return static_cast<unsigned>(HexTextToInt(UpperAscii(text)));
}

bool ReferencesAgree(const std::string& a, const std::string& b) {
    const std::optional<long long> readingsA[] = {DecimalReading(a), HexReading(a)};
    const std::optional<long long> readingsB[] = {DecimalReading(b), HexReading(b)};
    for (const auto& x : readingsA) {
        for (const auto& y : readingsB) {
            if (x && y && *x == *y)
                return true;
        }
    }
    return false;
}

// An address that is no phone number (a report without receiver) matches no number.
bool SameKnownNumber(const std::string& a, const std::string& b) {
    return !NormalizePhoneNumber(a).empty() && !NormalizePhoneNumber(b).empty() &&
           SamePhoneNumber(a, b);
}

// Drivers put a report's outcome into its status: "0" for a delivered message; an empty
// status comes from drivers that only report deliveries.
bool IsDelivered(const TGsmSms& report) {
    return report.status.empty() || report.status == kStatusDelivered;
}

}  // namespace

void Engine::ReceiveMessage(TGsmSms& record) {
    if (inFilter_.IsActive())
        record.FromText(inFilter_.Apply(record.ToText()));
    auto message = std::make_unique<TSms>(sms_);
    message->FromRecord(record);
    if (message->text.find(kStatusReportText) != std::string::npos)
        return;
    message->messageId = sms_.NewMessageId();

    if (options_.saveSenders) {
        std::string group = options_.senderGroup;
        if (group.empty()) {
            const std::vector<std::string> groups = addressBook_->GroupNames();
            group = groups.empty() ? std::string() : groups.front();
        }
        addressBook_->AddUnknownContact("", NormalizePhoneNumber(message->from), group,
                                        NowText(Now()));
    }
    if (options_.sortByGroup)
        CopyToGroupFolder(*message);

    const std::string id = message->messageId;
    Queue(SystemFolder::Inbox).Add(std::move(message));
    // The list is sorted again two seconds after the last arrival, not at every one.
    if (queues_->ShownIndex() == kTreeInbox)
        PostMessage(WindowMessage::RestartListSort);
    int number = 0;
    ParseInt32(id, number);
    PostMessage(WindowMessage::MessageReceivedEvent, number);
    if (options_.playSound)
        host_.PlaySound(PathOf("Notify.wav"));
}

void Engine::CopyToGroupFolder(const TSms& message) {
    const std::string group = addressBook_->GroupOf(NormalizePhoneNumber(message.from));
    if (group.empty())
        return;
    // The top-level user folder of the group, under a name that a folder may bear; the same
    // name finds the folder and makes it. A folder that cannot be made is told of once per
    // group, not with every message.
    const std::string name = GroupFolderName(group);
    std::string path;
    if (!folders_->EnsureFolderPath(name, &path, false)) {
        if (groupFoldersToldOf_.insert(group).second)
            notifier_.ShowMessage(Translate("Cannot create folder: ") +
                                  PathOf(kUserFoldersDirectory + "/" + name));
        return;
    }
    std::unique_ptr<TSms> copy = message.Clone();
    TFolderNode* node = folders_->FindChild(path, nullptr);
    if (TSmsQueue* queue = queues_->QueueForTreeIndex(folders_->Tree().IndexOfNode(node))) {
        queue->Add(std::move(copy));
        return;
    }
    copy->Save(copy->FreshPathIn(PathOf(kUserFoldersDirectory + "/" + path + "/")));
}

bool Engine::matchReport(const TGsmSms& report) {
    TSmsQueue& sent = Queue(SystemFolder::SentItems);
    if (!sent.loaded)
        sent.LoadFolder();
    bool agreed = false;
    for (int i = 0; i < sent.Count(); ++i) {
        TSms& message = sent.At(i);
        const bool numeric = ReferencesAgree(report.reference, message.reference);
        agreed = agreed || numeric;
        if (message.reference != report.reference && !numeric)
            continue;
        if (message.iconIndex == kIconDeliveryConfirmed)
            continue;
        if (!SameKnownNumber(message.to, report.sender) &&
            !SameKnownNumber(message.to, report.receiver))
            continue;
        if (IsDelivered(report))
            ConfirmDelivery(message, sent);
        else
            RecordOutcome(message, report.status);
        return true;
    }
    return agreed;
}

void Engine::ConfirmDelivery(TSms& message, const TSmsQueue& sent) {
    message.iconIndex = kIconDeliveryConfirmed;
    message.Save(message.path);
    if (sent.IsShown() && onWindowRequest)
        onWindowRequest(WindowMessage::RepaintMessageList);
    PostWithSlot(WindowMessage::MessageDeliveredEvent, message.messageId);
}

// A report that tells of a failure (or of a message still on its way) confirms nothing: the
// operator finds its outcome in the logs and in the stored message.
void Engine::RecordOutcome(TSms& message, const std::string& outcome) {
    const std::string line = "Delivery report " + outcome + ": " + message.ListLine();
    Log("receive", line);
    Log("error", line);
    message.spare1 = outcome;
    message.Save(message.path);
}

}  // namespace nimbra
