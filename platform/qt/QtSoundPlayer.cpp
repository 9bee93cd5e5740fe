#include "platform/qt/QtSoundPlayer.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace mayorin::platform {

QtSoundPlayer::QtSoundPlayer() = default;

QtSoundPlayer::~QtSoundPlayer() = default;

void QtSoundPlayer::setFile(const std::string& path, const std::string& fallback, FellBack fellBack) {
    m_path = QString::fromStdString(path);
    m_fallback = QString::fromStdString(fallback);
    m_fellBack = std::move(fellBack);
}

void QtSoundPlayer::open() {
    if (!QFileInfo(m_path).isFile() && !m_fallback.isEmpty()) {
        fallBack(SoundTrouble::Missing);
        return;
    }
    load(m_path);
}

void QtSoundPlayer::load(const QString& path) {
    // A file that is not there would only make the effect print warnings: keep the player empty.
    if (!QFileInfo(path).isFile()) {
        if (m_effect) {
            m_effect->setSource(QUrl());
        }
        return;
    }
    if (!m_effect) {
        m_effect = std::make_unique<QSoundEffect>();
        QObject::connect(m_effect.get(), &QSoundEffect::statusChanged, m_effect.get(), [this] { statusChanged(); });
    }
    m_effect->setSource(QUrl::fromLocalFile(path));
}

void QtSoundPlayer::fallBack(SoundTrouble why) {
    const std::string file = m_path.toStdString();
    m_path = m_fallback;
    m_fallback.clear();
    load(m_path);
    if (m_playAsked) {
        play();
    }
    if (m_fellBack) {
        m_fellBack(file, why);
    }
}

void QtSoundPlayer::statusChanged() {
    // A file that does not decode is known only once the effect has tried to load it.
    if (m_effect->status() == QSoundEffect::Error && !m_fallback.isEmpty()) {
        fallBack(SoundTrouble::NotPlayable);
    }
}

void QtSoundPlayer::play() {
    // Loading is asynchronous; QSoundEffect starts a queued play once the file is loaded, and a
    // file that fails to decode just leaves the effect in its error state.
    if (m_effect && !m_effect->source().isEmpty()) {
        m_playAsked = true;
        m_effect->play();
    }
}

void QtSoundPlayer::close() {
    m_playAsked = false;
    if (m_effect) {
        m_effect->stop();
        m_effect->setSource(QUrl());
    }
}

QString QtSoundPlayer::loadedFile() const {
    return m_effect ? m_effect->source().toLocalFile() : QString();
}

bool QtSoundPlayer::isPlaying() const {
    return m_effect && m_effect->isPlaying();
}

} // namespace mayorin::platform
