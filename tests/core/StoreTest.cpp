#include "core/Store.h"

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/Failure.h"
#include "core/ListLine.h"
#include "core/Pause.h"
#include "core/TextValue.h"
#include "tests/core/CoreTestSupport.h"
#include "tests/support/TestEnv.h"

namespace mayorin::core {
namespace {

using test::stampField;
using test::stampOf;

constexpr const char* kForbidden = "使用禁止文字が含まれています。";
constexpr const char* kCommaBox = "半角英字の「　,　」(コロン)は表示名に使用できません。";
constexpr const char* kQuoteBox = "半角英字の「　'　」(シングル クォーテーション)は表示名に使用できません。";
constexpr const char* kUnstorableBox = "表示名に保存できない文字が含まれています。";
constexpr const char* kTooLong = "表示名が長すぎます。";
constexpr const char* kTooLongBox = "表示名に使用できるのは２５６文字までです。";

class StoreTest : public ::testing::Test {
protected:
    StoreTest() {
        t.clock.set(2026, 12, 7, 9, 0, 0);
        hensu_kensuu(t.env);
    }

    State& st() { return t.st; }
    const Fields& row(int i) { return st().ReservationTable[i]; }

    // Builds the spare row directly and adds it.
    void add(const std::string& name, const std::string& next) {
        auto& spare = st().ReservationTable[st().ReservationCount];
        spare[kKindCode] = "0";
        spare[kRepeatMode] = "0";
        spare[kName] = name;
        spare[kNextSecond] = next;
        tuika_mein(t.env);
    }

    // What the entry window does for list item i, for delete-all and for restore.
    void deleteItem(int i) {
        st().DeleteBatchCount = add16(st().DeleteBatchCount, 1);
        const auto last = static_cast<std::int16_t>(st().ReservationCount - 1);
        const std::int16_t result = sakujo01(t.env, static_cast<std::int16_t>(last - i), last);
        if (result == last) {
            st().ReservationCount = result;
        }
    }
    void deleteAll() {
        st().DeleteBatchCount = add16(st().DeleteBatchCount, 1);
        for (int d = st().ReservationCount - 1; d >= 0; --d) {
            st().ReservationCount =
                sakujo01(t.env, static_cast<std::int16_t>(d), static_cast<std::int16_t>(st().ReservationCount - 1));
        }
    }
    void restore() {
        sakujyo_modosu(t.env);
        st().DeleteBatchCount = add16(st().DeleteBatchCount, -1);
    }

    std::vector<std::string> names() {
        std::vector<std::string> out;
        for (int i = 0; i < st().ReservationCount; ++i) {
            out.push_back(row(i)[kName]);
        }
        return out;
    }
    bool spareIsBlank() {
        const auto& spare = row(st().ReservationCount);
        return std::all_of(spare.begin(), spare.end(), [](const std::string& f) { return f.empty(); });
    }
    void expectOneReport(const char* location) {
        ASSERT_EQ(t.errors.reports.size(), 1u);
        EXPECT_EQ(t.errors.reports[0].location, location);
    }

    test::TestEnv t;
};

TEST_F(StoreTest, EntryFieldsAreNormalizedPerSide) {
    struct Case {
        const char* text;
        int f;
        int side;
        const char* normalized;
    } cases[] = {
        // timer side
        {"5:7", 5, 0, "05:07"},
        {"130", 5, 0, "99"},
        {"12345", 5, 0, "99"},
        {"1234", 5, 1, "99"},
        {"5:130", 7, 1, "05:99"},
        {"1:2:3", 5, 0, "01:02"},
        {"  7", 4, 0, "07"},
        {"-3", 6, 0, "03"},
        {"2.5", 6, 0, "02"},
        {"3.5", 6, 0, "04"},
        {"", 4, 0, "00"},
        {"", 8, 0, " 0"},
        {"3", 8, 0, " 3"},
        {"150", 8, 0, " 99"},
        {"abc", 9, 0, "abc"},
        // numbers too large to hold take the largest value of their box
        {"9e99", 4, 0, "99"},
        {"1e10", 5, 1, "99"},
        {"99999999999", 6, 0, "99"},
        {"5:9e99", 7, 0, "05:99"},
        {"9e99", 8, 0, " 99"},
        {"-9e99", 8, 1, " 99"},
        // schedule side
        {"25", 4, 2, "01"},
        {"75", 5, 2, "15"},
        {"10:30", 5, 2, "10"},
        {"0", 6, 2, ""},
        {"-4", 6, 2, "04"},
        {"13", 6, 2, "12"},
        {"5", 6, 3, "05"},
        {"40", 7, 2, "31"},
        {"", 7, 4, ""},
        {"月・金", 8, 2, "月金"},
        {"月～水", 8, 5, "月火水"},
        {"xyz", 3, 2, "xyz"},
        {"9e99", 4, 2, "23"},
        {"1e10", 5, 3, "59"},
        {"9e99", 6, 4, "12"},
        {"3e9", 7, 5, "31"},
        {"2e9", 4, 2, "08"}, // still a 32-bit number: its remainder
        // extension
        {"0", 5, 10, " 1"},
        {"150", 5, 10, " 99"},
        {" 10", 5, 10, " 10"},
        {"9e99", 5, 10, " 99"},
        {"x", 4, 10, "x"},
        // unknown side code
        {"25", 4, 7, "25"},
        // full-width digits and colon, as an input method types them
        {"２", 4, 0, "02"},
        {"５：７", 5, 0, "05:07"},
        {"１２３４５", 7, 1, "99"},
        {"３", 8, 0, " 3"},
        {"７:４５", 4, 2, "07"},
        {"４５", 5, 3, "45"},
        {"１２", 6, 4, "12"},
        {"１５０", 5, 10, " 99"},
        {"ｘ１２", 3, 2, "ｘ１２"}, // a field kept as typed keeps its characters
    };
    for (const auto& c : cases) {
        EXPECT_EQ(suu_syusei(t.env, c.text, c.f, c.side), c.normalized)
            << "\"" << c.text << "\" field " << c.f << " side " << c.side;
    }
    EXPECT_TRUE(t.errors.reports.empty());
}

TEST_F(StoreTest, BuiltRowsGetKindAndMode) {
    struct Case {
        int side;
        const char* mode; // EntryRow slot 2
        const char* f4;
        const char* f5;
        const char* f6;
        const char* f7;
        const char* f8;
        Fields expected; // fields 1, 2, 4 to 8 checked
    } cases[] = {
        {0, "", "0", "5", "", "", "", {"", "0", "0", "", "00", "05", "00", "00", " 0"}},
        {0, "", "0", "5", "0", "1", "0", {"", "0", "0", "", "00", "05", "00", "01", " 0"}},
        {0, "", "1", "30:15", "", "1", "3", {"", "1", " 5", "", "01", "30:15", "00", "01", " 3"}},
        {0, "", "0", "5", "", "", "150", {"", "1", " 197", "", "00", "05", "00", "00", " 99"}},
        {0, "", "1e10", "9e99", "", "", "9e99", {"", "1", " 197", "", "99", "99", "00", "00", " 99"}},
        {1, "", "0", "5", "", "", "1", {"", "1", " 1", "", "00", "05", "00", "00", " 1"}},
        {0, " 4", "0", "5", "", "", "3", {"", "1", " 4", "", "00", "05", "00", "00", " 3"}},
        // read back while waiting for the end of its last cycle: the counter stays 0
        {1, " 0", "0", "5", "", "", "3", {"", "1", " 0", "", "00", "05", "00", "00", " 3"}},
        {1, "-1", "0", "5", "", "", "3", {"", "1", " 5", "", "00", "05", "00", "00", " 3"}},
        {1, "x", "0", "5", "", "", "3", {"", "1", " 5", "", "00", "05", "00", "00", " 3"}},
        {2, "0", "7", "30", "5", "", "", {"", "2", "0", "", "07", "30", "05", "", ""}},
        {2, "1", "7", "30", "", "31", "", {"", "3", "1", "", "07", "30", "", "31", ""}},
        {2, "0", "7", "30", "5", "15", "", {"", "4", "0", "", "07", "30", "05", "15", ""}},
        {2, "1", "7", "30", "5", "15", "水", {"", "5", "1", "", "07", "30", "05", "15", "水"}},
        {2, "0", "7", "30", "", "", "月水金", {"", "5", "2", "", "07", "30", "", "", "月水金"}},
        {2, "0", "7", "30", "", "", "月", {"", "5", "0", "", "07", "30", "", "", "月"}},
        {2, "1", "7", "30", "", "", "月水金", {"", "5", "1", "", "07", "30", "", "", "月水金"}},
        {2, "1", "9e99", "1e10", "9e99", "9e99", "", {"", "4", "1", "", "23", "59", "12", "31", ""}},
        {2, "0", "7", "30", "", "", "月〜金", {"", "5", "2", "", "07", "30", "", "", "月火水木金"}},
        {10, "3", "", "0", "", "", "", {"", "10", "0", "", "", " 1", "", "", ""}},
        {7, "", "4", "5", "6", "7", "8", {"", "", "0", "", "4", "5", "6", "7", "8"}},
    };
    for (const auto& c : cases) {
        st().EntryRow = {};
        st().EntryRow[2] = c.mode;
        st().EntryRow[3] = "名前";
        st().EntryRow[4] = c.f4;
        st().EntryRow[5] = c.f5;
        st().EntryRow[6] = c.f6;
        st().EntryRow[7] = c.f7;
        st().EntryRow[8] = c.f8;
        st().EntryRow[9] = " 100";
        st().ReservationTable.blank(0);
        tuika03(t.env, static_cast<std::int16_t>(c.side));
        const auto& r = row(0);
        for (int f : {1, 2, 4, 5, 6, 7, 8}) {
            EXPECT_EQ(r[f], c.expected[f]) << "side " << c.side << " f8 \"" << c.f8 << "\" field " << f;
        }
        EXPECT_EQ(r[0], "");
        EXPECT_EQ(r[kName], "名前");
        EXPECT_EQ(r[kNextSecond], " 100");
    }
    EXPECT_TRUE(t.errors.reports.empty());
    EXPECT_EQ(st().ReservationCount, 0);
}

TEST_F(StoreTest, RowWithoutNextSecondIsScheduledFromTheClock) {
    st().EntryRow = {};
    st().EntryRow[4] = "0";
    st().EntryRow[5] = "5";
    tuika03(t.env, 0);
    EXPECT_EQ(row(0)[kNextSecond], stampField(2026, 12, 7, 9, 5, 0));

    st().EntryRow = {};
    st().EntryRow[4] = "7";
    st().EntryRow[5] = "30";
    st().EntryRow[2] = "1";
    tuika03(t.env, 2);
    EXPECT_EQ(row(0)[kNextSecond], stampField(2026, 12, 8, 7, 30, 0));
}

TEST_F(StoreTest, AddingSortsByNextSecondAndListsTheLine) {
    test::RecordingList list;
    t.env.entryList = &list;
    st().EntryWindowOpen = true;

    add("a", " 500");
    EXPECT_EQ(st().ReservationInsertPos, 0);
    ASSERT_EQ(list.items.size(), 1u);
    EXPECT_EQ(list.items[0], hyouji12(t.env, 0));

    add("b", " 300"); // sooner: goes behind
    add("c", " 700"); // later: goes in front
    add("d", " 300"); // equal to b: behind b
    add("e", "");     // no second: value 0, the soonest
    add("f", " 500"); // equal to a: behind a
    EXPECT_EQ(st().ReservationInsertPos, 2);
    EXPECT_EQ(names(), (std::vector<std::string>{"c", "a", "f", "b", "d", "e"}));
    EXPECT_TRUE(spareIsBlank());

    // The list mirrors the table reversed: item 0 is the soonest row.
    ASSERT_EQ(list.items.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(list.items[i], hyouji12(t.env, static_cast<std::int16_t>(5 - i))) << i;
    }

    // A closed window gets no lines.
    st().EntryWindowOpen = false;
    add("g", " 1");
    EXPECT_EQ(list.items.size(), 6u);
    EXPECT_TRUE(t.errors.reports.empty());
}

TEST_F(StoreTest, RandomOrderEndsInTheOrderOfStepwiseInsertion) {
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> pick(0, 199); // many equal seconds
    struct Added {
        int seq;
        int second;
    };
    std::vector<Added> added;
    for (int i = 0; i < 3000; ++i) {
        const int s = pick(rng);
        added.push_back({i, s});
        add(std::to_string(i), spacedDecimalText(s));
    }
    // Descending seconds; among equal seconds the row added last stands last.
    std::stable_sort(added.begin(), added.end(), [](const Added& a, const Added& b) { return a.second > b.second; });
    ASSERT_EQ(st().ReservationCount, 3000);
    for (int i = 0; i < 3000; ++i) {
        ASSERT_EQ(row(i)[kName], std::to_string(added[i].seq)) << i;
    }
    EXPECT_TRUE(spareIsBlank());
}

TEST_F(StoreTest, The32768thRowIsRefusedAndTheTableStaysIntact) {
    for (int i = 0; i < 32767; ++i) {
        add(std::to_string(i), spacedDecimalText(100000 - i));
    }
    ASSERT_EQ(st().ReservationCount, 32767);
    ASSERT_TRUE(t.errors.reports.empty());
    add("late", " 5");
    expectOneReport("tuika_mein M2");
    EXPECT_EQ(t.errors.reports[0].code, kOverflow);
    EXPECT_EQ(st().ReservationCount, 32767);
    for (int i = 0; i < 32767; ++i) {
        ASSERT_EQ(row(i)[kName], std::to_string(i));
        ASSERT_EQ(row(i)[kNextSecond], spacedDecimalText(100000 - i));
    }
}

TEST_F(StoreTest, DeletingAListItemRemovesItsRow) {
    add("a", " 400");
    add("b", " 300");
    add("c", " 200");
    add("d", " 100");
    deleteItem(1); // the second soonest: c
    EXPECT_EQ(names(), (std::vector<std::string>{"a", "b", "d"}));
    EXPECT_TRUE(spareIsBlank());
    EXPECT_EQ(st().DeletedCount, 1);
    const auto& kept = st().DeletedTable[0];
    EXPECT_EQ(kept[kName], "c");
    EXPECT_EQ(kept[kNextSecond], " 200");
    EXPECT_EQ(kept[10], "1");
    EXPECT_TRUE(t.errors.reports.empty());
}

TEST_F(StoreTest, RestoresUndoDeleteBatchesInReverse) {
    add("a", " 400");
    add("b", " 300");
    add("c", " 300");
    add("d", " 100");
    deleteItem(0); // d
    deleteAll();   // a, b, c
    EXPECT_EQ(st().ReservationCount, 0);
    EXPECT_TRUE(spareIsBlank());
    EXPECT_EQ(st().DeletedCount, 4);
    EXPECT_EQ(st().DeleteBatchCount, 2);

    restore();
    EXPECT_EQ(names(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(st().DeletedCount, 1);
    restore();
    EXPECT_EQ(names(), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(st().DeletedCount, 0);
    EXPECT_EQ(st().DeleteBatchCount, 0);
    EXPECT_TRUE(spareIsBlank());

    // Nothing left: only the batch number moves, and later deletes still pair up.
    restore();
    EXPECT_EQ(st().DeleteBatchCount, -1);
    EXPECT_EQ(st().ReservationCount, 4);
    deleteItem(3); // a
    EXPECT_EQ(st().DeletedTable[0][10], "0");
    restore();
    EXPECT_EQ(names(), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(st().DeleteBatchCount, -1);
    EXPECT_TRUE(t.errors.reports.empty());
}

// Paused, a countdown keeps what it had left and stands behind every running row (the one with the
// most left first); resumed, it falls due that much after now, in the same period of its cycle.
TEST_F(StoreTest, PausedCountdownsKeepTheirSecondsLeft) {
    test::RecordingList list;
    t.env.entryList = &list;
    st().EntryWindowOpen = true;
    const double now = stampOf(2026, 12, 7, 9, 0, 0);
    const Fields rows[] = {
        {"", "0", "0", "卵", "00", "05", "00", "00", " 0", spacedDecimalText(now + 300)},
        {"", "1", " 3", "体操", "00", "10", "00", "05", " 3", spacedDecimalText(now + 60)}, // resting
        {"", "10", "0", "会議", "", "5", "", "", " 1", spacedDecimalText(now + 120)},
        {"", "0", "0", "麺", "00", "03", "00", "00", " 0", spacedDecimalText(now - 5)}, // due, not yet rung
        {"", "2", "1", "朝会", "09", "30", "", "", "", spacedDecimalText(now + 1800)},  // no countdown
    };
    for (const Fields& r : rows) {
        st().ReservationTable[st().ReservationCount] = r;
        tuika_mein(t.env);
    }
    using Changed = std::vector<std::pair<int, double>>; // new index, seconds left
    const auto changed = [](const std::vector<PausedRow>& result) {
        Changed out;
        for (const PausedRow& p : result) {
            out.emplace_back(p.row, p.secondsLeft);
        }
        return out;
    };
    const auto all = [](const Fields&) { return true; };
    EXPECT_EQ(changed(itijiteisi(t.env, all)), (Changed{{3, 0}, {2, 60}, {1, 120}, {0, 300}})) << "soonest first";
    EXPECT_EQ(names(), (std::vector<std::string>{"卵", "会議", "体操", "麺", "朝会"}));
    EXPECT_EQ(row(1)[0], "120");
    EXPECT_TRUE(itijiteisi(t.env, all).empty()) << "nothing runs";
    EXPECT_FALSE(dueAt(row(3), now + 2000));

    t.clock.advance(1000);
    EXPECT_EQ(changed(saikai(t.env, [](const Fields& f) { return f[kName] == "体操"; })), (Changed{{4, 60}}));
    EXPECT_EQ(row(4), (Fields{"", "1", " 3", "体操", "00", "10", "00", "05", " 3", spacedDecimalText(now + 1060)}));
    EXPECT_EQ(saikai(t.env, all).size(), 3u);
    EXPECT_EQ(names(), (std::vector<std::string>{"朝会", "卵", "会議", "体操", "麺"}));
    EXPECT_EQ(row(4)[kNextSecond], spacedDecimalText(now + 1000));
    ASSERT_EQ(list.items.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(list.items[i], hyouji12(t.env, static_cast<std::int16_t>(4 - i))) << i;
    }
    EXPECT_TRUE(t.errors.reports.empty());
}

TEST_F(StoreTest, FinishedRowIsBlanked) {
    add("a", " 400");
    add("b", " 100");
    EXPECT_EQ(hSakujo(t.env, 1), 1);
    st().ReservationCount = 1;
    EXPECT_TRUE(spareIsBlank());
    EXPECT_EQ(row(0)[kName], "a");
}

TEST_F(StoreTest, NameHistoryKeepsOneEntryPerName) {
    auto record = [&](int side, const std::string& name, const std::string& hours) {
        st().EntryRow = {};
        st().EntryRow[3] = name;
        st().EntryRow[4] = hours;
        rireki01(t.env, static_cast<std::int16_t>(side));
    };
    record(0, "", "01");
    EXPECT_EQ(st().NameHistoryCount[0], 0);

    record(0, "朝", "01");
    record(0, "昼", "02");
    record(0, "朝", "03"); // overwritten in place
    record(1, "朝", "04"); // the other side has its own
    record(5, "夜", "05"); // a side above 0 is the schedule side
    record(0, "ｱｻ", "06"); // width is significant
    EXPECT_EQ(st().NameHistoryCount[0], 3);
    EXPECT_EQ(st().NameHistoryCount[1], 2);
    const auto& h = st().NameHistory;
    EXPECT_EQ(h.entry(0, 0)[kName], "朝");
    EXPECT_EQ(h.entry(0, 0)[4], "03");
    EXPECT_EQ(h.entry(0, 1)[kName], "昼");
    EXPECT_EQ(h.entry(0, 2)[kName], "ｱｻ");
    EXPECT_EQ(h.entry(1, 0)[4], "04");
    EXPECT_EQ(h.entry(1, 1)[kName], "夜");
    EXPECT_EQ(h.entry(0, 3)[kName], ""); // spare entry
    EXPECT_TRUE(t.errors.reports.empty());
}

TEST_F(StoreTest, NameHistoryLookupFollowsEditsMadeInPlace) {
    auto record = [&](const std::string& name, const std::string& hours) {
        st().EntryRow = {};
        st().EntryRow[3] = name;
        st().EntryRow[4] = hours;
        rireki01(t.env, 0);
    };
    record("a", "1");
    record("b", "2");
    // The editor renames entry 0 to "b": the last entry named "b" is now entry 1.
    st().NameHistory.edit(0, 0)[kName] = "b";
    record("b", "3");
    EXPECT_EQ(st().NameHistoryCount[0], 2);
    EXPECT_EQ(st().NameHistory.entry(0, 1)[4], "3");
    EXPECT_EQ(st().NameHistory.entry(0, 0)[4], "1");
    record("a", "4"); // no longer there: a new entry
    EXPECT_EQ(st().NameHistoryCount[0], 3);
    EXPECT_EQ(st().NameHistory.entry(0, 2)[4], "4");
}

TEST_F(StoreTest, DisplayNameCheck) {
    const auto times = [](int n, const std::string& s) {
        std::string t;
        for (int i = 0; i < n; ++i) {
            t += s;
        }
        return t;
    };
    struct Case {
        std::string name;
        const char* result;
        std::vector<std::string> boxes;
        std::string storable;
    } cases[] = {
        {"会議", "", {}, "会議"},
        {"", "", {}, ""},
        {"a,b", kForbidden, {kCommaBox}, "a,b"},
        {"it's", kForbidden, {kQuoteBox}, "it's"},
        {"a,'b", kForbidden, {kCommaBox, kQuoteBox}, "a,'b"},
        {"a\tb", kForbidden, {kUnstorableBox}, "a\tb"},
        {"a\rb", kForbidden, {kUnstorableBox}, "a\rb"},
        {"a\x7f", kForbidden, {kUnstorableBox}, "a\x7f"},
        {"絵\xF0\x9F\x98\x80", kForbidden, {kUnstorableBox}, "絵\xF0\x9F\x98\x80"},
        {"한", kForbidden, {kUnstorableBox}, "한"},
        {"a,\n", kForbidden, {kCommaBox, kUnstorableBox}, "a,\n"},
        {"月〜金", "", {}, "月～金"}, // one-way: kept as it will read back
        {"①髙ｱ", "", {}, "①髙ｱ"},
        // the length is counted in characters, as the data file reader counts them
        {times(256, "予"), "", {}, times(256, "予")},
        {times(255, "ｱ") + "x", "", {}, times(255, "ｱ") + "x"},
        {times(257, "a"), kTooLong, {kTooLongBox}, times(257, "a")},
        {"a," + times(255, "予"), kForbidden, {kCommaBox, kTooLongBox}, "a," + times(255, "予")},
    };
    for (const auto& c : cases) {
        t.messages.shown.clear();
        std::string storable = "unchanged";
        EXPECT_EQ(mojikensa(t.env, c.name, &storable), c.result) << c.name;
        EXPECT_EQ(storable, c.storable) << c.name;
        ASSERT_EQ(t.messages.shown.size(), c.boxes.size()) << c.name;
        for (std::size_t i = 0; i < c.boxes.size(); ++i) {
            EXPECT_EQ(t.messages.shown[i].text, c.boxes[i]);
            EXPECT_EQ(t.messages.shown[i].title, "Mayorin。");
            EXPECT_EQ(t.messages.shown[i].buttons, platform::Buttons::Ok);
        }
    }
    EXPECT_TRUE(t.errors.reports.empty());
}

TEST_F(StoreTest, BuildingWithoutTablesIsReportedByTuika03) {
    test::TestEnv fresh; // hensu_kensuu not run: no spare row yet
    tuika03(fresh.env, 0);
    ASSERT_EQ(fresh.errors.reports.size(), 1u);
    EXPECT_EQ(fresh.errors.reports[0].location, "tuika03 M2");
    EXPECT_EQ(fresh.errors.reports[0].code, kSubscript);
}

TEST_F(StoreTest, SortingARowOutsideTheTableIsReportedByNarabikae) {
    EXPECT_EQ(narabikae(t.env, 5), 0);
    expectOneReport("narabikae M2");
}

TEST_F(StoreTest, BlankingARowOutsideTheTableIsReportedByHSakujo) {
    EXPECT_EQ(hSakujo(t.env, 3), 0);
    expectOneReport("hSakujo M2");
}

TEST_F(StoreTest, DeletingPastTheSpareRowIsReportedBySakujo01) {
    add("a", " 1");
    EXPECT_EQ(sakujo01(t.env, 0, 1), -1); // row 2 does not exist
    expectOneReport("sakujo01 M2");
    EXPECT_EQ(row(0)[kName], "a");
    EXPECT_EQ(st().DeletedCount, 0);
}

TEST_F(StoreTest, FullRestoreAreaRefusesTheDeleteAndKeepsTheOnlyRow) {
    st().DeletedCount = 32767;
    hensu_kensuu(t.env);
    add("only", " 1");
    deleteItem(0); // what the entry window does: the result becomes the count unless it is refused
    expectOneReport("sakujo01 M2");
    EXPECT_EQ(t.errors.reports[0].code, kOverflow);
    EXPECT_EQ(st().ReservationCount, 1);
    EXPECT_EQ(row(0)[kName], "only");
    EXPECT_EQ(st().DeletedCount, 32767);
}

TEST_F(StoreTest, UnreadableBatchNumberIsReportedBySakujyoModosu) {
    add("a", " 1");
    deleteItem(0);
    st().DeletedTable[0][10] = "1e400";
    sakujyo_modosu(t.env);
    expectOneReport("sakujyo_modosu M2");
}

TEST_F(StoreTest, NegativeSideIsReportedByRireki01) {
    st().EntryRow[3] = "a";
    rireki01(t.env, -1);
    expectOneReport("rireki01 M2");
}

// A code page whose converter itself breaks down.
class BrokenCodePage final : public platform::CodePage {
public:
    std::optional<std::string> encode(std::string_view, std::size_t*) const override {
        throw Failure(kInvalidCall, "broken converter");
    }
    std::string decode(std::string_view, std::size_t*) const override { return {}; }
};

TEST_F(StoreTest, BrokenConverterIsReportedByMojikensa) {
    BrokenCodePage codePage;
    Env env{t.st, t.clock, codePage, t.errors, t.messages, t.log, t.settings};
    EXPECT_EQ(mojikensa(env, "会議"), "");
    expectOneReport("mojikensa M1");
    EXPECT_TRUE(t.messages.shown.empty());
}

} // namespace
} // namespace mayorin::core
