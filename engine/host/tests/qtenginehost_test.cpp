#include "qtenginehost.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include <sys/stat.h>

#include <QDir>
#include <QTimer>

#include <gtest/gtest.h>

#include "event_wait.h"
#include "file_text.h"
#include "recording_notifier.h"
#include "temp_dir.h"

namespace nimbra {
namespace {

using testing_support::ProcessEventsUntil;

// Upper bound for waiting on something that is due; a loaded machine may be slow.
constexpr int kDueTimeoutMs = 10000;

// Runs the event loop until a timer of interval 0 started now has fired. Timers fire in the
// order they fall due, so every timer armed to fall due by now has fired before it: a timer
// that has not fired by then was not armed for now, without waiting to see that nothing
// happens.
void RunTimersDueNow() {
    QTimer sentinel;
    sentinel.setSingleShot(true);
    bool fired = false;
    QObject::connect(&sentinel, &QTimer::timeout, [&] { fired = true; });
    sentinel.start(0);
    ASSERT_TRUE(ProcessEventsUntil([&] { return fired; }, kDueTimeoutMs));
}

TEST(QtEngineHostTest, RepeatingTimersFireOnTheEventLoopWithTheirInterval) {
    QtEngineHost host;
    int firings = 0;
    auto timer = host.CreateTimer([&] { ++firings; }, false);
    timer->Start(20);
    EXPECT_TRUE(timer->IsActive());
    EXPECT_EQ(timer->Interval(), 20);
    EXPECT_EQ(firings, 0);
    ASSERT_TRUE(ProcessEventsUntil([&] { return firings >= 4; }, kDueTimeoutMs)) << firings;
    EXPECT_TRUE(timer->IsActive());
}

// What a timer is armed for after Start and Stop; an hour stands for "not now".
TEST(QtEngineHostTest, StartArmsTheTimerAfreshAndStopDisarmsIt) {
    constexpr int kHourMs = 3600 * 1000;
    const struct {
        const char* name;
        bool singleShot;
        std::vector<int> starts;  // intervals given to Start, in order; -1: Stop
        int firings;  // by the time a timer started now has fired, twice over; at least as
                      // many for a repeating timer
        bool activeAfterwards;
    } cases[] = {
        {"single shot fires once", true, {0}, 1, false},
        {"repeating fires again", false, {0}, 2, true},
        {"stopped", false, {0, -1}, 0, false},
        {"restarted with a longer interval", true, {0, kHourMs}, 0, true},
        {"restarted with a shorter interval", true, {kHourMs, 0}, 1, false},
        {"started again after a stop", true, {kHourMs, -1, 0}, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QtEngineHost host;
        int firings = 0;
        auto timer = host.CreateTimer([&] { ++firings; }, c.singleShot);
        for (const int interval : c.starts) {
            if (interval < 0)
                timer->Stop();
            else
                timer->Start(interval);
        }
        ASSERT_NO_FATAL_FAILURE(RunTimersDueNow());
        ASSERT_NO_FATAL_FAILURE(RunTimersDueNow());
        if (c.singleShot || !c.activeAfterwards) {
            EXPECT_EQ(firings, c.firings);
        } else {
            EXPECT_GE(firings, c.firings);
        }
        EXPECT_EQ(timer->IsActive(), c.activeAfterwards);
        if (c.activeAfterwards) {
            EXPECT_EQ(timer->Interval(), c.starts.back());
        }
    }
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
    timer->Start(0);
    ASSERT_TRUE(ProcessEventsUntil([&] { return firings > 0; }, kDueTimeoutMs));
    ASSERT_NO_FATAL_FAILURE(RunTimersDueNow());
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
    ASSERT_TRUE(ProcessEventsUntil([&] { return trace.size() == 5; }, kDueTimeoutMs));
    EXPECT_EQ(trace, (std::vector<std::string>{"a begins", "a ends", "b", "c", "d"}));
}

TEST(QtEngineHostTest, AnExceptionInAnActionGoesToTheNotifier) {
    testing_support::ScopedProcessNotifier notifier;
    QtEngineHost host;
    bool after = false;
    host.Post([] { throw std::runtime_error("disk on fire"); });
    host.Post([&] { after = true; });
    ASSERT_TRUE(ProcessEventsUntil([&] { return after; }, kDueTimeoutMs));
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
