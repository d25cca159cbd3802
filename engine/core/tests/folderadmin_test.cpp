// The message store as the administration interface works with it: folder counts, a folder's
// messages, moving a message, exporting a folder and resending the failed messages.
#include <optional>
#include <string>
#include <vector>

#include "engine_fixture.h"
#include "folderadmin.h"
#include "refusal.h"

namespace nimbra::testing_support {
namespace {

using Texts = std::vector<std::string>;

class FolderAdminTest : public EngineTest {
protected:
    void SetUp() override {
        StartEngine();
        TFolderNode* work = engine->Folders().CreateFolder("Work", nullptr);
        engine->Folders().CreateFolder("Old", work);
    }
    // A message filed in a queue (or only written, when the queue has not been read).
    std::string File(TSmsQueue& queue, const std::string& from, const std::string& to,
                     const std::string& text) {
        auto message = std::make_unique<TSms>(engine->Sms());
        message->from = from;
        message->to = to;
        message->text = text;
        message->receivedTime = "2004-03-16 08:09:10";
        const std::string id = message->messageId;
        queue.Add(std::move(message));
        return id;
    }
    // A message written into a user folder the window has not displayed.
    std::string FileInUserFolder(const std::string& path, const std::string& text) {
        TSmsQueue queue(engine->Store(), Home("Folders/" + path), QueueFlags{});
        return File(queue, "+3620111", "+3620999", text);
    }
    Texts Ids(const std::string& folder) {
        Texts ids;
        for (const ListedMessage& message : ListFolder(*engine, folder))
            ids.push_back(message.messageId);
        return ids;
    }
};

TEST_F(FolderAdminTest, EveryFolderIsCountedWithoutReadingTheOnesNotShownYet) {
    File(Folder(SystemFolder::Inbox), "+3620111", "+3620999", "one");
    File(Folder(SystemFolder::Inbox), "+3620112", "+3620999", "two");
    File(Folder(SystemFolder::SentItems), "+3620999", "+3620111", "sent");
    FileInUserFolder("Work/Old", "kept");

    Texts lines;
    for (const FolderCount& folder : CountFolders(*engine))
        lines.push_back(folder.folder + "=" + std::to_string(folder.count) +
                        (folder.system ? " system" : ""));
    EXPECT_EQ(lines, (Texts{"Inbox=2 system", "Outbox=0 system", "Waiting for resend=0 system",
                            "Sent items=1 system", "Deleted items=0 system",
                            "Could not be sent=0 system", "Work=0", "Work/Old=1"}));
    EXPECT_FALSE(Folder(SystemFolder::SentItems).loaded);
}

TEST_F(FolderAdminTest, AFolderListsItsMessagesByNameOrPathInAnyCase) {
    File(Folder(SystemFolder::Inbox), "+3620111", "+3620999", "_UCS2_00E9");
    File(Folder(SystemFolder::SentItems), "+3620999", "+3620222", "sent");
    const std::string kept = FileInUserFolder("Work/Old", "kept");

    const std::vector<ListedMessage> inbox = ListFolder(*engine, "inbox");
    ASSERT_EQ(inbox.size(), 1u);
    EXPECT_EQ(inbox[0].number, "+3620111");
    EXPECT_EQ(inbox[0].time, "2004-03-16 08:09:10");
    EXPECT_EQ(inbox[0].text, u"\u00e9");
    // Outgoing folders show the destination.
    const std::vector<ListedMessage> sent = ListFolder(*engine, "SENT ITEMS");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].number, "+3620222");
    for (const char* path : {"Work/Old", "work\\old", "/Work/OLD/"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(Ids(path), Texts{kept});
    }
    for (const char* unknown : {"Work/Gone", "Server events", "Old", ""}) {
        SCOPED_TRACE(unknown);
        EXPECT_EQ(RefusalOf([&] { ListFolder(*engine, unknown); }),
                  std::string("No such folder: ") + unknown);
    }
}

TEST_F(FolderAdminTest, AMessageMovesBetweenSystemAndUserFoldersOnce) {
    const std::string id = File(Folder(SystemFolder::Inbox), "+3620111", "+3620999", "hi");
    EXPECT_EQ(MoveToFolder(*engine, id, "Work/Old"), "Inbox");
    EXPECT_EQ(Folder(SystemFolder::Inbox).Count(), 0);
    EXPECT_EQ(FilesIn("SysFolders/Inbox"), 0u);
    EXPECT_EQ(FilesIn("Folders/Work/Old"), 1u);

    // From a user folder into a system folder that has not been read.
    EXPECT_EQ(MoveToFolder(*engine, id, "Deleted items"), "Work/Old");
    EXPECT_EQ(FilesIn("Folders/Work/Old"), 0u);
    EXPECT_EQ(FilesIn("SysFolders/Deleted Items"), 1u);
    EXPECT_EQ(Ids("Deleted items"), Texts{id});

    EXPECT_EQ(RefusalOf([&] { MoveToFolder(*engine, id, "deleted ITEMS"); }),
              "Message " + id + " is in Deleted items already");
    EXPECT_EQ(RefusalOf([&] { MoveToFolder(*engine, "123", "Inbox"); }),
              "No stored message has the id 123");
    EXPECT_EQ(RefusalOf([&] { MoveToFolder(*engine, id, "Nowhere"); }), "No such folder: Nowhere");
    EXPECT_EQ(FilesIn("SysFolders/Deleted Items"), 1u);
}

TEST_F(FolderAdminTest, AMessageADeviceIsSendingStaysInTheOutbox) {
    Device& device = AddDevice();
    StartServer();
    const std::string id = QueueOutgoing("+3620111", "on its way");
    Tick();
    ASSERT_EQ(device.sink->transmitted.size(), 1u);
    EXPECT_EQ(RefusalOf([&] { MoveToFolder(*engine, id, "Inbox"); }),
              "Message " + id + " is being sent now");
    // Its device still finds it there.
    device.phone->sendSuccess(id, "");
    EXPECT_EQ(Folder(SystemFolder::Outbox).Count(), 0);
    EXPECT_EQ(FilesIn("SysFolders/Sent Items"), 1u);
}

TEST_F(FolderAdminTest, AFolderIsExportedAsTheMainWindowWritesIt) {
    Folder(SystemFolder::Outbox).Add([&] {
        auto message = std::make_unique<TSms>(engine->Sms());
        message->to = "+3620111";
        message->text = "a; b";
        message->receivedTime = "2004-03-16 08:09:10";
        return message;
    }());
    engine->Options().dateFormat = "c";
    FolderExport exported = ExportFolder(*engine, "Outbox", "dd/mm/yyyy hh:nn");
    EXPECT_EQ(exported.rows, 1);
    EXPECT_EQ(exported.csv,
              ";Phone number;Message;Time;\r\n"
              "<idx:0>;+3620111;\"a; b\";16/03/2004 08:09;2\r\n");

    engine->Options().dateFormat = "yyyy";
    exported = ExportFolder(*engine, "Work", "");
    EXPECT_EQ(exported.rows, 0);
    EXPECT_EQ(exported.csv, ";Phone number;Message;Time;\r\n");
}

TEST_F(FolderAdminTest, FailedMessagesGoBackAtTheNextTickOfTheRunningServer) {
    for (int i = 0; i < 3; ++i)
        File(Folder(SystemFolder::WaitingForResend), "", "+3620111", "again");
    ResendState state = ResendFailed(*engine);
    EXPECT_EQ(state.waiting, 3);
    EXPECT_FALSE(state.running);

    StartServer();
    state = ResendFailed(*engine);
    EXPECT_TRUE(state.running);
    EXPECT_TRUE(engine->IsPutBackDue());
    Tick();
    EXPECT_EQ(Folder(SystemFolder::WaitingForResend).Count(), 0);
    EXPECT_EQ(Folder(SystemFolder::Outbox).Count(), 3);
}

}  // namespace
}  // namespace nimbra::testing_support
