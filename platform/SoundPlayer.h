#pragma once

#include <string>

namespace mayorin::platform {

// Plays one wave file: the open, play and close steps of a simple media control.
// A missing or unplayable file, or a machine without sound, is silent and never an error.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Names the file to play next.
    virtual void setFile(const std::string& path) = 0;
    // Opens the named file.
    virtual void open() = 0;
    // Plays it once from the start.
    virtual void play() = 0;
    // Stops playing and lets the file go.
    virtual void close() = 0;
};

} // namespace mayorin::platform
