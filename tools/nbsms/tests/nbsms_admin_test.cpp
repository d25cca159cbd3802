// nbsms's administration commands, the built program against the real engine on a private
// bus: folders, list, move, export, resend-failed, options, plugins and language, and the
// administration refused to another user while the designed interfaces still answer.

#include <unistd.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include "file_text.h"
#include "nbsms_runner.h"
#include "running_engine.h"
#include "temp_dir.h"
#include "wait.h"

namespace nimbra::testing_support {
namespace {

namespace fs = std::filesystem;

QJsonDocument Json(const std::string& text) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
    return document;
}

class NbsmsAdminTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFileText(engine.home() / "Languages.txt", "English\r\nDeutsch\r\n");
        engine.Start();
    }
    Outcome Nbsms(std::vector<std::string> arguments) {
        return RunToEnd(engine.ClientProgram(NBSMS, std::move(arguments)));
    }
    // Sends one message; gives its id.
    std::string Send(const std::string& number, const std::string& text) {
        const Outcome sent = Nbsms({"send", number, text});
        EXPECT_EQ(sent.exitCode, 0) << sent.errors;
        return sent.output.substr(0, sent.output.find('\n'));
    }
    int Count(const std::string& folder) {
        for (const QJsonValue entry : Json(Nbsms({"folders", "--json"}).output).array()) {
            if (entry[QStringLiteral("folder")].toString().toStdString() == folder)
                return entry[QStringLiteral("count")].toInt();
        }
        return -1;
    }

    RunningEngine engine{TRANSMIT};
};

TEST_F(NbsmsAdminTest, FoldersAndListShowTheStore) {
    const std::string first = Send("+3620111", "hello");
    const std::string second = Send("+3620222", "two\nlines");
    fs::create_directories(engine.home() / "Folders/Archive");

    const Outcome folders = Nbsms({"folders"});
    EXPECT_EQ(folders.exitCode, 0) << folders.errors;
    EXPECT_EQ(folders.output,
              "     0  Inbox\n"
              "     2  Outbox\n"
              "     0  Waiting for resend\n"
              "     0  Sent items\n"
              "     0  Deleted items\n"
              "     0  Could not be sent\n");
    EXPECT_EQ(Count("Outbox"), 2);

    const Outcome list = Nbsms({"list", "outbox"});
    EXPECT_EQ(list.exitCode, 0) << list.errors;
    EXPECT_TRUE(Contains(list.output, first + "\t+3620111\t")) << list.output;
    EXPECT_TRUE(Contains(list.output, "\thello\n")) << list.output;
    const QJsonArray json = Json(Nbsms({"list", "Outbox", "--json"}).output).array();
    ASSERT_EQ(json.size(), 2);
    EXPECT_EQ(json[1][QStringLiteral("id")].toString().toStdString(), second);
    EXPECT_EQ(json[1][QStringLiteral("number")].toString(), QStringLiteral("+3620222"));

    const Outcome unknown = Nbsms({"list", "Nowhere"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.errors, "nbsms: No such folder: Nowhere\n");
}

TEST_F(NbsmsAdminTest, MoveAndExportAFolderAsTheMainWindowWritesIt) {
    const std::string id = Send("+3620111", "a; b");
    const Outcome moved = Nbsms({"move", id, "Deleted items"});
    EXPECT_EQ(moved.exitCode, 0) << moved.errors;
    EXPECT_EQ(moved.output, "moved " + id + " from Outbox to Deleted items\n");
    EXPECT_EQ(Nbsms({"count"}).output, "0\n");
    const Outcome again = Nbsms({"move", id, "deleted items"});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(again.errors, "nbsms: Message " + id + " is in Deleted items already\n");

    ASSERT_EQ(Nbsms({"options", "eDateFormat='at noon'"}).exitCode, 0);
    const TempDir dir;
    const Outcome exported = Nbsms({"export", "Deleted items", (dir / "deleted.csv").string()});
    EXPECT_EQ(exported.exitCode, 0) << exported.errors;
    EXPECT_TRUE(Contains(exported.output, "exported 1 messages of Deleted items"))
        << exported.output;
    // The last cell is the message's list id in the engine, a number.
    const std::string csv = ReadFileText(dir / "deleted.csv");
    EXPECT_TRUE(std::regex_match(csv, std::regex(";Phone number;Message;Time;\r\n"
                                                 "<idx:0>;\\+3620111;\"a; b\";at noon;[0-9]+\r\n")))
        << csv;

    const Outcome unwritable = Nbsms({"export", "Inbox", (dir / "none/inbox.csv").string()});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_TRUE(Contains(unwritable.errors, "nbsms: Can't write to file: ")) << unwritable.errors;
}

TEST_F(NbsmsAdminTest, ResendFailedPutsTheWaitingMessagesBackWhileTheServerRuns) {
    const std::string id = Send("+3620111", "try again");
    ASSERT_EQ(Nbsms({"move", id, "Waiting for resend"}).exitCode, 0);

    const Outcome stopped = Nbsms({"resend-failed", "--json"});
    EXPECT_EQ(stopped.exitCode, 1);
    const QJsonObject state = Json(stopped.output).object();
    EXPECT_EQ(state[QStringLiteral("waiting")].toInt(), 1);
    EXPECT_FALSE(state[QStringLiteral("running")].toBool());
    EXPECT_TRUE(Contains(stopped.errors, "Server is not running")) << stopped.errors;

    ASSERT_EQ(Nbsms({"start"}).exitCode, 0);
    const Outcome running = Nbsms({"resend-failed"});
    EXPECT_EQ(running.exitCode, 0) << running.errors;
    EXPECT_TRUE(Contains(running.output, "1 messages wait for resend")) << running.output;
    // The next tick of the scheduler, a second later.
    EXPECT_TRUE(WaitUntil([&] { return Nbsms({"count"}).output == "1\n"; }, kNbsmsTimeout));
    EXPECT_EQ(Count("Waiting for resend"), 0);
}

TEST_F(NbsmsAdminTest, OptionsAreShownAndChangedWithTheWindowsChecks) {
    const Outcome shown = Nbsms({"options"});
    EXPECT_EQ(shown.exitCode, 0) << shown.errors;
    EXPECT_TRUE(Contains(shown.output, "\neSendRetries=5\n")) << shown.output;
    EXPECT_TRUE(Contains(shown.output, "\ncbFilterIn=No filter is installed\n")) << shown.output;

    const Outcome refused = Nbsms({"options", "cbWav=0", "eSendRetries=many"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.errors, "nbsms: The send retry count is not valid\n");
    EXPECT_EQ(Nbsms({"options", "NoEquals"}).exitCode, 64);

    const Outcome changed = Nbsms({"options", "eSendRetries=3", "cbwav=0"});
    EXPECT_EQ(changed.exitCode, 0) << changed.errors;
    EXPECT_EQ(changed.output, "cbWav=0\neSendRetries=3\n");
    const QJsonObject json = Json(Nbsms({"options", "--json"}).output).object();
    EXPECT_EQ(json[QStringLiteral("eSendRetries")].toString(), QStringLiteral("3"));
    EXPECT_EQ(json[QStringLiteral("cbWav")].toString(), QStringLiteral("0"));
    // Saved for the next start.
    const std::string settings = ReadFileText(engine.settings() / "HKEY_LOCAL_MACHINE.ini");
    EXPECT_TRUE(Contains(settings, "Server\\eSendRetries=3")) << settings;
}

TEST_F(NbsmsAdminTest, APluginIsInstalledStartedAndUninstalledWhichEndsItsClient) {
    // A plugin that says it was started; it logs in elsewhere, as "nbsms watch" does.
    fs::create_directories(engine.home() / "Plugins");
    const fs::path plugin = engine.home() / "Plugins/nbsms";
    WriteFileText(plugin, "#!/bin/sh\ntouch \"$NIMBRA_HOME/plugin-started\"\n");
    fs::permissions(plugin, fs::perms::owner_all);

    const Outcome installed = Nbsms({"install", "nbsms"});
    EXPECT_EQ(installed.exitCode, 0) << installed.errors;
    EXPECT_TRUE(
        WaitUntil([&] { return fs::exists(engine.home() / "plugin-started"); }, kNbsmsTimeout));
    EXPECT_TRUE(Contains(Nbsms({"options"}).output, "\nlbCOMPlugins=nbsms\n"));

    ChildProcess watch(engine.ClientProgram(NBSMS, {"watch"}));
    ASSERT_TRUE(WaitUntil([&] { return Contains(watch.Output(), " watching as nbsms 1\n"); },
                          kNbsmsTimeout))
        << watch.Errors();
    const QJsonObject devices = Json(Nbsms({"devices", "--json"}).output).object();
    EXPECT_EQ(devices[QStringLiteral("activePlugins")].toArray(),
              QJsonArray{QStringLiteral("nbsms 1")});

    EXPECT_EQ(Nbsms({"uninstall", "nbsms"}).exitCode, 0);
    ASSERT_TRUE(watch.WaitForExit(kNbsmsTimeout));
    EXPECT_TRUE(Contains(watch.Output(), " ServerShutdown\n")) << watch.Output();
    EXPECT_TRUE(Contains(Nbsms({"options"}).output, "\nlbCOMPlugins=\n"));

    const Outcome notInstalled = Nbsms({"uninstall", "nbsms"});
    EXPECT_EQ(notInstalled.exitCode, 1);
    EXPECT_EQ(notInstalled.errors, "nbsms: The plugin is not installed: nbsms\n");
    const Outcome missing = Nbsms({"install", "ticker"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(Contains(missing.errors, "nbsms: The plugin cannot be found: ")) << missing.errors;
}

TEST_F(NbsmsAdminTest, ALanguageChangeTellsClientsAndEndsTheEngineForARestart) {
    const Outcome unknown = Nbsms({"language", "Klingon"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.errors,
              "nbsms: No such language: Klingon (Languages.txt offers: English, Deutsch)\n");
    ChildProcess watch(engine.ClientProgram(NBSMS, {"watch"}));
    ASSERT_TRUE(
        WaitUntil([&] { return Contains(watch.Output(), " watching as "); }, kNbsmsTimeout));

    const Outcome changed = Nbsms({"language", "Deutsch"});
    EXPECT_EQ(changed.exitCode, 0) << changed.errors;
    EXPECT_TRUE(Contains(changed.output, "After changing the language, you need to restart"))
        << changed.output;
    ASSERT_TRUE(engine.process().WaitForExit(kNbsmsTimeout));
    EXPECT_EQ(engine.process().ExitCode(), 75);
    ASSERT_TRUE(watch.WaitForExit(kNbsmsTimeout));
    EXPECT_TRUE(Contains(watch.Output(), " info setlanguage(Deutsch)\n")) << watch.Output();
    EXPECT_TRUE(Contains(watch.Output(), " ServerShutdown\n")) << watch.Output();
    const std::string settings = ReadFileText(engine.settings() / "HKEY_LOCAL_MACHINE.ini");
    EXPECT_TRUE(Contains(settings, "Settings\\Language=Deutsch")) << settings;
}

TEST(NbsmsAdminCommandLineTest, EveryCommandDescribesItself) {
    for (const char* command : {"folders", "list", "devices", "resend-failed", "move", "export",
                                "install", "uninstall", "options", "language"}) {
        SCOPED_TRACE(command);
        const Outcome help = RunToEnd({NBSMS, {command, "--help"}, {}, {}});
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_TRUE(Contains(help.output, std::string("Usage: nbsms ") + command)) << help.output;
    }
    const Outcome noJson = RunToEnd({NBSMS, {"move", "1", "Inbox", "--json"}, {}, {}});
    EXPECT_EQ(noJson.exitCode, 64);
    EXPECT_TRUE(Contains(noJson.errors, "move takes no --json")) << noJson.errors;
}

// The administration is open to the engine's user only: another user's nbsms, on a bus that
// admits it, is refused, while the designed interfaces answer it.
TEST(NbsmsOtherUserTest, AnotherUsersAdministrationIsRefused) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "running a client as another user needs root";
    RunningEngine engine(TRANSMIT, PrivateBus::Users::Any);
    engine.Start();
    const auto asNobody = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(),
                         {"--reuid=nobody", "--regid=nogroup", "--clear-groups", "--", NBSMS});
        ChildProcess::Options options = engine.ClientProgram("setpriv", std::move(arguments));
        options.environment["HOME"] = "/";
        options.workingDirectory = "/";
        return RunToEnd(options);
    };

    const Outcome designed = asNobody({"count"});
    EXPECT_EQ(designed.exitCode, 0) << designed.errors;
    EXPECT_EQ(designed.output, "0\n");
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{"folders"},
                                                      {"options", "cbWav=0"},
                                                      {"install", "smpp"},
                                                      {"language", "English"}}) {
        SCOPED_TRACE(arguments.front());
        const Outcome refused = asNobody(arguments);
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_EQ(refused.errors,
                  "nbsms: The administration of the engine is open only to the user running "
                  "it\n");
    }
    // Nothing changed, and the engine's own user is served.
    const Outcome own = RunToEnd(engine.ClientProgram(NBSMS, {"options"}));
    EXPECT_TRUE(Contains(own.output, "\ncbWav=1\n")) << own.output << own.errors;
    EXPECT_TRUE(engine.Running());
}

}  // namespace
}  // namespace nimbra::testing_support
