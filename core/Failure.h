#pragma once

#include <stdexcept>
#include <string>

namespace mayorin::core {

// Error codes the program reports. 75 and 365 have fixed meanings for the user;
// the others only have to stay the same for the same failure.
enum ErrorCode : int {
    kInvalidCall = 5,
    kOverflow = 6,
    kOutOfMemory = 7,
    kSubscript = 9,
    kFileAccess = 75,
    kCannotUnload = 365,
};

// The one error type inner code throws: a numeric code and a description a user can read.
class Failure : public std::runtime_error {
public:
    Failure(int code, const std::string& description) : std::runtime_error(description), m_code(code) {}
    int code() const { return m_code; }
    std::string description() const { return what(); }

private:
    int m_code;
};

[[noreturn]] void throwOverflow();
[[noreturn]] void throwSubscript();
[[noreturn]] void throwFileAccess(const std::string& detail);

} // namespace mayorin::core
