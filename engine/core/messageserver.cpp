#include "messageserver.h"

#include <fstream>
#include <stdexcept>
#include <vector>

#include "engine.h"
#include "unGSMSMS.h"
#include "unStrings.h"

namespace nimbra {

namespace {

// The position of message in queue, or -1.
int IndexOf(const TSmsQueue& queue, const TSms* message) {
    for (int i = 0; i < queue.Count(); ++i) {
        if (&queue.At(i) == message)
            return i;
    }
    return -1;
}

// The lines of a text file as a string list reads them: LF or CR LF ends a line, a last line
// without an end counts, an end at the end of the file starts no further line.
std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("Cannot open file \"" + path + "\"");
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    if (file.bad())
        throw std::runtime_error("Cannot read file \"" + path + "\"");
    return lines;
}

}  // namespace

TnbMessageServer::TnbMessageServer(Engine& engine, int tag) : menuTag(tag), engine_(engine) {}

void TnbMessageServer::SetSink(MessageServerEventSink* sink) {
    sink_.Set(sink);
    engine_.ClientsChanged();
}

void TnbMessageServer::Release() {
    sink_.Release();
    engine_.ClientLock().Forget({static_cast<const EngineClient*>(this)});
    engine_.ClientsChanged();
}

AutoValue TnbMessageServer::stopServer() {
    if (!engine_.StopAvailable())
        return Status(false);
    engine_.StopbtnClick();
    return Status(true);
}

AutoValue TnbMessageServer::startServer() {
    if (!engine_.StartAvailable())
        return Status(false);
    engine_.StartbtnClick(true);
    return Status(true);
}

std::string TnbMessageServer::sendMessage(std::string& msg) {
    TGsmSms record(engine_.Now());
    record.FromText(msg);
    record.receiver = NormalizePhoneNumber(record.receiver);
    if (record.messageId.empty())
        record.messageId = engine_.Sms().NewMessageId();

    TSmsQueue& tmp = engine_.Queue(SystemFolder::Tmp);
    auto message = std::make_unique<TSms>(engine_.Sms());
    message->FromRecord(record);
    const std::string messageId = message->messageId;
    // The Tmp copy is what clients can find while they hear of the message; it is kept in
    // memory only: the engine never reads Tmp files back, and writing one and deleting it
    // again would double the disk work of every message.
    tmp.Add(std::move(message), true, true);
    const int listId = tmp.Sequence();

    engine_.RaiseAcceptedForDelivery(realName, messageId, record.ToText());

    // A client that heard of the message may have changed it, or deleted it: then there is
    // nothing left to send.
    const int index = tmp.IndexOfListId(listId);
    if (index < 0) {
        msg = record.ToText();
        return messageId;
    }
    const TSms& stored = tmp.At(index);
    msg = stored.ToRecord().ToText();
    const std::string id = stored.messageId;
    if (!MoveMessage(tmp, index, engine_.Queue(SystemFolder::Outbox))) {
        // Nobody is to find a message that was never filed.
        tmp.RemoveAt(index);
        throw std::runtime_error("The message could not be filed in the Outbox");
    }
    return id;
}

AutoValue TnbMessageServer::deleteMessage(const std::string& messageId) {
    const TqueueManager::Location found = engine_.Queues().LocateMessage(messageId);
    if (!found.message || !found.message->TryLock())
        return Status(false);
    found.queue->RemoveAt(IndexOf(*found.queue, found.message));
    return Status(true);
}

AutoValue TnbMessageServer::reSendMessage(const std::string& messageId) {
    const TqueueManager::Location found = engine_.Queues().LocateMessage(messageId);
    TSmsQueue& outbox = engine_.Queue(SystemFolder::Outbox);
    if (!found.message || found.queue == &outbox || !found.message->TryLock())
        return {};
    // The copy is not busy; when it cannot be filed the original stays, free again.
    if (!MoveMessage(*found.queue, IndexOf(*found.queue, found.message), outbox))
        found.message->Unlock();
    return {};
}

AutoValue TnbMessageServer::getSystemInfo(const std::string& request, const std::string& target,
                                          AutoValue& response) {
    response = {};
    if (target == "system") {
        if (request == "exedir") {
            response = engine_.ProgramDirectory();
            return Status(true);
        }
        response = request == "language" ? engine_.LanguageName() : std::string();
        return Status(false);
    }
    if (target == "sendqueue") {
        if (request != "count")
            return Status(false);
        response = engine_.Queue(SystemFolder::Outbox).Count();
        return Status(true);
    }
    if (target == "masssend") {
        MassSend(request);
        return Status(true);
    }
    return {};
}

void TnbMessageServer::MassSend(const std::string& path) {
    const std::vector<std::string> lines = ReadLines(path);
    TSmsQueue& outbox = engine_.Queue(SystemFolder::Outbox);
    Engine::Progress progress{true, static_cast<int>(lines.size()), 0};
    outbox.hidden = true;
    engine_.SetProgress(progress);
    // A failure halfway keeps the lines filed so far and still ends the bulk mark.
    const auto finish = [this, &outbox] {
        Engine::Progress done = engine_.WorkProgress();
        done.visible = false;
        engine_.SetProgress(done);
        outbox.hidden = false;
        TqueueManager& queues = engine_.Queues();
        if (queues.ShownQueue() == &outbox) {
            queues.MessageList().Fill(&outbox);
            engine_.SetStatus("status2", std::to_string(queues.MessageList().RowCount()));
        }
    };
    try {
        for (const std::string& line : lines) {
            TGsmSms record(engine_.Now());
            record.FromText(line);
            record.messageId = engine_.Sms().NewMessageId();
            auto message = std::make_unique<TSms>(engine_.Sms());
            message->FromRecord(record);
            if (!outbox.AddSaved(std::move(message)))
                throw std::runtime_error("Line " + std::to_string(progress.position + 1) +
                                         " could not be written to the Outbox");
            ++progress.position;
            engine_.SetProgress(progress);
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

AutoValue TnbMessageServer::getMessage(const std::string& messageId, AutoValue& msg) {
    const TqueueManager::Location found = engine_.Queues().LocateMessage(messageId);
    msg = found.message ? found.message->ToRecord().ToText() : std::string();
    return Status(found.message != nullptr);
}

std::string TnbMessageServer::login(const std::string& name) {
    clientName = name;
    int count = 0;
    bool listed = false;
    for (const auto& client : engine_.Clients()) {
        listed = listed || client.get() == this;
        const auto* server = dynamic_cast<const TnbMessageServer*>(client.get());
        if (server && !server->clientName.empty() && server->clientName == clientName)
            ++count;
    }
    // This object counts even when a walk has dropped it already.
    if (!listed && !clientName.empty())
        ++count;
    realName = clientName + " " + std::to_string(count);
    engine_.ClientsChanged();
    return realName;
}

void TnbMessageServer::logout() {
    realName = "[LOGOUT: " + realName + "]";
    engine_.ClientsChanged();
}

AutoValue TnbMessageServer::setMessage(const std::string& messageId, const std::string& msg) {
    const TqueueManager::Location found = engine_.Queues().LocateMessage(messageId);
    if (!found.message || !found.message->TryLock())
        return Status(false);
    TSms& message = *found.message;
    TGsmSms before = message.ToRecord();
    TGsmSms record(engine_.Now());
    record.FromText(msg);
    message.FromRecord(record);
    const bool saved = message.path.empty() || message.Save(message.path);
    if (!saved) {
        // The file keeps the old message; so does the engine.
        message.FromRecord(before);
    }
    message.Unlock();
    if (!saved)
        throw std::runtime_error("The message " + messageId + " could not be written");
    return Status(true);
}

void TnbMessageServer::registerMenuItem(const std::string& name) {
    if (firstCommand.empty())
        firstCommand = name;
    ServerMenu& menu = engine_.PluginMenu();
    if (!separatorAdded) {
        menu.AddSeparator(menuTag);
        separatorAdded = true;
    }
    menu.Register(name, menuTag);
}

void TnbMessageServer::unRegisterMenuItem(const std::string& name) {
    engine_.PluginMenu().Unregister(name, menuTag);
}

void TnbMessageServer::statusInfo(const std::string& info) {
    // "ping" is the clients' keep-alive.
    if (info != "ping")
        engine_.SetStatus("status0", info);
}

void TnbMessageServer::log(const std::string& context, const std::string& msg) {
    engine_.SetStatus(context, msg);
}

void TnbMessageServer::enableMenuItem(const std::string& name) {
    engine_.PluginMenu().SetEnabled(name, menuTag, true);
}

void TnbMessageServer::disableMenuItem(const std::string& name) {
    engine_.PluginMenu().SetEnabled(name, menuTag, false);
}

void TnbMessageServer::lock(std::function<void()> granted, std::function<void()> dropped) {
    engine_.ClientLock().Request(static_cast<const EngineClient*>(this), std::move(granted),
                                 std::move(dropped));
}

void TnbMessageServer::unlock() {
    engine_.ClientLock().Unlock();
}

void TnbMessageServer::ServerStarted() {
    if (sink_)
        sink_->ServerStarted();
}

void TnbMessageServer::ServerStopped() {
    if (sink_)
        sink_->ServerStopped();
}

void TnbMessageServer::MessageSent(const std::string& messageId) {
    if (sink_)
        sink_->MessageSent(messageId);
}

void TnbMessageServer::MessageReceived(const std::string& messageId) {
    if (!sink_)
        return;
    const TqueueManager::Location found = engine_.Queues().LocateMessage(messageId);
    if (found.message)
        sink_->MessageReceived(found.message->ToRecord().ToText());
}

void TnbMessageServer::MessageDeleted(const std::string& messageId) {
    if (sink_)
        sink_->MessageDeleted(messageId);
}

void TnbMessageServer::SendAttemptFailed(const std::string& messageId, int code) {
    if (sink_)
        sink_->Error(code, kRetryErrorText, messageId, "1");
}

void TnbMessageServer::MessageDelivered(const std::string& messageId) {
    if (sink_)
        sink_->MessageDelivered(messageId);
}

void TnbMessageServer::ServerShutdown() {
    engine_.PluginMenu().RemoveTag(menuTag);
    if (sink_)
        sink_->ServerShutdown();
}

void TnbMessageServer::Info(const std::string& content) {
    if (sink_)
        sink_->Info(content);
}

void TnbMessageServer::RaiseAcceptedForDelivery(const std::string& source,
                                                const std::string& messageId,
                                                const std::string& record) {
    if (sink_)
        sink_->MessageAcceptedForDelivery(source, messageId, record);
}

void TnbMessageServer::RaiseMenuItemClick(const std::string& caption) {
    if (sink_)
        sink_->MenuItemClick(caption);
}

}  // namespace nimbra
