#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mayorin::platform {

// Receives every failure caught by an operation's error trap.
class ErrorSink {
public:
    virtual ~ErrorSink() = default;
    // location is the failing operation's location text ("tuika_mein M2"); code and description
    // describe the failure (75 for a file or path access failure).
    virtual void ReportError(std::string_view location, int code, std::string_view description) = 0;
};

// Keeps every reported failure, in order, for whoever passes them on later (or a test reads them).
class KeptErrors final : public ErrorSink {
public:
    struct Report {
        std::string location;
        int code;
        std::string description;
    };
    void ReportError(std::string_view location, int code, std::string_view description) override {
        reports.push_back({std::string(location), code, std::string(description)});
    }
    std::vector<Report> reports;
};

} // namespace mayorin::platform
