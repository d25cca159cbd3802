#include "soundplayer.h"

#include <gtest/gtest.h>

#include "event_wait.h"
#include "file_text.h"
#include "qtenginehost.h"
#include "temp_dir.h"

namespace nimbra {
namespace {

using namespace std::chrono_literals;
using testing_support::ProcessEventsUntil;

TEST(SoundPlayerTest, AMissingFilePlaysNothing) {
    QtEngineHost host;
    host.PlaySound("/nonexistent/Notify.wav");
    host.PlaySound("");
    EXPECT_EQ(host.Sounds().Playing(), 0);
}

// With or without an audio device, a sound is let go of within its lifetime.
TEST(SoundPlayerTest, SoundsAreKeptForABoundedTimeOnly) {
    SoundPlayer player(300ms);
    player.Play(QStringLiteral(NOTIFY_WAV));
    EXPECT_EQ(player.Playing(), 1);
    EXPECT_TRUE(ProcessEventsUntil([&] { return player.Playing() == 0; }, 3000));
}

TEST(SoundPlayerTest, OnlyAFewSoundsPlayAtOnce) {
    SoundPlayer player(10s);
    for (int i = 0; i < SoundPlayer::kMaxPlaying + 3; ++i)
        player.Play(QStringLiteral(NOTIFY_WAV));
    EXPECT_EQ(player.Playing(), SoundPlayer::kMaxPlaying);
}

TEST(SoundPlayerTest, AFileThatIsNoSoundIsLetGo) {
    testing_support::TempDir dir;
    testing_support::WriteFileText(dir / "noise.wav", "this is not a sound\n");
    SoundPlayer player(60s);
    player.Play(QString::fromStdString((dir / "noise.wav").string()));
    EXPECT_TRUE(ProcessEventsUntil([&] { return player.Playing() == 0; }, 5000));
}

}  // namespace
}  // namespace nimbra
