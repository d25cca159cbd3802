#include "soundplayer.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

namespace nimbra {

SoundPlayer::SoundPlayer(std::chrono::milliseconds lifetime, QObject* parent)
    : QObject(parent), lifetime_(lifetime) {}

SoundPlayer::~SoundPlayer() {
    for (QSoundEffect* effect : effects_)
        delete effect;
}

void SoundPlayer::Play(const QString& path) {
    const QFileInfo file(path);
    if (!file.isFile())
        return;
    if (effects_.size() >= kMaxPlaying)
        Drop(effects_.front());

    auto* effect = new QSoundEffect(this);
    effects_.append(effect);
    connect(effect, &QSoundEffect::statusChanged, this, [this, effect] {
        if (effect->status() == QSoundEffect::Error)
            Drop(effect);
    });
    connect(effect, &QSoundEffect::playingChanged, this, [this, effect] {
        if (!effect->isPlaying() && effect->status() == QSoundEffect::Ready)
            Drop(effect);
    });
    // Bounds the life of a sound that never reports its end.
    QTimer::singleShot(lifetime_, effect, [this, effect] { Drop(effect); });
    effect->setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
    effect->play();
}

void SoundPlayer::Drop(QSoundEffect* effect) {
    if (!effects_.removeOne(effect))
        return;
    effect->disconnect(this);
    effect->stop();
    // The effect may be the sender of the signal being handled.
    effect->deleteLater();
}

}  // namespace nimbra
