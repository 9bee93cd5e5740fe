// Table operations at the 32767-row limit: adding in table order and in random order,
// deleting everything and restoring it, and recording a name in a full history.
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "core/Pause.h"
#include "core/Store.h"
#include "core/TextValue.h"
#include "tests/support/TestEnv.h"

namespace mayorin::bench {

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Processor time of this process in milliseconds: on a busy machine it shows the work
// itself, apart from the time spent waiting for a processor.
double cpuMs() {
    return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

constexpr int kRows = 32767;

// Adds one timer row the way the data file reader does: EntryRow, tuika03, tuika_mein.
void addRow(core::Env& env, int i, double second) {
    auto& e = env.st.EntryRow;
    e = {};
    e[0] = "01";
    e[1] = "0";
    e[2] = "0";
    e[3] = "予約" + std::to_string(i);
    e[4] = "00";
    e[5] = "05";
    e[9] = core::spacedDecimalText(second);
    core::tuika03(env, 0);
    core::tuika_mein(env);
}

struct Timing {
    double wall;
    double cpu;
};

Timing addRows(const std::vector<double>& seconds, std::unique_ptr<test::TestEnv>& keep) {
    keep = std::make_unique<test::TestEnv>();
    core::hensu_kensuu(keep->env);
    const auto start = Clock::now();
    const double cpuStart = cpuMs();
    for (int i = 0; i < kRows; ++i) {
        addRow(keep->env, i, seconds[static_cast<std::size_t>(i)]);
    }
    const Timing took{msSince(start), cpuMs() - cpuStart};
    if (keep->st.ReservationCount != kRows || !keep->errors.reports.empty()) {
        std::printf("  (unexpected: %d rows, %zu errors)\n", keep->st.ReservationCount, keep->errors.reports.size());
    }
    return took;
}

} // namespace

void benchCore() {
    std::vector<double> seconds(kRows);
    const double base = 63900000000.0;
    for (int i = 0; i < kRows; ++i) {
        seconds[static_cast<std::size_t>(i)] = base + 60.0 * (kRows - i); // descending: table order
    }
    std::unique_ptr<test::TestEnv> t;
    Timing took = addRows(seconds, t);
    std::printf("add %d rows in table order: %.1f ms (processor %.1f ms)\n", kRows, took.wall, took.cpu);

    std::mt19937 rng(20261207);
    std::shuffle(seconds.begin(), seconds.end(), rng);
    took = addRows(seconds, t);
    std::printf("add %d rows in random order: %.1f ms (processor %.1f ms)\n", kRows, took.wall, took.cpu);

    // Delete-all as the entry window does it, then one restore.
    {
        core::State& st = t->st;
        const auto start = Clock::now();
        const double cpuStart = cpuMs();
        st.DeleteBatchCount = core::add16(st.DeleteBatchCount, 1);
        for (int d = st.ReservationCount - 1; d >= 0; --d) {
            st.ReservationCount = core::sakujo01(t->env, static_cast<std::int16_t>(d),
                                                 static_cast<std::int16_t>(st.ReservationCount - 1));
        }
        core::sakujyo_modosu(t->env);
        st.DeleteBatchCount = core::add16(st.DeleteBatchCount, -1);
        const double ms = msSince(start);
        const double cpu = cpuMs() - cpuStart;
        std::printf("delete all %d rows and restore them: %.1f ms (processor %.1f ms, %d rows back)\n", kRows, ms, cpu,
                    st.ReservationCount);
    }

    // Every countdown paused and resumed at once, as a command without a name does, then one of them.
    {
        const auto all = [](const core::Fields&) { return true; };
        auto start = Clock::now();
        const std::size_t paused = core::itijiteisi(t->env, all).size();
        const double pauseAll = msSince(start);
        start = Clock::now();
        const std::size_t resumed = core::saikai(t->env, all).size();
        const double resumeAll = msSince(start);
        const core::Fields* middle = &t->st.ReservationTable[kRows / 2];
        start = Clock::now();
        core::itijiteisi(t->env, [middle](const core::Fields& f) { return &f == middle; });
        const double pauseOne = msSince(start);
        std::printf("pause all %zu countdowns: %.1f ms, resume %zu: %.1f ms; pause one among them: %.2f ms\n", paused,
                    pauseAll, resumed, resumeAll, pauseOne);
    }

    // A history side holding 32766 names: record one more new name, then overwrite existing ones.
    {
        test::TestEnv h;
        core::hensu_kensuu(h.env);
        for (int i = 0; i < kRows - 1; ++i) {
            h.st.EntryRow = {};
            h.st.EntryRow[3] = "名前" + std::to_string(i);
            core::rireki01(h.env, 0);
        }
        h.st.EntryRow = {};
        h.st.EntryRow[3] = "新しい名前";
        auto start = Clock::now();
        core::rireki01(h.env, 0);
        const double addUs = msSince(start) * 1000.0;

        constexpr int kRepeats = 1000;
        start = Clock::now();
        for (int i = 0; i < kRepeats; ++i) {
            h.st.EntryRow[3] = "名前" + std::to_string((i * 7919) % (kRows - 1));
            core::rireki01(h.env, 0);
        }
        const double overwriteUs = msSince(start) * 1000.0 / kRepeats;
        std::printf("record a name with %d names on the side: new %.1f us, existing %.2f us (%d names)\n", kRows - 1,
                    addUs, overwriteUs, h.st.NameHistoryCount[0]);
    }
}

} // namespace mayorin::bench
