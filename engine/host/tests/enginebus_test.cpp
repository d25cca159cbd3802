#include "enginebus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

#include <gtest/gtest.h>

#include "event_wait.h"
#include "private_bus.h"

namespace nimbra {
namespace {

using testing_support::ProcessEventsUntil;

// Connections of one test to its private bus, each with a name of its own.
class EngineBusTest : public ::testing::Test {
protected:
    ~EngineBusTest() override {
        for (const QString& name : names_)
            QDBusConnection::disconnectFromBus(name);
    }

    QDBusConnection Connect() {
        const QString name = QStringLiteral("test%1").arg(names_.size());
        names_.append(name);
        return QDBusConnection::connectToBus(QString::fromStdString(bus_.address()), name);
    }

    testing_support::PrivateBus bus_;
    QStringList names_;
};

TEST_F(EngineBusTest, TheFirstEngineOwnsTheNameAndASecondOneHandsOverToIt) {
    QDBusConnection firstConnection = Connect();
    EngineBus first(firstConnection);
    int activations = 0;
    first.Root().SetActivateHandler([&] { ++activations; });
    QString error;
    ASSERT_EQ(first.ClaimName(error), EngineBus::Claim::Owned) << error.toStdString();
    EXPECT_EQ(firstConnection.interface()->serviceOwner(kTransmitBusName).value(),
              firstConnection.baseService());

    EngineBus second(Connect());
    EXPECT_EQ(second.ClaimName(error), EngineBus::Claim::HandedOver);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_EQ(activations, 1);
}

// Receives the closing signal on a connection of its own.
class ClosingListener : public QObject {
    Q_OBJECT
public slots:
    void EngineClosing() { ++received; }

public:
    int received = 0;
};

TEST_F(EngineBusTest, TheClosingSignalReachesListeners) {
    EngineBus engine(Connect());
    QString error;
    ASSERT_EQ(engine.ClaimName(error), EngineBus::Claim::Owned) << error.toStdString();

    ClosingListener listener;
    ASSERT_TRUE(Connect().connect(QString(), kTransmitRootPath, kTransmitServerInterface,
                                  QStringLiteral("EngineClosing"), &listener,
                                  SLOT(EngineClosing())));
    engine.EmitEngineClosing();
    EXPECT_TRUE(ProcessEventsUntil([&] { return listener.received == 1; }, 5000));
}

TEST(EngineBusNoBusTest, AnUnreachableBusIsReportedWithTheReason) {
    const QString name = QStringLiteral("unreachable");
    EngineBus engine(QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent"), name));
    QString error;
    EXPECT_EQ(engine.ClaimName(error), EngineBus::Claim::NoBus);
    EXPECT_FALSE(error.isEmpty());
    QDBusConnection::disconnectFromBus(name);
}

}  // namespace
}  // namespace nimbra

#include "enginebus_test.moc"
