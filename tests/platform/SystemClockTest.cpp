#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/Clock.h"

namespace mayorin::platform {
namespace {

using namespace std::chrono;
using namespace std::chrono_literals;

// A new zone shows in the clock's readings within a second, without anything else looking it up.
TEST(SystemClock, NewZoneShowsWithinASecond) {
    const char* inherited = std::getenv("TZ");
    const std::string before = inherited != nullptr ? inherited : "";
    const auto offsetWithin = [](const SystemClock& clock, auto accept, milliseconds limit) {
        const auto until = steady_clock::now() + limit;
        while (!accept(clock.now().utcOffset) && steady_clock::now() < until) {
            std::this_thread::sleep_for(20ms);
        }
        return accept(clock.now().utcOffset);
    };
    ::setenv("TZ", "Asia/Tokyo", 1);
    SystemClock clock;
    EXPECT_EQ(clock.now().utcOffset, 9 * 3600) << "the first reading looks the zone up";

    ::setenv("TZ", "Europe/Berlin", 1);
    const auto changed = steady_clock::now();
    EXPECT_TRUE(offsetWithin(
        clock, [](long o) { return o == 3600 || o == 7200; }, 3s));
    EXPECT_LT(steady_clock::now() - changed, 1200ms);

    if (inherited != nullptr) {
        ::setenv("TZ", before.c_str(), 1);
    } else {
        ::unsetenv("TZ");
    }
}

} // namespace
} // namespace mayorin::platform
