#pragma once

#include "platform/ProcessControl.h"

namespace mayorin::platform {

// Ends the process at once: standard streams are flushed, nothing else runs (no destructors,
// no exit handlers, no window closes).
class QtProcessControl final : public ProcessControl {
public:
    void terminateNow() override;
};

} // namespace mayorin::platform
