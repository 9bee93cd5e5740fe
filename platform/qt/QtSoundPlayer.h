#pragma once

#include <memory>
#include <QString>

#include "platform/SoundPlayer.h"

class QSoundEffect;

namespace mayorin::platform {

// Plays the notice chime through QSoundEffect. The effect is made on the first open, so that a
// program that never notifies never touches the audio system. A missing file, a file that does
// not decode or a machine without a sound device stays silent: nothing here reports or waits.
class QtSoundPlayer final : public SoundPlayer {
public:
    QtSoundPlayer();
    ~QtSoundPlayer() override;

    void setFile(const std::string& path) override;
    // Loads the named file when it exists; otherwise the player stays empty.
    void open() override;
    // Starts the loaded file once (as soon as it has finished loading).
    void play() override;
    // Stops and drops the loaded file.
    void close() override;

    // The file loaded by the last open, empty when none is.
    QString loadedFile() const;

private:
    QString m_path;
    std::unique_ptr<QSoundEffect> m_effect;
};

} // namespace mayorin::platform
