#include "tests/support/Fakes.h"

#include <chrono>

namespace mayorin::test {

namespace {

platform::LocalTime fromSeconds(long long total) {
    using namespace std::chrono;
    const sys_seconds t{seconds{total}};
    const auto day = floor<days>(t);
    const year_month_day ymd{day};
    const hh_mm_ss hms{t - day};
    const weekday wd{day};
    return {static_cast<int>(ymd.year()),
            static_cast<int>(unsigned(ymd.month())),
            static_cast<int>(unsigned(ymd.day())),
            static_cast<int>(hms.hours().count()),
            static_cast<int>(hms.minutes().count()),
            static_cast<int>(hms.seconds().count()),
            static_cast<int>(wd.c_encoding())};
}

long long toSeconds(const platform::LocalTime& t) {
    using namespace std::chrono;
    const sys_days day{year{t.year} / month{unsigned(t.month)} / std::chrono::day{unsigned(t.day)}};
    return day.time_since_epoch().count() * 86400LL + t.hour * 3600LL + t.minute * 60LL + t.second;
}

} // namespace

platform::LocalTime FakeClock::now() const {
    platform::LocalTime t = fromSeconds(m_utc + m_offset);
    t.utcOffset = m_offset;
    return t;
}

void FakeClock::set(int year, int month, int day, int hour, int minute, int second) {
    advance(toSeconds({year, month, day, hour, minute, second, 0}) - m_offset - m_utc);
}

void FakeClock::advance(long long seconds) {
    m_utc += seconds;
    m_boot += seconds;
}

void FakeClock::setWallClockBy(long long seconds) {
    m_utc += seconds;
}

void FakeClock::setUtcOffset(long seconds) {
    m_offset = seconds;
}

std::string FakeSettings::get(std::string_view section, std::string_view key, std::string_view fallback) const {
    auto it = values.find({std::string(section), std::string(key)});
    return it == values.end() ? std::string(fallback) : it->second;
}

void FakeSettings::save(std::string_view section, std::string_view key, std::string_view value) {
    values[{std::string(section), std::string(key)}] = std::string(value);
}

platform::Answer ScriptedMessages::show(std::string_view text, std::string_view title, platform::Buttons buttons,
                                        platform::Icon icon, platform::Answer defaultButton) {
    if (waiting != platform::Waiting::NoDisplay) {
        shown.push_back(
            {std::string(text), std::string(title), buttons, icon, waiting == platform::Waiting::ForAnswer});
    }
    if (waiting != platform::Waiting::ForAnswer) {
        return buttons == platform::Buttons::Ok ? platform::Answer::Ok : platform::Answer::Dismissed;
    }
    if (buttons == platform::Buttons::Ok) {
        return platform::Answer::Ok;
    }
    if (answers.empty()) {
        return defaultButton;
    }
    auto a = answers.front();
    answers.pop_front();
    return a;
}

} // namespace mayorin::test
