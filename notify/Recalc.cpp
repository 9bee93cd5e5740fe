#include "notify/Recalc.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "core/Calendar.h"
#include "core/Guard.h"
#include "core/Holidays.h"
#include "core/ListLine.h"
#include "core/NextNotice.h"
#include "core/Pause.h"
#include "core/Store.h"
#include "core/TextValue.h"

namespace mayorin::notify {

namespace {

constexpr std::string_view kSaikeisanLocation = "saikeisan_F2 M3　再計算";
constexpr std::string_view kEntyouKesuLocation = "entyou_kesu M3　再計算";
constexpr std::string_view kEntyouSyoriLocation = "entyou_syori M3　延長";
constexpr std::string_view kTokeiHoseiLocation = "tokeiHosei M3　時計";
constexpr std::string_view kSyukujituHoseiLocation = "syukujituHosei M3　祝日";

constexpr const char* kExtensionKind = "10";

// Number of characters (not bytes) of a UTF-8 text.
int charCount(std::string_view text) {
    int count = 0;
    for (unsigned char c : text) {
        if ((c & 0xC0) != 0x80) {
            ++count;
        }
    }
    return count;
}

// The weekday set of a row without the weekday of its due second. On time that is today; a notice
// that comes late (the program was not running, or the tick fell past midnight) must not take out
// the present weekday instead, or the day it was due would be notified a second time.
std::string withoutDueWeekday(const core::State& st, const core::Fields& r) {
    return core::withoutWeekday(st, r[8], core::weekdayOfStamp(core::value(r[core::kNextSecond])));
}

} // namespace

void saikeisan_F2(core::Env& env, std::int16_t row) {
    core::guarded(env.errors, kSaikeisanLocation, [&] {
        core::State& st = env.st;

        // File the pending notice: a copy of the row as it fell due, beside the texts that
        // hyouji_F2 wrote into the same spare row of NoticeTextTable.
        st.NoticeTable[st.NoticeCount] = st.ReservationTable[row];
        st.NoticeCount = core::add16(st.NoticeCount, 1);

        // The due row is the soonest one, so its line is the top item of the entry window's list.
        if (st.EntryWindowOpen && env.entryList != nullptr) {
            env.entryList->removeLine(0);
        }

        if (core::value(st.ReservationTable[row][core::kRepeatMode]) > 0) {
            // The due row becomes the spare row with its content intact, is recomputed there and
            // added back in its new place.
            st.ReservationCount = core::add16(st.ReservationCount, -1);
            core::Fields& r = st.ReservationTable[st.ReservationCount];
            if (core::value(r[core::kKindCode]) == 5 && core::value(r[core::kRepeatMode]) == 2) {
                // Once on each weekday of the set: take out the weekday just notified; with one
                // weekday left the row is finished after its next notice.
                r[8] = withoutDueWeekday(st, r);
                if (charCount(r[8]) < 2) {
                    r[core::kRepeatMode] = "0";
                }
            }
            core::byoukeisan01(env, st.ReservationCount);
            core::tuika_mein(env);
        } else {
            // Finished: the row is blanked and becomes the spare row. It is not kept for restoring.
            st.ReservationCount = core::hSakujo(env, core::add16(st.ReservationCount, -1));
        }
    });
}

void entyou_syori(core::Env& env, std::int16_t notice, std::int16_t minutes) {
    core::guarded(env.errors, kEntyouSyoriLocation, [&] {
        core::State& st = env.st;
        const core::Fields& n = st.NoticeTable[notice];
        core::Fields& a = st.ReservationTable[st.ReservationCount];

        a[core::kKindCode] = kExtensionKind;
        a[core::kRepeatMode] = "0";
        a[core::kName] = n[core::kName];
        a[4].clear();
        a[6].clear();
        a[7].clear();
        if (n[core::kKindCode] == kExtensionKind) {
            // An extension extended again counts its minutes from the first due time, kept in field 8.
            a[5] = " " + core::decimalText(core::value(n[5]) + minutes);
            a[8] = n[8];
        } else {
            a[5] = core::decimalText(minutes);
            a[8] = n[core::kNextSecond];
        }
        // Counted from the notice's due second, not from the moment of extending.
        const std::int16_t seconds = core::toInt16(static_cast<double>(minutes) * 60);
        a[core::kNextSecond] = " " + core::decimalText(core::value(n[core::kNextSecond]) + seconds);
    });
}

void entyou_kesu(core::Env& env) {
    core::guarded(env.errors, kEntyouKesuLocation, [&] {
        core::State& st = env.st;
        for (int i = 0; i < st.NoticeCount; ++i) {
            st.NoticeTable.blank(i);
            st.NoticeTextTable.blank(i);
        }
        st.NoticeCount = 0;
    });
}

int tokeiHosei(core::Env& env, double seconds) {
    return core::guardedOr(env.errors, kTokeiHoseiLocation, 0, [&] {
        core::State& st = env.st;
        const auto later = [seconds](std::string& field) {
            field = core::spacedDecimalText(core::value(field) + seconds);
        };
        // A paused countdown has no moment to move: it keeps the seconds it has left.
        const auto runs = [](const auto& row) { return core::isCountdown(row) && !core::isPaused(row); };
        int moved = 0;
        for (int r = 0; r < st.ReservationCount; ++r) {
            core::Fields& row = st.ReservationTable[r];
            if (runs(row)) {
                later(row[core::kNextSecond]);
                ++moved;
            }
        }
        // An extension counts from the due moment of its notice, whatever the notice's kind.
        for (int n = 0; n < st.NoticeCount; ++n) {
            later(st.NoticeTable[n][core::kNextSecond]);
        }
        // A deleted countdown restored later falls due when it would have without the deletion.
        for (int d = 0; d < st.DeletedCount; ++d) {
            auto& kept = st.DeletedTable[d];
            if (runs(kept)) {
                later(kept[core::kNextSecond]);
            }
        }
        if (moved == 0) {
            return 0;
        }
        // Countdowns and alarms each keep their order; merged again, the soonest row is last. The
        // selected line of the entry window stays on its reservation, wherever the sort takes it.
        core::sortAndRelist(env);
        return moved;
    });
}

int syukujituHosei(core::Env& env, bool on) {
    return core::guardedOr(env.errors, kSyukujituHoseiLocation, 0, [&] {
        core::State& st = env.st;
        st.WeekdaysSkipHolidays = on;
        const double now = core::genByou(env);
        // Turned off, a row whose next notice lies ahead takes it from the plain computation again;
        // a row already due keeps it, to be notified at the next tick.
        const auto follow = [&](core::Fields& row) {
            if (core::int32Of(row[core::kKindCode]) != 5) {
                return false;
            }
            if (on) {
                return core::offHolidays(st, row);
            }
            const std::string held = row[core::kNextSecond];
            if (now >= core::value(held)) {
                return false;
            }
            core::byoukeisan01(env, row);
            return row[core::kNextSecond] != held;
        };
        int moved = 0;
        for (int r = 0; r < st.ReservationCount; ++r) {
            moved += follow(st.ReservationTable[r]) ? 1 : 0;
        }
        for (int d = 0; d < st.DeletedCount; ++d) {
            core::Fields row;
            auto& kept = st.DeletedTable[d];
            std::copy(kept.begin(), kept.begin() + 10, row.begin());
            if (follow(row)) {
                kept[core::kNextSecond] = row[core::kNextSecond];
            }
        }
        if (moved > 0) {
            core::sortAndRelist(env);
        }
        return moved;
    });
}

bool passOverHoliday(core::Env& env) {
    core::State& st = env.st;
    if (!st.WeekdaysSkipHolidays || core::int32Of(st.ReservationTable[st.ReservationCount - 1][core::kKindCode]) != 5 ||
        !core::isHoliday(static_cast<std::int64_t>(std::floor(core::genByou(env) / 86400)))) {
        return false;
    }
    // As a notice's recalculation moves it: out of the table into the spare row, computed there and
    // sorted back in, its line with it.
    if (st.EntryWindowOpen && env.entryList != nullptr) {
        env.entryList->removeLine(0);
    }
    st.ReservationCount = core::add16(st.ReservationCount, -1);
    core::byoukeisan01(env, st.ReservationCount);
    core::tuika_mein(env);
    return true;
}

} // namespace mayorin::notify
