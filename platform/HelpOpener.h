#pragma once

#include <string>

namespace mayorin::platform {

// Opens the compiled help file with the desktop's viewer.
class HelpOpener {
public:
    virtual ~HelpOpener() = default;
    // Returns false when the file is missing or nothing can open it.
    virtual bool open(const std::string& path) = 0;
};

} // namespace mayorin::platform
