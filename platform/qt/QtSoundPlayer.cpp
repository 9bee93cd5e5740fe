#include "platform/qt/QtSoundPlayer.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace mayorin::platform {

QtSoundPlayer::QtSoundPlayer() = default;

QtSoundPlayer::~QtSoundPlayer() = default;

void QtSoundPlayer::setFile(const std::string& path) {
    m_path = QString::fromStdString(path);
}

void QtSoundPlayer::open() {
    // A file that is not there would only make the effect print warnings: keep the player empty.
    if (!QFileInfo(m_path).isFile()) {
        if (m_effect) {
            m_effect->setSource(QUrl());
        }
        return;
    }
    if (!m_effect) {
        m_effect = std::make_unique<QSoundEffect>();
    }
    m_effect->setSource(QUrl::fromLocalFile(m_path));
}

void QtSoundPlayer::play() {
    // Loading is asynchronous; QSoundEffect starts a queued play once the file is loaded, and a
    // file that fails to decode just leaves the effect in its error state.
    if (m_effect && !m_effect->source().isEmpty()) {
        m_effect->play();
    }
}

void QtSoundPlayer::close() {
    if (m_effect) {
        m_effect->stop();
        m_effect->setSource(QUrl());
    }
}

QString QtSoundPlayer::loadedFile() const {
    return m_effect ? m_effect->source().toLocalFile() : QString();
}

} // namespace mayorin::platform
