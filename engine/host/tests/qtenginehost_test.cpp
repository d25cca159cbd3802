#include "qtenginehost.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include <sys/stat.h>

#include <QDir>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include "event_wait.h"
#include "file_text.h"
#include "recording_notifier.h"
#include "temp_dir.h"

namespace nimbra {
namespace {

using testing_support::ProcessEventsFor;
using testing_support::ProcessEventsUntil;

// Upper bound for waiting on something that is due; a loaded machine may be slow.
constexpr int kDueTimeoutMs = 10000;

struct TimerCase {
    bool singleShot;
    int firingsToWaitFor;
    bool activeAfterwards;
};

TEST(QtEngineHostTest, TimersFireOnTheEventLoop) {
    const TimerCase cases[] = {
        {true, 1, false},
        {false, 4, true},
    };
    for (const TimerCase& c : cases) {
        SCOPED_TRACE(c.singleShot ? "single shot" : "repeating");
        QtEngineHost host;
        int firings = 0;
        auto timer = host.CreateTimer([&] { ++firings; }, c.singleShot);
        timer->Start(20);
        EXPECT_TRUE(timer->IsActive());
        EXPECT_EQ(timer->Interval(), 20);
        EXPECT_EQ(firings, 0);
        ASSERT_TRUE(
            ProcessEventsUntil([&] { return firings >= c.firingsToWaitFor; }, kDueTimeoutMs))
            << firings << " firings";
        EXPECT_EQ(timer->IsActive(), c.activeAfterwards);
        if (c.singleShot) {
            ProcessEventsFor(100);
            EXPECT_EQ(firings, 1);
        }
        timer->Stop();
        EXPECT_FALSE(timer->IsActive());
        const int stoppedAt = firings;
        ProcessEventsFor(100);
        EXPECT_EQ(firings, stoppedAt);
    }
}

TEST(QtEngineHostTest, StartWhileActiveRestartsTheInterval) {
    QtEngineHost host;
    QElapsedTimer clock;
    qint64 firedAt = -1;
    int firings = 0;
    auto timer = host.CreateTimer(
        [&] {
            firedAt = clock.elapsed();
            ++firings;
        },
        true);
    clock.start();
    timer->Start(200);
    ProcessEventsFor(50);
    const qint64 restartedAt = clock.elapsed();
    ASSERT_EQ(firings, 0) << "fired at " << firedAt << " ms, before the restart at " << restartedAt
                          << " ms";
    timer->Start(200);
    ASSERT_TRUE(ProcessEventsUntil([&] { return firings > 0; }, kDueTimeoutMs));
    // Without the restart it would fire about 150 ms after it. A coarse timer may fire up to
    // 5 % early (190 ms), and the millisecond clocks may take off up to 2 ms more.
    EXPECT_GE(firedAt - restartedAt, 188) << "restarted at " << restartedAt << " ms";
    ProcessEventsFor(300);
    EXPECT_EQ(firings, 1);
}

TEST(QtEngineHostTest, ATimerMayBeDestroyedByItsOwnAction) {
    QtEngineHost host;
    std::unique_ptr<EngineTimer> timer;
    int firings = 0;
    timer = host.CreateTimer(
        [&] {
            ++firings;
            timer.reset();
        },
        false);
    timer->Start(10);
    ASSERT_TRUE(ProcessEventsUntil([&] { return firings > 0; }, 2000));
    ProcessEventsFor(100);
    EXPECT_EQ(firings, 1);
}

TEST(QtEngineHostTest, PostedActionsRunInPostingOrderAfterTheCurrentAction) {
    QtEngineHost host;
    std::vector<std::string> trace;
    host.Post([&] {
        trace.push_back("a begins");
        host.Post([&] { trace.push_back("c"); });
        host.Post([&] { trace.push_back("d"); });
        trace.push_back("a ends");
    });
    host.Post([&] { trace.push_back("b"); });
    EXPECT_TRUE(trace.empty());
    ASSERT_TRUE(ProcessEventsUntil([&] { return trace.size() == 5; }, 2000));
    EXPECT_EQ(trace, (std::vector<std::string>{"a begins", "a ends", "b", "c", "d"}));
}

TEST(QtEngineHostTest, AnExceptionInAnActionGoesToTheNotifier) {
    testing_support::ScopedProcessNotifier notifier;
    QtEngineHost host;
    bool after = false;
    host.Post([] { throw std::runtime_error("disk on fire"); });
    host.Post([&] { after = true; });
    ASSERT_TRUE(ProcessEventsUntil([&] { return after; }, 2000));
    ASSERT_EQ(notifier.messages().size(), 1u);
    EXPECT_NE(notifier.messages()[0].find("disk on fire"), std::string::npos);
}

// Runs the test in a folder of its own and goes back afterwards.
class InTempFolder {
public:
    InTempFolder() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path().c_str()); }
    ~InTempFolder() { QDir::setCurrent(previous_); }
    const testing_support::TempDir& dir() const { return dir_; }

private:
    testing_support::TempDir dir_;
    QString previous_;
};

TEST(QtEngineHostTest, ProgramsStartInTheCurrentFolder) {
    InTempFolder folder;
    const auto program = folder.dir() / "Devices/started";
    testing_support::WriteFileText(program, "#!/bin/sh\necho started > marker.txt\n");
    ::chmod(program.c_str(), 0755);
    testing_support::WriteFileText(folder.dir() / "Devices/plain", "not a program\n");

    QtEngineHost host;
    EXPECT_FALSE(host.StartProgram("Devices/missing"));
    EXPECT_FALSE(host.StartProgram("Devices/plain"));
    ASSERT_TRUE(host.StartProgram("Devices/started"));
    const auto marker = folder.dir() / "marker.txt";
    EXPECT_TRUE(ProcessEventsUntil(
        [&] { return testing_support::ReadFileText(marker) == "started\n"; }, 5000));
}

}  // namespace
}  // namespace nimbra
