#pragma once

#include <string_view>

namespace mayorin::platform {

// Receives every failure caught by an operation's error trap.
class ErrorSink {
public:
    virtual ~ErrorSink() = default;
    // location is the failing operation's location text ("tuika_mein M2"); code and description
    // describe the failure (75 for a file or path access failure).
    virtual void ReportError(std::string_view location, int code, std::string_view description) = 0;
};

} // namespace mayorin::platform
