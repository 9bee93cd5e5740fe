#include "platform/qt/QtProcessControl.h"

#include <cstdio>
#include <cstdlib>

namespace mayorin::platform {

void QtProcessControl::terminateNow() {
    std::fflush(nullptr);
    std::_Exit(0);
}

} // namespace mayorin::platform
