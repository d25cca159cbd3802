#pragma once
// Plays short sound files without waiting for them. Each sound is kept alive until it has
// finished, failed, or played for a bounded time (without an audio device a sound reports
// "playing" forever), and only a few play at once, so playing never accumulates objects.

#include <chrono>

#include <QList>
#include <QObject>
#include <QString>

class QSoundEffect;

namespace nimbra {

class SoundPlayer : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kDefaultLifetime{30000};
    static constexpr int kMaxPlaying = 4;

    explicit SoundPlayer(std::chrono::milliseconds lifetime = kDefaultLifetime,
                         QObject* parent = nullptr);
    ~SoundPlayer() override;

    // Starts playing path and returns at once; a missing file plays nothing.
    void Play(const QString& path);
    // Sounds still kept alive.
    int Playing() const { return static_cast<int>(effects_.size()); }

private:
    void Drop(QSoundEffect* effect);

    std::chrono::milliseconds lifetime_;
    QList<QSoundEffect*> effects_;
};

}  // namespace nimbra
