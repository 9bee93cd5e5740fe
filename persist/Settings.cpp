#include "persist/Settings.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>

#include "core/Env.h"
#include "core/Guard.h"
#include "core/TextValue.h"

namespace mayorin::persist {

namespace {

constexpr const char* kRegistry1Location = "registry1_F4 F4";

constexpr const char* kTop = "Top   ";
constexpr const char* kLeft = "Left  ";
constexpr const char* kHeight = "Height";
constexpr const char* kWidth = "Width ";
constexpr const char* kWindowState = "WindowState";

constexpr const char* kEntryWindow = "form1";
constexpr const char* kNoticeWindow = "form2";
constexpr const char* kNamesWindow = "form3";
constexpr const char* kRunningMarkers = "form4";
constexpr const char* kRelease = "ver";
constexpr const char* kMessageHidden = "msse_h";

constexpr const char* kRunning = "運転中";

// Geometry defaults in twips.
constexpr Geometry kEntryDefault{105, 1000, 3855, 10095};
constexpr Geometry kNoticeDefault{105, 1000, 3645, 9390};
constexpr Geometry kNamesDefault{105, 1000, 0, 0};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view t) {
    while (!t.empty() && isBlank(t.front())) {
        t.remove_prefix(1);
    }
    while (!t.empty() && isBlank(t.back())) {
        t.remove_suffix(1);
    }
    return t;
}

// The whole text as a decimal number (blanks around it allowed), or nothing when any part of
// it is not a number.
std::optional<double> wholeNumber(std::string_view text) {
    const std::string t(trimmed(text));
    if (t.empty()) {
        return std::nullopt;
    }
    for (const char c : t) {
        // Only plain decimal forms: no hexadecimal, infinity or not-a-number spellings.
        if (!((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E')) {
            return std::nullopt;
        }
    }
    char* end = nullptr;
    const double v = std::strtod(t.c_str(), &end);
    if (end != t.c_str() + t.size() || !std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<char>(x - 'A' + 'a');
        }
        if (y >= 'A' && y <= 'Z') {
            y = static_cast<char>(y - 'A' + 'a');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

// The plain decimal text of a single-precision value: its shortest form as a float ("1234.56"),
// not the longer digits of the same value as a double.
std::string numberText(double v) {
    const float f = static_cast<float>(v);
    if (!std::isfinite(f)) {
        return core::decimalText(static_cast<double>(f)); // an overflow, as for any number text
    }
    if (f == 0.0F) {
        return "0";
    }
    char buf[64];
    const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, f, std::chars_format::fixed);
    if (ec != std::errc()) {
        return core::decimalText(static_cast<double>(f));
    }
    return std::string(buf, ptr);
}

} // namespace

namespace {

const char* trueOrFalse(bool on) {
    return on ? "True" : "False";
}

} // namespace

bool optionOn(const platform::SettingsBackend& backend, Option option) {
    const OptionRow& row = optionRow(option);
    const char* other = trueOrFalse(!row.byDefault);
    return (backend.get(kOptionSection, row.key, trueOrFalse(row.byDefault)) == other) != row.byDefault;
}

bool Settings::optionOn(Option option) const {
    return persist::optionOn(m_backend, option);
}

bool Settings::optionChecked(Option option) const {
    const OptionRow& row = optionRow(option);
    const std::string text = m_backend.get(kOptionSection, row.key, trueOrFalse(row.byDefault));
    const std::string_view t = trimmed(text);
    if (equalsIgnoringCase(t, "True")) {
        return true;
    }
    if (equalsIgnoringCase(t, "False")) {
        return false;
    }
    if (const auto v = wholeNumber(t)) {
        return *v != 0;
    }
    // A damaged text must not make the entry window fail at every opening.
    return row.byDefault;
}

void Settings::saveOptions(const std::array<bool, kOptionCount>& checks) {
    for (std::size_t i = 0; i < kOptionCount; ++i) {
        m_backend.save(kOptionSection, kOptionTable[i].key, trueOrFalse(checks[i]));
    }
}

std::string Settings::ownSound() const {
    return m_backend.get(kOptionSection, kOwnSoundKey, "");
}

void Settings::saveOwnSound(const std::string& path) {
    m_backend.save(kOptionSection, kOwnSoundKey, path);
}

double Settings::number(std::string_view section, std::string_view key, double fallback) const {
    const std::string text = m_backend.get(section, key, numberText(fallback));
    const auto v = wholeNumber(text);
    // Positions are single-precision numbers; anything that is not one (or does not fit one)
    // counts as the default instead of failing the window's load.
    if (!v || std::fabs(*v) > std::numeric_limits<float>::max()) {
        return fallback;
    }
    return static_cast<double>(static_cast<float>(*v));
}

Geometry Settings::rejisutory01() const {
    Geometry g;
    g.top = number(kEntryWindow, kTop, kEntryDefault.top);
    g.left = number(kEntryWindow, kLeft, kEntryDefault.left);
    g.height = number(kEntryWindow, kHeight, kEntryDefault.height);
    g.width = number(kEntryWindow, kWidth, kEntryDefault.width);
    return g;
}

void Settings::rejisutory02(const Geometry& g, bool withPlace) {
    if (withPlace) {
        m_backend.save(kEntryWindow, kTop, numberText(g.top));
        m_backend.save(kEntryWindow, kLeft, numberText(g.left));
    }
    m_backend.save(kEntryWindow, kHeight, numberText(g.height));
    m_backend.save(kEntryWindow, kWidth, numberText(g.width));
}

Geometry Settings::rejisutory03(int& windowState) const {
    Geometry g;
    g.top = number(kNoticeWindow, kTop, kNoticeDefault.top);
    g.left = number(kNoticeWindow, kLeft, kNoticeDefault.left);
    g.height = number(kNoticeWindow, kHeight, kNoticeDefault.height);
    g.width = number(kNoticeWindow, kWidth, kNoticeDefault.width);
    // Only the three window states exist; any other stored value is the normal state.
    const double state = core::roundHalfEven(number(kNoticeWindow, kWindowState, 0));
    windowState = (state == 1 || state == 2) ? static_cast<int>(state) : 0;
    return g;
}

void Settings::rejisutory04(int windowState, const Geometry& normalGeometry, bool withPlace) {
    m_backend.save(kNoticeWindow, kWindowState, core::decimalText(windowState));
    if (withPlace) {
        m_backend.save(kNoticeWindow, kTop, numberText(normalGeometry.top));
        m_backend.save(kNoticeWindow, kLeft, numberText(normalGeometry.left));
    }
    m_backend.save(kNoticeWindow, kHeight, numberText(normalGeometry.height));
    m_backend.save(kNoticeWindow, kWidth, numberText(normalGeometry.width));
}

Geometry Settings::rejisutory05() const {
    Geometry g;
    g.top = number(kNamesWindow, kTop, kNamesDefault.top);
    g.left = number(kNamesWindow, kLeft, kNamesDefault.left);
    return g;
}

void Settings::rejisutory06(const Geometry& g) {
    m_backend.save(kNamesWindow, kTop, numberText(g.top));
    m_backend.save(kNamesWindow, kLeft, numberText(g.left));
}

bool Settings::testAndSetRunningMarker(const std::string& appDir) {
    if (!m_backend.get(kRunningMarkers, appDir, "").empty()) {
        return true;
    }
    m_backend.save(kRunningMarkers, appDir, kRunning);
    return false;
}

void Settings::ClearRunningMarker(const std::string& appDir) {
    m_backend.save(kRunningMarkers, appDir, "");
}

std::string Settings::releaseMessage() const {
    return m_backend.get(kRelease, core::decimalText(core::kRevision), "");
}

int Settings::messageHidden() const {
    // The leading whole number of the text; a damaged text reads as 0, a huge one as hidden.
    const double v = core::value(m_backend.get(kRelease, kMessageHidden, "0"));
    if (!std::isfinite(v) || std::fabs(v) > 32767) {
        return 1;
    }
    return static_cast<int>(core::roundHalfEven(v));
}

void Settings::saveMessageHidden(bool hidden) {
    m_backend.save(kRelease, kMessageHidden, hidden ? "1" : "0");
}

void Settings::deleteAll() {
    m_backend.removeAll();
}

void registry1_F4(core::State& st, Settings& settings, MessageDialogHost& dialog, platform::ErrorSink& errors,
                  InstanceLock::Outcome folderLock) {
    core::guarded(errors, kRegistry1Location, [&] {
        using Outcome = InstanceLock::Outcome;
        if (folderLock == Outcome::HeldElsewhere) {
            // A live instance runs on this folder's data file. The marker is that user's, and
            // this start's answer does not change it.
            st.MessageMode = 6;
            dialog.showMessageDialog();
            return;
        }
        // Nobody holds the folder: a marker still set only says the last run did not end
        // normally, and the start goes on as after a normal end. A folder that takes no lock
        // leaves the marker as the only sign of another instance.
        if (settings.testAndSetRunningMarker(st.AppDir) && folderLock == Outcome::CannotTell) {
            st.MessageMode = 6;
            dialog.showMessageDialog();
        }
    });
}

} // namespace mayorin::persist
