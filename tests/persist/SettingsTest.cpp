#include "persist/Settings.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "core/Failure.h"
#include "tests/support/Fakes.h"

namespace mayorin::persist {
namespace {

using test::FakeSettings;

// Records the order of saves as well as the values.
class OrderedSettings final : public platform::SettingsBackend {
public:
    std::string get(std::string_view section, std::string_view key, std::string_view fallback) const override {
        return store.get(section, key, fallback);
    }
    void save(std::string_view section, std::string_view key, std::string_view value) override {
        saves.push_back(std::string(section) + "/" + std::string(key) + "=" + std::string(value));
        store.save(section, key, value);
    }
    void removeAll() override { store.removeAll(); }

    FakeSettings store;
    std::vector<std::string> saves;
};

class Dialog final : public MessageDialogHost {
public:
    explicit Dialog(core::State& st) : m_st(st) {}
    void showMessageDialog() override { modes.push_back(m_st.MessageMode); }
    std::vector<int> modes;

private:
    core::State& m_st;
};

TEST(Settings, CleanStoreGivesEveryDefault) {
    FakeSettings backend;
    Settings s(backend);
    const Geometry entry = s.rejisutory01();
    EXPECT_EQ(entry.top, 105);
    EXPECT_EQ(entry.left, 1000);
    EXPECT_EQ(entry.height, 3855);
    EXPECT_EQ(entry.width, 10095);

    int state = -1;
    const Geometry notice = s.rejisutory03(state);
    EXPECT_EQ(notice.top, 105);
    EXPECT_EQ(notice.left, 1000);
    EXPECT_EQ(notice.height, 3645);
    EXPECT_EQ(notice.width, 9390);
    EXPECT_EQ(state, 0);

    const Geometry names = s.rejisutory05();
    EXPECT_EQ(names.top, 105);
    EXPECT_EQ(names.left, 1000);

    for (const OptionRow& row : kOptionTable) {
        EXPECT_EQ(s.optionOn(row.option), row.byDefault) << row.key;
        EXPECT_EQ(s.optionChecked(row.option), row.byDefault) << row.key;
    }
    EXPECT_EQ(s.releaseMessage(), "");
    EXPECT_EQ(s.messageHidden(), 0);
    EXPECT_TRUE(backend.values.empty()); // reading never writes
}

TEST(Settings, OptionTextsAsMenuCheckAndAtTheirPointOfUse) {
    struct Case {
        const char* stored;
        bool checked; // the settings menu's check mark
        bool on;      // where the option is used
    };
    const std::vector<Case> cases = {
        {"True", true, true},    {"False", false, false}, {"false", false, true}, {"FALSE", false, true},
        {"true", true, true},    {"0", false, true},      {"1", true, true},      {"-1", true, true},
        {"2.5", true, true},     {" 0 ", false, true},    {"abc", true, true},    {"", true, true},
        {"False ", false, true}, {"0x0", true, true},
    };
    for (const auto& c : cases) {
        FakeSettings backend;
        backend.save("settei", "1", c.stored);
        Settings s(backend);
        EXPECT_EQ(s.optionChecked(Option::Log), c.checked) << '"' << c.stored << '"';
        EXPECT_EQ(s.optionOn(Option::Log), c.on) << '"' << c.stored << '"';
        EXPECT_TRUE(s.optionOn(Option::Sound));
    }
}

TEST(Settings, OptionsAreSavedInOrderAsTrueOrFalse) {
    OrderedSettings backend;
    Settings s(backend);
    s.saveOptions({true, false, false, true, true, false, true});
    EXPECT_EQ(backend.saves,
              (std::vector<std::string>{"settei/0=True", "settei/1=False", "settei/2=False", "settei/3=True",
                                        "settei/4=True", "settei/5=False", "settei/6=True"}));
}

TEST(Settings, DamagedPositionsFallBackToTheirDefaults) {
    struct Case {
        const char* stored;
        double top;
    };
    const std::vector<Case> cases = {
        {"250", 250},   {" 250 ", 250}, {"-30", -30}, {"12.5", 12.5}, {"1e3", 1000}, {"abc", 105}, {"", 105},
        {"12abc", 105}, {"1e39", 105},  {"nan", 105}, {"0x10", 105},  {"inf", 105},  {"1,5", 105},
    };
    for (const auto& c : cases) {
        FakeSettings backend;
        backend.save("form1", "Top   ", c.stored);
        backend.save("form2", "Top   ", c.stored);
        backend.save("form3", "Top   ", c.stored);
        Settings s(backend);
        EXPECT_EQ(s.rejisutory01().top, c.top) << '"' << c.stored << '"';
        int state = 0;
        EXPECT_EQ(s.rejisutory03(state).top, c.top) << '"' << c.stored << '"';
        EXPECT_EQ(s.rejisutory05().top, c.top) << '"' << c.stored << '"';
    }
}

TEST(Settings, KeysCarryTheirTrailingBlanks) {
    FakeSettings backend;
    Settings s(backend);
    s.rejisutory02({1, 2, 3, 4});
    s.rejisutory06({5, 6, 0, 0});
    const std::map<std::pair<std::string, std::string>, std::string> expected = {
        {{"form1", "Top   "}, "1"}, {{"form1", "Left  "}, "2"}, {{"form1", "Height"}, "3"},
        {{"form1", "Width "}, "4"}, {{"form3", "Top   "}, "5"}, {{"form3", "Left  "}, "6"},
    };
    EXPECT_EQ(backend.values, expected);
    backend.values.clear();
    backend.save("form1", "Top", "999"); // not the key the window reads
    EXPECT_EQ(s.rejisutory01().top, 105);
}

TEST(Settings, NoticeWindowStateIsSavedFirstAndReadBackWithNormalGeometry) {
    OrderedSettings backend;
    Settings s(backend);
    s.rejisutory04(2, {120, 240.1, 3000.5, 8000});
    // Single-precision numbers in their own shortest decimal form.
    EXPECT_EQ(backend.saves, (std::vector<std::string>{"form2/WindowState=2", "form2/Top   =120", "form2/Left  =240.1",
                                                       "form2/Height=3000.5", "form2/Width =8000"}));
    int state = 0;
    const Geometry g = s.rejisutory03(state);
    EXPECT_EQ(state, 2);
    EXPECT_EQ(g.top, 120);
    EXPECT_EQ(g.left, static_cast<double>(240.1F));
    EXPECT_EQ(g.height, 3000.5);
    EXPECT_EQ(g.width, 8000);

    const std::vector<std::pair<const char*, int>> states = {{"1", 1}, {"0", 0}, {"7", 0}, {"x", 0}, {"-1", 0}};
    for (const auto& [stored, expected] : states) {
        backend.store.save("form2", "WindowState", stored);
        s.rejisutory03(state);
        EXPECT_EQ(state, expected) << stored;
    }
}

TEST(Settings, RunningMarkerAcrossStartsAndExits) {
    FakeSettings backend;
    Settings s(backend);
    EXPECT_FALSE(s.testAndSetRunningMarker("/opt/mayorin"));
    EXPECT_EQ(backend.get("form4", "/opt/mayorin", "x"), "運転中");
    EXPECT_TRUE(s.testAndSetRunningMarker("/opt/mayorin"));   // still set: that run did not end normally
    EXPECT_FALSE(s.testAndSetRunningMarker("/opt/mayorin ")); // another folder, another key
    s.ClearRunningMarker("/opt/mayorin");
    EXPECT_EQ(backend.get("form4", "/opt/mayorin", "x"), "");
    EXPECT_FALSE(s.testAndSetRunningMarker("/opt/mayorin")); // after a normal exit the start is silent
}

TEST(Settings, ExitWithDeletionLeavesOnlyTheEmptyMarker) {
    FakeSettings backend;
    Settings s(backend);
    s.testAndSetRunningMarker("/opt/mayorin");
    s.saveOptions({false, false, false, false, false});
    s.rejisutory02({1, 2, 3, 4});
    s.saveMessageHidden(true);
    s.deleteAll();
    s.ClearRunningMarker("/opt/mayorin");
    const std::map<std::pair<std::string, std::string>, std::string> expected = {{{"form4", "/opt/mayorin"}, ""}};
    EXPECT_EQ(backend.values, expected);
}

TEST(Settings, StartUpMessageOfThisRelease) {
    FakeSettings backend;
    backend.save("ver", "67", "old release");
    Settings s(backend);
    EXPECT_EQ(s.releaseMessage(), "");
    backend.save("ver", "68", "お知らせ");
    EXPECT_EQ(s.releaseMessage(), "お知らせ");

    s.saveMessageHidden(true);
    EXPECT_EQ(backend.get("ver", "msse_h", ""), "1");
    EXPECT_EQ(s.messageHidden(), 1);
    s.saveMessageHidden(false);
    EXPECT_EQ(backend.get("ver", "msse_h", ""), "0");
    EXPECT_EQ(s.messageHidden(), 0);
    backend.save("ver", "msse_h", "zz");
    EXPECT_EQ(s.messageHidden(), 0);
    backend.save("ver", "msse_h", "99999999");
    EXPECT_NE(s.messageHidden(), 0);
}

// A live instance holding the program folder decides a second start, not a marker left behind;
// where the folder's lock cannot tell, the marker decides alone.
TEST(Settings, StartDecidedByTheFolderLockAndTheMarker) {
    using Outcome = InstanceLock::Outcome;
    struct Case {
        const char* name;
        Outcome folderLock;
        const char* markerBefore;
        std::vector<int> dialogModes;
        const char* markerAfter;
    };
    const std::vector<Case> cases = {
        {"free, empty: first start", Outcome::Taken, "", {}, "運転中"},
        {"free, set: after a crash", Outcome::Taken, "運転中", {}, "運転中"},
        {"held, empty: another HOME", Outcome::HeldElsewhere, "", {6}, ""},
        {"held, set: second start", Outcome::HeldElsewhere, "運転中", {6}, "運転中"},
        {"no lock, empty: first start", Outcome::CannotTell, "", {}, "運転中"},
        {"no lock, set: second start or after a crash", Outcome::CannotTell, "運転中", {6}, "運転中"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSettings backend;
        backend.save("form4", "/opt/mayorin", c.markerBefore);
        Settings s(backend);
        core::State st;
        st.AppDir = "/opt/mayorin";
        Dialog dialog(st);
        test::RecordingErrors errors;

        registry1_F4(st, s, dialog, errors, c.folderLock);
        EXPECT_EQ(dialog.modes, c.dialogModes);
        EXPECT_EQ(backend.get("form4", "/opt/mayorin", "?"), c.markerAfter);
        EXPECT_TRUE(errors.reports.empty());
    }
}

TEST(Settings, StoreFailureInTheMarkerCheckIsReported) {
    class Broken final : public platform::SettingsBackend {
    public:
        std::string get(std::string_view, std::string_view, std::string_view fallback) const override {
            return std::string(fallback);
        }
        void save(std::string_view, std::string_view, std::string_view) override {
            core::throwFileAccess("settings file");
        }
        void removeAll() override {}
    } backend;
    Settings s(backend);
    core::State st;
    Dialog dialog(st);
    test::RecordingErrors errors;
    registry1_F4(st, s, dialog, errors, InstanceLock::Outcome::Taken);
    ASSERT_EQ(errors.reports.size(), 1u);
    EXPECT_EQ(errors.reports[0].location, "registry1_F4 F4");
    EXPECT_EQ(errors.reports[0].code, 75);
    EXPECT_TRUE(dialog.modes.empty());
}

} // namespace
} // namespace mayorin::persist
