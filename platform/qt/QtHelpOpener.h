#pragma once

#include <string>

#include "platform/HelpOpener.h"

namespace mayorin::platform {

// Opens the compiled help file with the desktop's viewer: the opener the desktop registered for
// the file's type (xdg-open), or else a compiled-help viewer found on the search path.
class QtHelpOpener final : public HelpOpener {
public:
    bool open(const std::string& path) override;
};

} // namespace mayorin::platform
