// The objects' contract on the bus: creation, named calls against Invoke, empty results,
// naming, ownership, bad arguments and the locks.
#include <filesystem>
#include <fstream>
#include <tuple>

#include <QDBusVariant>

#include "automation_fixture.h"
#include "event_wait.h"

namespace nimbra::testing_support {
namespace {

const QString kServer = QStringLiteral("nbMessageServer");
const QString kPhone = QStringLiteral("nbSMSPhone");

// What a call gave: the retval and the out values, from a named call's reply (outs first,
// retval last) or from Invoke's (result, out list).
struct Result {
    QString retval;
    QStringList outs;
    bool operator==(const Result&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Result& r) {
    return os << r.retval.toStdString() << " / " << r.outs.join(QLatin1Char('|')).toStdString();
}

Result FromNamed(const QDBusMessage& reply, bool hasRetval) {
    QStringList shown = ShowAll(reply);
    Result result;
    if (hasRetval && !shown.isEmpty())
        result.retval = shown.takeLast();
    result.outs = shown;
    return result;
}

Result FromInvoke(const QDBusMessage& reply, bool hasRetval) {
    const QStringList shown = ShowAll(reply);
    Result result;
    if (shown.size() != 2)
        return {shown.join(QLatin1Char(',')), {}};
    if (hasRetval)
        result.retval = shown.at(0);
    const QString outs = shown.at(1);
    if (outs != QStringLiteral("<empty>"))
        result.outs = outs.mid(1, outs.size() - 2).split(QLatin1Char(','));
    return result;
}

TEST_F(AutomationTest, ObjectsAreMadeByNameOrIdentifierAndUnknownClassesAreRefused) {
    QStringList paths;
    for (const char* name :
         {"nbMessageServer", "nbSMSPhone", "nbEasySMS", "nbServiceControl",
          "{2dee8fea-e37b-11d6-b1ec-00e0299a95bf}", "{EFD82F34-9F9F-4AA8-9C77-27F8EC9FA49A}"})
        paths << a->Create(QString::fromLatin1(name));
    EXPECT_EQ(paths.at(0), QStringLiteral("/org/nimbra/Transmit/nbMessageServer/1"));
    EXPECT_EQ(paths.at(4), QStringLiteral("/org/nimbra/Transmit/nbMessageServer/2"));
    EXPECT_EQ(paths.at(5), QStringLiteral("/org/nimbra/Transmit/nbSMSPhone/2"));
    EXPECT_EQ(paths.removeDuplicates(), 0);

    for (const QString& bad :
         {QStringLiteral("nbNothing"), QStringLiteral(""), QString(300000, QLatin1Char('x'))}) {
        const QDBusMessage reply =
            a->Call(QString::fromLatin1(kRootPath), QStringLiteral("org.nimbra.Transmit.Server"),
                    QStringLiteral("CreateObject"), {bad});
        EXPECT_EQ(reply.errorName(), QStringLiteral("org.nimbra.Transmit.Error.Failed"));
        EXPECT_TRUE(reply.errorMessage().startsWith(QStringLiteral("Unknown class")));
    }
}

TEST_F(AutomationTest, NamedCallsAndInvokeGiveTheSameResultsAndUnsetResultsAreEmpty) {
    const QString named = Ready(*a, kServer, QStringLiteral("named"));
    const QString invoked = Ready(*a, kServer, QStringLiteral("invoked"));
    const QString home = QString::fromStdString(engine->home().string()) + QLatin1Char('/');
    const auto w = [](const char* text) { return Wrap(QString::fromLatin1(text)); };
    struct Row {
        const char* method;
        int dispid;
        QVariantList args;
        bool hasRetval;
        Result expected;
    };
    const std::vector<Row> rows = {
        {"stopServer", 1, {}, true, {"i:0", {}}},
        {"deleteMessage", 4, {w("404")}, true, {"i:0", {}}},
        {"reSendMessage", 5, {w("404")}, true, {"<empty>", {}}},
        {"setMessage", 6, {w("404"), w("{GSMSMS}")}, true, {"i:0", {}}},
        {"getSystemInfo", 7, {w("exedir"), w("system")}, true, {"i:1", {home}}},
        {"getSystemInfo", 7, {w("other"), w("system")}, true, {"i:0", {""}}},
        {"getSystemInfo", 7, {w("count"), w("sendqueue")}, true, {"i:1", {"i:0"}}},
        {"getSystemInfo", 7, {w("other"), w("sendqueue")}, true, {"i:0", {"<empty>"}}},
        {"getSystemInfo", 7, {w("count"), w("nowhere")}, true, {"<empty>", {"<empty>"}}},
        {"getMessage", 9, {w("404")}, true, {"i:0", {""}}},
        {"registerMenuItem", 8, {w("Cmd")}, false, {}},
        {"disableMenuItem", 16, {QStringLiteral("Cmd")}, false, {}},
        {"enableMenuItem", 15, {QStringLiteral("Cmd")}, false, {}},
        {"unRegisterMenuItem", 12, {w("Cmd")}, false, {}},
        {"statusInfo", 13, {QStringLiteral("a status line")}, false, {}},
        {"log", 14, {QStringLiteral("status1"), QStringLiteral("a line")}, false, {}},
        {"unlock", 18, {}, false, {}},
        {"logout", 11, {}, false, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.method);
        const QDBusMessage byName = a->CallObject(named, QString::fromLatin1(row.method), row.args);
        QVariantList plain;
        for (const QVariant& arg : row.args)
            plain << (arg.metaType() == QMetaType::fromType<QDBusVariant>()
                          ? arg.value<QDBusVariant>().variant()
                          : arg);
        const QDBusMessage byId = a->Invoke(invoked, row.dispid, plain);
        EXPECT_EQ(FromNamed(byName, row.hasRetval), row.expected)
            << ShowAll(byName).join(',').toStdString();
        EXPECT_EQ(FromInvoke(byId, row.hasRetval), row.expected)
            << ShowAll(byId).join(',').toStdString();
    }

    // login: the count goes on across both ways.
    EXPECT_EQ(ShowAll(a->CallObject(named, QStringLiteral("login"), {QStringLiteral("twin")})),
              QStringList{QStringLiteral("twin 1")});
    EXPECT_EQ(ShowAll(a->Invoke(invoked, 10, {QStringLiteral("twin")})),
              (QStringList{QStringLiteral("twin 2"), QStringLiteral("<empty>")}));
    // sendMessage: the id comes back, and the record carries it.
    const QDBusMessage sent =
        a->CallObject(named, QStringLiteral("sendMessage"), {Wrap(Record("+3611111", "by name"))});
    const QDBusMessage invokedSend = a->Invoke(invoked, 3, {Record("+3611111", "by id", "77")});
    ASSERT_EQ(sent.arguments().size(), 2);
    const QString id = Show(sent.arguments().at(1));
    EXPECT_FALSE(id.isEmpty());
    EXPECT_TRUE(Show(sent.arguments().at(0)).contains(QStringLiteral("{") + id + QLatin1Char('}')));
    ASSERT_EQ(ShowAll(invokedSend).size(), 2);
    EXPECT_EQ(ShowAll(invokedSend).at(0), QStringLiteral("77"));
    EXPECT_TRUE(ShowAll(invokedSend).at(1).contains(QStringLiteral("{77}")));
    EXPECT_EQ(OutboxCount(*a, named), 2);
}

// A text with characters outside the engine's code page enters in the Unicode form, by
// every way in; a text the code page holds stays as it is.
TEST_F(AutomationTest, MessageTextsKeepTheCharactersTheCodePageLacks) {
    const QString server = Ready(*a, kServer, QStringLiteral("unicode"));
    const QString easy = Ready(*a, QStringLiteral("nbEasySMS"));
    const std::string greek = "\xCE\x93\xCE\xB5\xCE\xB9\xCE\xB1";
    const QString greekStored = QStringLiteral("{_UCS2_039303B503B903B1}");
    const std::string held = "\xC3\xA9 \xC3\xA4 \xC2\xA3";
    const QString heldStored = QStringLiteral("{\u00E9 \u00E4 \u00A3}");
    const auto stored = [&](const QString& id) {
        return ShowAll(a->CallObject(server, QStringLiteral("getMessage"), {Wrap(id)})).value(0);
    };

    for (const auto& [text, expected] : {std::pair{greek, greekStored}, {held, heldStored}}) {
        SCOPED_TRACE(expected.toStdString());
        const QDBusMessage named =
            a->CallObject(server, QStringLiteral("sendMessage"), {Wrap(Record("+3620111", text))});
        ASSERT_EQ(named.arguments().size(), 2);
        EXPECT_TRUE(Show(named.arguments().at(0)).contains(expected));
        EXPECT_TRUE(stored(Show(named.arguments().at(1))).contains(expected));
        const QStringList invoked = ShowAll(a->Invoke(server, 3, {Record("+3620111", text)}));
        ASSERT_EQ(invoked.size(), 2);
        EXPECT_TRUE(stored(invoked.at(0)).contains(expected));

        const QString id = Show(
            a->CallObject(easy, QStringLiteral("sendMessage"),
                          {Wrap(QStringLiteral("+3620111")), Wrap(QString::fromStdString(text))})
                .arguments()
                .value(0));
        EXPECT_TRUE(stored(id).contains(expected));
    }

    // A changed message keeps its characters too.
    const QString id =
        Show(a->CallObject(server, QStringLiteral("sendMessage"), {Wrap(Record("+3620111", "x"))})
                 .arguments()
                 .value(1));
    EXPECT_EQ(ShowAll(a->CallObject(server, QStringLiteral("setMessage"),
                                    {Wrap(id), Wrap(Record("+3620111", greek, id.toStdString()))})),
              QStringList{QStringLiteral("i:1")});
    EXPECT_TRUE(stored(id).contains(greekStored));
}

TEST_F(AutomationTest, TheOtherObjectsAnswerNamedCallsAndInvokeAlike) {
    struct Row {
        const char* method;
        int dispid;
        QVariantList args;
        QStringList expected;  // the named call's reply; Invoke's result is its first value
    };
    const auto s = [](const char* text) { return QVariant(QString::fromLatin1(text)); };
    const std::vector<Row> phoneRows = {
        {"smsReceived", 1, {s("{GSMSMS}{}{+3611}{+3622}{}")}, {}},
        {"logout", 3, {}, {}},
        {"registerMenuItem", 4, {s("drv Reconnect")}, {}},
        {"disableMenuItem", 8, {s("drv Reconnect")}, {}},
        {"enableMenuItem", 9, {s("drv Reconnect")}, {}},
        {"unRegisterMenuItem", 5, {s("drv Reconnect")}, {}},
        {"statusInfo", 6, {s("ping")}, {}},
        {"log", 7, {s("status1"), s("a line")}, {}},
        {"lock", 10, {}, {}},
        {"unlock", 11, {}, {}},
        {"sendSuccess", 12, {s("404"), s("+3630")}, {}},
        {"sendFailed", 13, {s("404"), s("phone busy")}, {}},
        {"connectionSuccess", 14, {}, {}},
        {"connectionFailed", 15, {}, {}},
        {"sendInfo", 16, {s("system"), s("language")}, {QStringLiteral("English")}},
        {"deviceInfo", 17, {s("@Ready")}, {}},
    };
    const std::vector<Row> easyRows = {
        {"sendMessage", 3, {Wrap(s("")), Wrap(s("hi"))}, {QString()}},
        {"stopServer", 2, {}, {}},
    };
    const std::vector<Row> controlRows = {
        {"stopServer", 2, {}, {}},
        {"showMonitor", 3, {}, {}},
    };
    for (const auto& [className, rows] :
         {std::pair{kPhone, phoneRows}, std::pair{QStringLiteral("nbEasySMS"), easyRows},
          std::pair{QStringLiteral("nbServiceControl"), controlRows}}) {
        const QString named = Ready(*a, className, QStringLiteral("drv"));
        const QString invoked = Ready(*a, className, QStringLiteral("drv"));
        for (const Row& row : rows) {
            SCOPED_TRACE(row.method);
            QVariantList plain;
            for (const QVariant& arg : row.args)
                plain << (arg.metaType() == QMetaType::fromType<QDBusVariant>()
                              ? arg.value<QDBusVariant>().variant()
                              : arg);
            const bool lock = row.dispid == 10 && className == kPhone;
            EXPECT_EQ(ShowAll(a->CallObject(named, QString::fromLatin1(row.method), row.args)),
                      row.expected);
            if (lock)  // the other object's lock is to be granted at once too
                a->CallObject(named, QStringLiteral("unlock"));
            const QStringList byId = ShowAll(a->Invoke(invoked, row.dispid, plain));
            if (lock)
                a->Invoke(invoked, 11);
            EXPECT_EQ(byId.value(0),
                      row.expected.isEmpty() ? QStringLiteral("<empty>") : row.expected.value(0));
            EXPECT_EQ(byId.value(1), QStringLiteral("<empty>"));
        }
    }
}

TEST_F(AutomationTest, LoginNamesCountClientsAndDevicesThatAreStillThere) {
    const QString first = Ready(*a, kServer);
    const QString second = Ready(*b, kServer);
    EXPECT_EQ(ShowAll(a->CallObject(first, QStringLiteral("login"), {QStringLiteral("billboard")})),
              QStringList{QStringLiteral("billboard 1")});
    EXPECT_EQ(
        ShowAll(b->CallObject(second, QStringLiteral("login"), {QStringLiteral("billboard")})),
        QStringList{QStringLiteral("billboard 2")});

    const QString smpp1 = Ready(*a, kPhone);
    const QString smpp2 = Ready(*b, kPhone);
    EXPECT_EQ(ShowAll(a->CallObject(smpp1, QStringLiteral("login"), {QStringLiteral("smpp")})),
              QStringList{QStringLiteral("smpp1")});
    EXPECT_EQ(ShowAll(b->CallObject(smpp2, QStringLiteral("login"), {QStringLiteral("smpp")})),
              QStringList{QStringLiteral("smpp2")});
    a->Call(smpp1, QStringLiteral("org.nimbra.Transmit.Dispatch"), QStringLiteral("Release"));
    const QString third = Ready(*a, kPhone);
    EXPECT_EQ(ShowAll(a->CallObject(third, QStringLiteral("login"), {QStringLiteral("smpp")})),
              QStringList{QStringLiteral("smpp2")});
}

TEST_F(AutomationTest, AClientThatLeavesTheBusIsDroppedAtTheNextWalk) {
    const QString server = Ready(*a, kServer, QStringLiteral("watcher"));
    {
        auto leaving = NewClient();
        const QString gone = Ready(*leaving, kServer, QStringLiteral("billboard"));
        ASSERT_FALSE(gone.isEmpty());
    }
    // The walk of the server start drops the client that left.
    a->CallObject(server, QStringLiteral("startServer"));
    ASSERT_TRUE(a->WaitForEvent(QStringLiteral("ServerStarted")));
    const QString next = Ready(*b, kServer);
    EXPECT_EQ(ShowAll(b->CallObject(next, QStringLiteral("login"), {QStringLiteral("billboard")})),
              QStringList{QStringLiteral("billboard 1")});
}

TEST_F(AutomationTest, OnlyTheOwnerMayUseAnObject) {
    const QString mine = Ready(*a, kServer, QStringLiteral("owner"));
    const QString dispatch = QStringLiteral("org.nimbra.Transmit.Dispatch");
    const std::vector<QDBusMessage> attempts = {
        b->CallObject(mine, QStringLiteral("login"), {QStringLiteral("thief")}),
        b->CallObject(mine, QStringLiteral("sendMessage"), {Wrap(Record("+3612", "x"))}),
        b->Call(mine, QStringLiteral("org.nimbra.Transmit.ConnectionPoint"),
                QStringLiteral("Advise")),
        b->Call(mine, QStringLiteral("org.nimbra.Transmit.ConnectionPoint"),
                QStringLiteral("Unadvise")),
        b->Invoke(mine, 10, {QStringLiteral("thief")}),
        b->Call(mine, dispatch, QStringLiteral("Release")),
    };
    for (const QDBusMessage& reply : attempts)
        EXPECT_EQ(reply.errorName(), QStringLiteral("org.nimbra.Transmit.Error.NotOwner"));
    // Nothing changed: the object is still a's, advised, and the Outbox is empty.
    EXPECT_EQ(OutboxCount(*a, mine), 0);
    a->CallObject(mine, QStringLiteral("startServer"));
    EXPECT_TRUE(a->WaitForEvent(QStringLiteral("ServerStarted")));
}

TEST_F(AutomationTest, MalformedArgumentsGetAnErrorAndTheEngineGoesOn) {
    const QString server = Ready(*a, kServer, QStringLiteral("client"));
    const QString huge((1 << 20) + 1, QLatin1Char('x'));
    struct Case {
        const char* what;
        QDBusMessage reply;
        const char* error;
    };
    const std::vector<Case> cases = {
        {"wrong type for a text", a->CallObject(server, QStringLiteral("login"), {42}),
         "org.freedesktop.DBus.Error.UnknownMethod"},
        {"unknown dispatch id", a->Invoke(server, 99), "org.nimbra.Transmit.Error.UnknownDispId"},
        {"too few arguments", a->Invoke(server, 3), "org.nimbra.Transmit.Error.Failed"},
        {"a map for a text", a->Invoke(server, 10, {QVariantMap{{"a", 1}}}),
         "org.nimbra.Transmit.Error.Failed"},
        {"a huge text", a->CallObject(server, QStringLiteral("sendMessage"), {Wrap(huge)}),
         "org.nimbra.Transmit.Error.Failed"},
        {"a missing mass-send file",
         a->CallObject(
             server, QStringLiteral("getSystemInfo"),
             {Wrap(QStringLiteral("/nonexistent/file")), Wrap(QStringLiteral("masssend"))}),
         "org.nimbra.Transmit.Error.Failed"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.reply.errorName().toStdString(), c.error) << c.what;
        EXPECT_FALSE(c.reply.errorMessage().isEmpty()) << c.what;
    }
    EXPECT_EQ(OutboxCount(*a, server), 0);
    EXPECT_FALSE(a->Create(kServer).isEmpty());
}

TEST_F(AutomationTest, ALockHoldsTheNextClientUntilUnlock) {
    for (const QString& className : {kServer, kPhone}) {
        SCOPED_TRACE(className.toStdString());
        const QString first = Ready(*a, className, QStringLiteral("first"));
        const QString second = Ready(*b, className, QStringLiteral("second"));
        EXPECT_EQ(a->CallObject(first, QStringLiteral("lock")).type(), QDBusMessage::ReplyMessage);
        const int before = b->AsyncReplies();
        b->CallAsync(second, QStringLiteral("lock"));
        // The engine serves other calls meanwhile, the next one's own among them. It takes a
        // client's calls in order, so once the call after the lock is answered, the lock has
        // been taken up and is held back.
        EXPECT_FALSE(b->Create(kServer).isEmpty());
        EXPECT_EQ(b->AsyncReplies(), before);
        EXPECT_FALSE(a->Create(kServer).isEmpty());
        a->CallObject(first, QStringLiteral("unlock"));
        EXPECT_TRUE(ProcessEventsUntil([&] { return b->AsyncReplies() == before + 1; }, 10000));
        b->CallObject(second, QStringLiteral("unlock"));
    }
}

TEST_F(AutomationTest, ALockRequestOfAnObjectLetGoIsRefusedAndALeavingHolderFreesTheLock) {
    for (const QString& className : {kServer, kPhone}) {
        SCOPED_TRACE(className.toStdString());
        const QString first = Ready(*a, className, QStringLiteral("first"));
        const QString waiting = Ready(*b, className, QStringLiteral("waiting"));
        a->CallObject(first, QStringLiteral("lock"));
        // The lock request comes before the release: both travel on the same connection.
        b->CallAsync(waiting, QStringLiteral("lock"));
        b->Call(waiting, QStringLiteral("org.nimbra.Transmit.Dispatch"), QStringLiteral("Release"));
        EXPECT_TRUE(ProcessEventsUntil([&] { return !b->AsyncErrors().isEmpty(); }, 10000));
        EXPECT_EQ(b->AsyncErrors().value(0),
                  QStringLiteral("org.nimbra.Transmit.Error.ObjectGone"));
        b.reset();
        b = NewClient();

        // A holder that leaves the bus without unlock (a driver that crashed in between).
        a->CallObject(first, QStringLiteral("unlock"));
        {
            auto leaving = NewClient();
            const QString held = Ready(*leaving, className);
            leaving->CallObject(held, QStringLiteral("lock"));
        }
        const QString next = Ready(*b, className, QStringLiteral("next"));
        const int before = b->AsyncReplies();
        b->CallAsync(next, QStringLiteral("lock"));
        EXPECT_TRUE(ProcessEventsUntil([&] { return b->AsyncReplies() == before + 1; }, 10000));
        b->CallObject(next, QStringLiteral("unlock"));
    }
}

TEST_F(AutomationTest, PathsKeepTheirEncodingAndTheDriversSettingsLeaveTheAnswerEmpty) {
    const QString server = Ready(*a, kServer, QStringLiteral("bulk"));
    const std::filesystem::path list = engine->home() / "t\xc3\xb6meges lista.txt";
    std::ofstream(list) << Record("+3620111", "one").toStdString() << "\r\n"
                        << Record("+3620222", "two").toStdString() << "\r\n";
    const QDBusMessage sent =
        a->CallObject(server, QStringLiteral("getSystemInfo"),
                      {Wrap(QString::fromUtf8(list.string())), Wrap(QStringLiteral("masssend"))});
    EXPECT_EQ(ShowAll(sent), (QStringList{QStringLiteral("<empty>"), QStringLiteral("i:1")}));
    EXPECT_EQ(OutboxCount(*a, server), 2);

    const QString phone = Ready(*a, kPhone, QStringLiteral("driver"));
    const QString home = QString::fromUtf8(engine->home().string()) + QLatin1Char('/');
    for (const auto& [name, value, answer] :
         {std::tuple{"operator", "Net", "<empty>"}, std::tuple{"cansend", "1", "<empty>"},
          std::tuple{"volume", "11", ""}}) {
        const QVariantList args{QString::fromLatin1(name), QString::fromLatin1(value)};
        EXPECT_EQ(ShowAll(a->CallObject(phone, QStringLiteral("sendInfo"), args)),
                  QStringList{QString::fromLatin1(answer)});
        EXPECT_EQ(ShowAll(a->Invoke(phone, 16, args)).value(0), QString::fromLatin1(answer));
    }
    EXPECT_EQ(ShowAll(a->CallObject(phone, QStringLiteral("sendInfo"),
                                    {QStringLiteral("system"), QStringLiteral("exedir")})),
              QStringList{home});
}

}  // namespace
}  // namespace nimbra::testing_support
