#pragma once

#include <functional>
#include <string>

namespace mayorin::platform {

// Opens the compiled help file with the desktop's viewer.
class HelpOpener {
public:
    virtual ~HelpOpener() = default;
    // Starts opening the file and returns without waiting on any program it asks or starts, so
    // that the resident tick goes on meanwhile. `done` is called once, on the same thread, perhaps
    // before open returns: with false when the file is missing or nothing can open it.
    virtual void open(const std::string& path, std::function<void(bool opened)> done) = 0;
};

} // namespace mayorin::platform
