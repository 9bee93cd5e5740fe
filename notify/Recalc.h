#pragma once

#include <cstdint>

#include "core/Env.h"

namespace mayorin::notify {

// Files due row `row` as a pending notice, then reschedules or removes it. "saikeisan_F2 M3　再計算".
void saikeisan_F2(core::Env& env, std::int16_t row);
// Builds in the spare row an extension of pending notice `notice` by `minutes`; the caller adds
// it with tuika_mein. "entyou_syori M3　延長".
void entyou_syori(core::Env& env, std::int16_t notice, std::int16_t minutes);
// Discards every pending notice. "entyou_kesu M3　再計算".
void entyou_kesu(core::Env& env);
// Moves the due second of every countdown (kinds "0", "1" and extensions "10") and of every pending
// notice by `seconds`, after the wall clock or its zone moved by as much: they keep falling due at
// the same real moment, and of every deleted countdown, so that a restore brings it back on time.
// Alarms keep their time of day, paused countdowns their seconds left. The table is sorted again and the entry window's
// list rebuilt, its selection kept on the same reservation; returns the number of table rows moved. "tokeiHosei
// M3　時計".
int tokeiHosei(core::Env& env, double seconds);
// Sets the option "曜日時刻は祝日を除く。" (WeekdaysSkipHolidays) and moves every weekday row of the
// table and of the deleted rows by it at once: turned on, a next notice on a holiday moves past the
// holidays; turned off, every row not yet due takes its plain next notice again. The table is
// sorted again and the entry window's list rebuilt as tokeiHosei does; returns the number of table
// rows moved, the caller writes the data file. "syukujituHosei M3　祝日".
int syukujituHosei(core::Env& env, bool on);
// A weekday row due while the present day is a holiday, with the option on: gives no notice and is
// moved to its next day that is not one, as a notice would move it, but without taking the day out
// of a once-on-each-weekday set. Returns whether the soonest row was such a row. No trap of its own:
// the tick's.
bool passOverHoliday(core::Env& env);

} // namespace mayorin::notify
