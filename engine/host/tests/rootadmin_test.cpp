// The administration interface of the root object: who is admitted and how failures answer.
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusMessage>

#include <gtest/gtest.h>

#include "adminhandler.h"
#include "enginebus.h"
#include "private_bus.h"

namespace nimbra {
namespace {

constexpr char kAdminInterface[] = "org.nimbra.Transmit.Admin";

// Answers Folders with one folder, or fails with a refusal when told to.
class FakeAdmin final : public AdminHandler {
public:
    QStringList Folders(QList<int>& counts) override {
        ++calls;
        if (!refusal.isEmpty())
            throw AdminError(refusal);
        counts = {3};
        return {QStringLiteral("Inbox")};
    }
    QStringList Messages(const QString&, QStringList&, QStringList&, QStringList&) override {
        return {};
    }
    QStringList Devices(QStringList&, QStringList&, QStringList&, QList<bool>&,
                        QStringList&) override {
        return {};
    }
    QStringList DevicePane() override { return {}; }
    QStringList Plugins(QStringList&) override { return {}; }
    int InstallDevice(const QString&) override { return 0; }
    int UninstallDevice(const QString&) override { return 0; }
    void InstallPlugin(const QString&) override {}
    void UninstallPlugin(const QString&) override {}
    QStringList Options(QStringList&) override { return {}; }
    void SetOptions(const QStringList&, const QStringList&) override {}
    int ResendFailed(bool&) override { return 0; }
    QString MoveMessage(const QString&, const QString&) override { return {}; }
    QByteArray ExportFolder(const QString&, int&) override { return {}; }
    QString SetLanguage(const QString&) override { return {}; }

    int calls = 0;
    QString refusal;
};

class RootAdminTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine_ = std::make_unique<EngineBus>(Connect(QStringLiteral("engine")));
        QString error;
        ASSERT_EQ(engine_->ClaimName(error), EngineBus::Claim::Owned) << error.toStdString();
        engine_->Root().SetCreateHandler(
            [](const QString&, const QString&, QString&) { return QStringLiteral("/x/1"); });
    }
    void TearDown() override {
        engine_.reset();
        for (const QString& name : {QStringLiteral("engine"), QStringLiteral("client")})
            QDBusConnection::disconnectFromBus(name);
    }
    QDBusConnection Connect(const QString& name) {
        return QDBusConnection::connectToBus(QString::fromStdString(bus_.address()), name);
    }
    // A call from another connection; the engine answers from this thread's event loop.
    QDBusMessage Call(const char* interface, const char* method, const QVariantList& args = {}) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QString::fromLatin1(kTransmitBusName), QString::fromLatin1(kTransmitRootPath),
            QString::fromLatin1(interface), QString::fromLatin1(method));
        call.setArguments(args);
        return Connect(QStringLiteral("client")).call(call, QDBus::BlockWithGui, 5000);
    }

    testing_support::PrivateBus bus_;
    std::unique_ptr<EngineBus> engine_;
    FakeAdmin admin_;
};

TEST_F(RootAdminTest, TheEnginesUserIsServed) {
    engine_->Root().SetAdminHandler(&admin_);
    const QDBusMessage reply = Call(kAdminInterface, "Folders");
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    EXPECT_EQ(reply.arguments().at(0).toStringList(), QStringList{QStringLiteral("Inbox")});
    EXPECT_EQ(admin_.calls, 1);
}

TEST_F(RootAdminTest, AnotherUserIsRefusedWhileTheDesignedInterfaceAnswers) {
    engine_->Root().SetAdminHandler(&admin_);
    engine_->Root().SetAdminUser(::geteuid() + 1);
    const QDBusMessage refused = Call(kAdminInterface, "Folders");
    EXPECT_EQ(refused.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(refused.errorName(), QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"));
    EXPECT_EQ(refused.errorMessage(), QString::fromLatin1(kAdminAccessDenied));
    EXPECT_EQ(admin_.calls, 0);

    const QDBusMessage created =
        Call(kTransmitServerInterface, "CreateObject", {QStringLiteral("nbMessageServer")});
    EXPECT_EQ(created.type(), QDBusMessage::ReplyMessage) << created.errorMessage().toStdString();
}

TEST_F(RootAdminTest, RefusalsAndAMissingHandlerAnswerWithTheirText) {
    QDBusMessage reply = Call(kAdminInterface, "Folders");
    EXPECT_EQ(reply.errorName(), QStringLiteral("org.nimbra.Transmit.Error.Failed"));
    EXPECT_EQ(reply.errorMessage(), QStringLiteral("The engine is starting; try again"));

    engine_->Root().SetAdminHandler(&admin_);
    admin_.refusal = QStringLiteral("No such folder: Über");
    reply = Call(kAdminInterface, "Folders");
    EXPECT_EQ(reply.errorName(), QStringLiteral("org.nimbra.Transmit.Error.Failed"));
    EXPECT_EQ(reply.errorMessage(), admin_.refusal);
}

}  // namespace
}  // namespace nimbra
