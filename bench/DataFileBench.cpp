// Writing and reading the data file at the table limits: 32767 reservations and 32767 name
// history entries on each side.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/Env.h"
#include "core/Store.h"
#include "persist/DataFile.h"
#include "persist/FileText.h"
#include "persist/OperationLog.h"
#include "platform/CodePage.h"
#include "tests/support/Fakes.h"

namespace mayorin::bench {

namespace {

struct BenchEnv {
    explicit BenchEnv(const std::string& dir) {
        core::fillWeekdayNames(st);
        st.AppDir = dir;
        clock.set(2026, 12, 7, 4, 50, 12);
        core::hensu_kensuu(env);
    }
    core::State st;
    test::FakeClock clock;
    platform::IconvCodePage codePage;
    test::RecordingErrors errors;
    test::ScriptedMessages messages;
    test::FakeSettings settings;
    persist::OperationLog log{env};
    core::Env env{st, clock, codePage, errors, messages, log, settings};
};

double msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Processor time of this process in milliseconds, apart from the time spent waiting for a
// processor on a busy machine.
double cpuMs() {
    return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

} // namespace

void benchDataFile() {
    std::string dir = (std::filesystem::temp_directory_path() / "mayorin-bench-XXXXXX").string();
    if (!::mkdtemp(dir.data())) {
        std::printf("data file: no temporary folder\n");
        return;
    }
    constexpr int kRows = 32767;
    {
        BenchEnv w(dir);
        for (int i = 0; i < kRows; ++i) {
            auto& e = w.st.EntryRow;
            e = {};
            e[2] = "0";
            e[3] = "予定の名前" + std::to_string(i);
            e[4] = std::to_string(i % 24);
            e[5] = std::to_string(i % 60);
            e[9] = " " + std::to_string(63932230000.0 + (kRows - i) * 60.0).substr(0, 11);
            core::tuika03(w.env, 2);
            core::tuika_mein(w.env);
            for (int side = 0; side < 2; ++side) {
                e[0] = "";
                core::rireki01(w.env, static_cast<std::int16_t>(side));
            }
        }
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = cpuMs();
        persist::kakikomi01(w.env);
        const double ms = msSince(start);
        std::printf("data file: write %d reservations + %d + %d history entries: %.1f ms (processor %.1f ms, target "
                    "< 100 ms)%s\n",
                    w.st.ReservationCount, w.st.NameHistoryCount[0], w.st.NameHistoryCount[1], ms, cpuMs() - cpuStart,
                    w.errors.reports.empty() ? "" : " FAILED");

        // The same file kept elsewhere behind a symbolic link: the target is replaced.
        const std::string path = persist::dataFilePath(w.st);
        const std::string real = dir + "/real";
        std::filesystem::create_directory(real);
        std::filesystem::rename(path, real + "/data.txt");
        std::filesystem::create_symlink("real/data.txt", path);
        const auto linkStart = std::chrono::steady_clock::now();
        const double linkCpu = cpuMs();
        persist::kakikomi01(w.env);
        std::printf("data file: write the same through a symbolic link: %.1f ms (processor %.1f ms)%s\n",
                    msSince(linkStart), cpuMs() - linkCpu,
                    w.errors.reports.empty() && std::filesystem::is_symlink(path) ? "" : " FAILED");

        // What a folder that refuses the temporary file gets: the file rewritten where it stands.
        const std::string bytes = [&] {
            std::ifstream in(path, std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }();
        const auto placeStart = std::chrono::steady_clock::now();
        const double placeCpu = cpuMs();
        bool ok = true;
        try {
            persist::detail::rewriteInPlace(real + "/data.txt", bytes);
        } catch (...) {
            ok = false;
        }
        std::printf("data file: rewrite the same in place (%zu bytes): %.1f ms (processor %.1f ms)%s\n", bytes.size(),
                    msSince(placeStart), cpuMs() - placeCpu, ok ? "" : " FAILED");
    }
    {
        BenchEnv r(dir);
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = cpuMs();
        persist::yomikomi01(r.env);
        const double ms = msSince(start);
        std::printf("data file: read back %d reservations + %d + %d history entries: %.1f ms (processor %.1f ms, "
                    "target < 200 ms)%s\n",
                    r.st.ReservationCount, r.st.NameHistoryCount[0], r.st.NameHistoryCount[1], ms, cpuMs() - cpuStart,
                    r.errors.reports.empty() ? "" : " FAILED");
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

} // namespace mayorin::bench
