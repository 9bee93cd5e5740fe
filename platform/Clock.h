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
    // Seconds east of UTC of the local time read: the zone's offset, summer time included.
    long utcOffset = 0;
};

// The present moment. Tests replace it with a clock that moves only when told to.
class Clock {
public:
    virtual ~Clock() = default;
    // The present local date and time, read once.
    virtual LocalTime now() const = 0;
    // Whole seconds of a clock that nobody sets and that goes on counting while the machine is
    // suspended. Only differences of two readings mean anything.
    virtual long long bootSeconds() const = 0;
};

// The system's local clock. The zone is looked up again at most once a second, so that a change
// of the zone (of /etc/localtime) shows in every reading within a second.
class SystemClock final : public Clock {
public:
    LocalTime now() const override;
    long long bootSeconds() const override;

private:
    mutable long long m_zoneReadAt = -1; // bootSeconds of the last look-up of the zone
};

} // namespace mayorin::platform
