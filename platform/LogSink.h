#pragma once

#include <string_view>

namespace mayorin::platform {

// The operation log: appends one composed event line to this month's log file.
class LogSink {
public:
    virtual ~LogSink() = default;
    // Appends the line (UTF-8, without line end) unless logging is switched off.
    virtual void kiloku(std::string_view line) = 0;
};

} // namespace mayorin::platform
