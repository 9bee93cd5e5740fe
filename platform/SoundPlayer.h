#pragma once

#include <functional>
#include <string>

namespace mayorin::platform {

// Why a wave file was not played.
enum class SoundTrouble {
    Missing,     // there is no such file
    NotPlayable, // it does not decode (not a wave file, or a kind the player cannot play)
};

// Plays one wave file: the open, play and close steps of a simple media control.
// A missing or unplayable file, or a machine without sound, is silent and never an error.
class SoundPlayer {
public:
    // Told, with the named file and why, when the player plays the fallback in its place.
    using FellBack = std::function<void(const std::string& file, SoundTrouble why)>;

    virtual ~SoundPlayer() = default;
    // Names the file to play next, and the file played in its place when it is missing or does not
    // decode (none when empty), with what is told each time that happens, which may be after the
    // play began to load.
    virtual void setFile(const std::string& path, const std::string& fallback, FellBack fellBack) = 0;
    // Opens the named file.
    virtual void open() = 0;
    // Plays it once from the start.
    virtual void play() = 0;
    // Stops playing and lets the file go.
    virtual void close() = 0;
};

} // namespace mayorin::platform
