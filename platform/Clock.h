#pragma once

namespace mayorin::platform {

// One reading of the local wall clock.
struct LocalTime {
    int year = 1;    // [1, 9999]
    int month = 1;   // [1, 12]
    int day = 1;     // [1, 31]
    int hour = 0;    // [0, 23]
    int minute = 0;  // [0, 59]
    int second = 0;  // [0, 59]
    int weekday = 1; // [0, 6], 0 = Sunday
};

// The present moment. Tests replace it with a clock that moves only when told to.
class Clock {
public:
    virtual ~Clock() = default;
    // The present local date and time, read once.
    virtual LocalTime now() const = 0;
};

// The system's local clock.
class SystemClock final : public Clock {
public:
    LocalTime now() const override;
};

} // namespace mayorin::platform
