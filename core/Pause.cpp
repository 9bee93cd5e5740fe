#include "core/Pause.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "core/Calendar.h"
#include "core/Guard.h"
#include "core/ListLine.h"
#include "core/Store.h"
#include "core/TextValue.h"

namespace mayorin::core {

namespace {

constexpr const char* kItijiteisi = "itijiteisi M2";
constexpr const char* kSaikai = "saikai M2";

constexpr std::string_view kMarkerHead = "一時停止=";
// The most seconds a row keeps when paused, twelve digits: far beyond any countdown (99:99:99 is
// 362439 seconds), and a whole number that reads back exactly.
constexpr double kMostSecondsLeft = 999999999999.0;
constexpr std::size_t kMostMarkerDigits = 12;

std::vector<PausedRow> pauseOrResume(Env& env, bool pause, const std::function<bool(const Fields&)>& pick) {
    State& st = env.st;
    auto& table = st.ReservationTable;
    const double now = genByou(env);
    std::unordered_map<const Fields*, double> secondsLeft; // of every row changed
    int changedRow = -1;
    for (int r = 0; r < st.ReservationCount; ++r) {
        Fields& row = table[r];
        if (!isCountdown(row) || isPaused(row) == pause || !pick(row)) {
            continue;
        }
        if (pause) {
            const double untilDue = roundHalfEven(value(row[kNextSecond]) - now);
            row[0] = decimalText(std::clamp(untilDue, 0.0, kMostSecondsLeft));
        }
        const double left = pausedSeconds(row);
        if (!pause) {
            row[kNextSecond] = spacedDecimalText(now + left);
            row[0].clear();
        }
        secondsLeft[&row] = left;
        changedRow = r;
    }
    if (secondsLeft.empty()) {
        return {};
    }
    if (secondsLeft.size() == 1) {
        // One row is taken out and sorted in again as an add sorts in its row: no other row moves
        // but by one place, and the list changes by one line.
        const std::int16_t last = add16(st.ReservationCount, -1);
        table.moveRow(changedRow, last);
        const std::int16_t place = narabikae(env, last);
        if (st.EntryWindowOpen && env.entryList != nullptr) {
            env.entryList->moveLine(last - changedRow, last - place, hyouji12(env, place));
        }
        return {{place, secondsLeft.begin()->second}};
    }
    sortAndRelist(env);
    std::vector<PausedRow> places;
    places.reserve(secondsLeft.size());
    for (int r = st.ReservationCount - 1; r >= 0; --r) {
        if (const auto it = secondsLeft.find(&table[r]); it != secondsLeft.end()) {
            places.push_back({static_cast<std::int16_t>(r), it->second});
        }
    }
    return places;
}

} // namespace

bool isCountdownKind(std::string_view kindCode) {
    const double kind = value(kindCode);
    return kind == 0 || kind == 1 || kind == 10;
}

double pausedSeconds(const Fields& row) {
    return value(row[0]);
}

bool dueAt(const Fields& row, double now) {
    return !isPaused(row) && now >= value(row[kNextSecond]);
}

std::pair<bool, double> orderKey(const Fields& row) {
    return isPaused(row) ? std::pair{true, pausedSeconds(row)} : std::pair{false, value(row[kNextSecond])};
}

std::string pauseMarker(const Fields& row) {
    return isPaused(row) ? std::string(kMarkerHead) + row[0] : std::string();
}

bool readPauseMarker(std::string_view text, Fields& row) {
    if (text.substr(0, kMarkerHead.size()) != kMarkerHead || !isCountdown(row)) {
        return false;
    }
    const std::string_view digits = text.substr(kMarkerHead.size());
    if (digits.empty() || digits.size() > kMostMarkerDigits ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    row[0] = decimalText(value(digits));
    return true;
}

std::string remainderText(double seconds) {
    const auto s = static_cast<long long>(std::clamp(seconds, 0.0, kMostSecondsLeft));
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    return buf;
}

std::vector<PausedRow> itijiteisi(Env& env, const std::function<bool(const Fields&)>& pick) {
    return guarded(env.errors, kItijiteisi, [&] { return pauseOrResume(env, true, pick); });
}

std::vector<PausedRow> saikai(Env& env, const std::function<bool(const Fields&)>& pick) {
    return guarded(env.errors, kSaikai, [&] { return pauseOrResume(env, false, pick); });
}

void sortAndRelist(Env& env) {
    State& st = env.st;
    EntryListView* list = st.EntryWindowOpen ? env.entryList : nullptr;
    const int selected = list != nullptr ? list->selectedLine() : -1;
    const Fields* selectedRow = selected >= 0 && selected < st.ReservationCount
                                    ? &st.ReservationTable[st.ReservationCount - 1 - selected]
                                    : nullptr;
    // Rows keep their place in memory: only the table's order changes.
    st.ReservationTable.stableSortRows(st.ReservationCount,
                                       [](const Fields& a, const Fields& b) { return orderKey(a) > orderKey(b); });
    if (list == nullptr) {
        return;
    }
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(st.ReservationCount));
    int reselected = -1;
    for (int r = st.ReservationCount - 1; r >= 0; --r) {
        if (&st.ReservationTable[r] == selectedRow) {
            reselected = static_cast<int>(lines.size());
        }
        lines.push_back(hyouji12(env, static_cast<std::int16_t>(r)));
    }
    list->replaceLines(lines, reselected);
}

} // namespace mayorin::core
