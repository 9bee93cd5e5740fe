#pragma once

namespace mayorin::platform {

// Ending the process.
class ProcessControl {
public:
    virtual ~ProcessControl() = default;
    // Ends the process at once: no window is unloaded, nothing is saved or logged.
    virtual void terminateNow() = 0;
};

} // namespace mayorin::platform
