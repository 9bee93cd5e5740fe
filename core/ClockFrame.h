#pragma once

#include "platform/Clock.h"

namespace mayorin::core {

// The clock the reservation table is kept on. Countdowns are due seconds on the local clock; when
// the wall clock is set or the zone changes, the resident tick moves them by as much, and the
// frame with them. Until that tick, the frame goes on showing the time of the clock the table is
// still on, so a row stamped in between is stamped on the table's frame and is moved with the
// others: each row is moved exactly once, and nobody but the tick moves anything.
class ClockFrame {
public:
    // The present local time on this frame: the clock's own reading while it has not moved
    // against the boot-time clock (nor changed its zone) since the frame was last moved; after
    // such a move, the boot-time clock read on the frame's last offsets, in the frame's zone.
    // Before the first move, the clock's own reading.
    platform::LocalTime now(const platform::Clock& clock) const;

    // Moves the frame to the clock as it is now; only the resident tick (and the start-up, before
    // any row exists) does this. Returns by how many seconds local times moved since the last
    // move: 0 at the first, and 0 for a wall clock that moved by no more than the jitter of two
    // whole-second readings.
    double move(const platform::Clock& clock);

    // Two readings of whole seconds of two clocks taken one after the other differ by up to a
    // second from one tick to the next; a wall clock that moved by more than this against the
    // boot-time clock was set.
    static constexpr long long kJitterSeconds = 2;

private:
    bool m_read = false;
    long long m_wallLessBoot = 0; // UTC seconds of the wall clock less the boot-time clock's
    long m_utcOffset = 0;
};

} // namespace mayorin::core
