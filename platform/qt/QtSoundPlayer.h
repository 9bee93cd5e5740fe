#pragma once

#include <memory>
#include <QString>

#include "platform/SoundPlayer.h"

class QSoundEffect;

namespace mayorin::platform {

// Plays the notice chime through QSoundEffect. The effect is made on the first open, so that a
// program that never notifies never touches the audio system. A missing file, a file that does
// not decode or a machine without a sound device stays silent: nothing here reports or waits.
// A named fallback plays instead of a missing file at once, and instead of a file that does not
// decode as soon as the effect has found that out (loading is asynchronous).
class QtSoundPlayer final : public SoundPlayer {
public:
    QtSoundPlayer();
    ~QtSoundPlayer() override;

    void setFile(const std::string& path, const std::string& fallback, FellBack fellBack) override;
    // Loads the named file when it exists, else its fallback; otherwise the player stays empty.
    void open() override;
    // Starts the loaded file once (as soon as it has finished loading).
    void play() override;
    // Stops and drops the loaded file.
    void close() override;

    // The file loaded by the last open, empty when none is; whether it plays (on a machine without
    // a sound device, from the play on until the close).
    QString loadedFile() const;
    bool isPlaying() const;

private:
    // Loads path when it is a file, else leaves the effect empty.
    void load(const QString& path);
    // The named file did not do: its fallback takes its place, once.
    void fallBack(SoundTrouble why);
    void statusChanged();

    QString m_path;
    QString m_fallback;
    FellBack m_fellBack;
    bool m_playAsked = false; // a play was asked for since the last close
    std::unique_ptr<QSoundEffect> m_effect;
};

} // namespace mayorin::platform
