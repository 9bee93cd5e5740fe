#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/Env.h"

// Pausing and resuming countdowns (タイマー, 繰返しタイマー and extensions). A paused countdown
// keeps the whole seconds it had left in field 0, which is empty in every other row; its
// NextSecond is not read while it is paused, so no clock set, zone change or suspend moves it.
// Resumed, it falls due after those seconds, in the same period and cycle as before.
namespace mayorin::core {

// Kinds "0", "1" and "10".
bool isCountdownKind(std::string_view kindCode);
// Of a reservation row or a deleted one (which has its batch number in field 10).
template <std::size_t N> bool isCountdown(const std::array<std::string, N>& row) {
    return isCountdownKind(row[kKindCode]);
}
template <std::size_t N> bool isPaused(const std::array<std::string, N>& row) {
    return !row[0].empty();
}
// The seconds a paused row has left.
double pausedSeconds(const Fields& row);
// Whether the tick notifies the row at second now: it runs and its second has come.
bool dueAt(const Fields& row, double now);

// The table stands in descending order of this key. Paused rows come before every running row
// (at the bottom of the entry window's list), the one with the most seconds left first; the
// running rows follow by NextSecond, so the soonest row is still the last one, and it is a paused
// one only when every row is paused.
std::pair<bool, double> orderKey(const Fields& row);

// What follows the last field of a paused row's data file line, "一時停止=754"; empty for any
// other row.
std::string pauseMarker(const Fields& row);
// Pauses a countdown row built from a data file line whose text after its last field is a pause
// marker, with the marker's seconds. Any other text, or another kind of row, leaves the row
// running from its stored second. Returns whether the row was paused.
bool readPauseMarker(std::string_view text, Fields& row);

// Seconds left as the list shows them: hours (two digits or more), minutes and seconds, "00:12:34".
std::string remainderText(double seconds);

// A row that was paused or resumed: its new index, and the seconds it had left then.
struct PausedRow {
    std::int16_t row;
    double secondsLeft;
};

// Pauses every running countdown that pick chooses: it keeps what it had left until its
// NextSecond (none when that has passed), and moves behind the running rows. Returns the rows
// paused, soonest first as the list shows them. The entry window's list follows, its selection
// kept on the same reservation. "itijiteisi M2"; nothing after a failure.
std::vector<PausedRow> itijiteisi(Env& env, const std::function<bool(const Fields&)>& pick);
// Resumes every paused countdown that pick chooses: it falls due after the seconds it had left,
// counted from now. Returns the rows resumed as itijiteisi does. "saikai M2".
std::vector<PausedRow> saikai(Env& env, const std::function<bool(const Fields&)>& pick);

// Sorts the table again by orderKey, each row keeping its place among equals, and refills an
// open entry window's list, its selection kept on the same reservation. No trap of its own.
void sortAndRelist(Env& env);

} // namespace mayorin::core
