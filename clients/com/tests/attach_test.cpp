// Attaching to the engine, or starting it from its home when none runs.

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include <sys/stat.h>

#include <QDBusConnectionInterface>

#include <gtest/gtest.h>

#include "Transmit_TLB.h"
#include "file_text.h"
#include "private_bus.h"
#include "temp_dir.h"
#include "wait.h"

namespace nimbra::testing_support {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using com::TransmitEngine;
using com::TransmitError;

// Sets an environment variable of this process (unsets it for nullopt) while it lives: the
// engine a client starts inherits the client's environment.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* previous = std::getenv(name))
            previous_ = previous;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~ScopedVariable() {
        if (previous_)
            ::setenv(name_, previous_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    std::optional<std::string> previous_;
};

class AttachTest : public ::testing::Test {
protected:
    AttachTest()
        : connection_(QDBusConnection::connectToBus(QString::fromStdString(bus_.address()),
                                                    QStringLiteral("attach-test"))) {}
    ~AttachTest() override {
        // The engine a client starts is no child of the test: it is ended by its process id.
        if (const auto pid = EnginePid()) {
            ::kill(static_cast<pid_t>(*pid), SIGTERM);
            WaitUntil([&] { return !TransmitEngine::IsRunning(connection_); }, 20s);
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("attach-test"));
    }

    std::optional<uint> EnginePid() {
        const QDBusReply<uint> pid =
            connection_.interface()->servicePid(QString::fromLatin1(com::kEngineBusName));
        return pid.isValid() ? std::optional<uint>(pid.value()) : std::nullopt;
    }

    void Install(const std::string& program) {
        const fs::path path = home_ / "transmit";
        WriteFileText(path, program);
        ::chmod(path.c_str(), 0755);
    }

    PrivateBus bus_;
    TempDir home_;
    ScopedSettingsDir settings_;
    ScopedVariable busAddress_{"DBUS_SESSION_BUS_ADDRESS", bus_.address()};
    ScopedVariable noDisplay_{"DISPLAY", std::nullopt};
    QDBusConnection connection_;
};

TEST_F(AttachTest, WithoutARunningEngineTheEngineOfTheHomeIsStarted) {
    EXPECT_THROW(TransmitEngine::Attach(connection_), TransmitError);
    fs::create_symlink(TRANSMIT, home_ / "transmit");
    const TransmitEngine engine =
        TransmitEngine::AttachOrStart(connection_, QString::fromStdString(home_.path()));
    ASSERT_TRUE(EnginePid().has_value());
    EXPECT_TRUE(WaitForFile(home_ / "servercontrol", 20s));

    com::TnbMessageServerProxy client(engine);
    EXPECT_EQ(client.login(QStringLiteral("tester")), QVariant(QStringLiteral("tester 1")));
    // A second client attaches to the same engine.
    EXPECT_EQ(
        TransmitEngine::AttachOrStart(connection_, QStringLiteral("/nonexistent")).uniqueName(),
        engine.uniqueName());
}

struct StartFailure {
    const char* name;
    std::string program;  // the home's transmit; empty: none
    bool homeGiven;
    std::string expected;  // part of the error text
};

TEST_F(AttachTest, AnEngineThatCannotBeStartedIsAClearError) {
    const StartFailure failures[] = {
        {"no home", "", false, "set NIMBRA_HOME"},
        {"no program in the home", "", true, "is not a program to start"},
        {"a program that ends", "#!/bin/sh\nexit 1\n", true, "ended before"},
        {"a program that never takes the name", "#!/bin/sh\nexec sleep 3\n", true,
         "did not take its place on the bus"},
    };
    const ScopedVariable noHome("NIMBRA_HOME", std::nullopt);
    for (const StartFailure& failure : failures) {
        SCOPED_TRACE(failure.name);
        if (!failure.program.empty())
            Install(failure.program);
        try {
            TransmitEngine::AttachOrStart(
                connection_, failure.homeGiven ? QString::fromStdString(home_.path()) : QString(),
                1s);
            ADD_FAILURE() << "no error";
        } catch (const TransmitError& e) {
            EXPECT_NE(e.text().toStdString().find(failure.expected), std::string::npos)
                << e.text().toStdString();
        }
    }
}

}  // namespace
}  // namespace nimbra::testing_support
