#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "core/Calendar.h"
#include "core/ListLine.h"
#include "core/Pause.h"
#include "core/Store.h"
#include "core/TextValue.h"
#include "notify/DueNotice.h"
#include "notify/Recalc.h"
#include "notify/Resident.h"
#include "persist/DataFile.h"
#include "tests/notify/Harness.h"

namespace mayorin::notify {
namespace {

using platform::Answer;
using platform::Buttons;
using test::Harness;

const std::string kMonday = " 2026/12/07(月)";

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The data file as text, in the program's own encoding turned back into UTF-8.
std::string dataFileText(Harness& h) {
    return h.codePage.decode(readFile(persist::dataFilePath(h.st)));
}

std::string dataFileWith(const std::vector<std::string>& reservationLines) {
    std::string text =
        "「Mayorin。.exe」用データ\r\n"
        "'　このテキストファイルは「Mayorin。.exe」であなたが入力した内容が記憶され、自動で読み書きされます。\r\n"
        "'■■　タイマーの履歴　■■\r\n"
        "'■■　　予定の履歴　　■■\r\n"
        "'■■　予約中の内容　　■■\r\n";
    for (const auto& line : reservationLines) {
        text += line + "\r\n";
    }
    return text + "'\r\n'　このテキストファイルは「Mayorin。.exe」 Ver 1.1.68　が作りました。\r\n";
}

// Log lines that start with a mark.
std::vector<std::string> linesStartingWith(const Harness& h, const std::string& mark) {
    std::vector<std::string> out;
    for (const auto& line : h.log.lines) {
        if (line.rfind(mark, 0) == 0) {
            out.push_back(line);
        }
    }
    return out;
}

// Nor with nothing but a paused countdown whose second has passed.
TEST(ResidentTick, EmptyStoreDoesNothing) {
    for (const bool paused : {false, true}) {
        Harness h;
        if (paused) {
            h.add(0, "", "卵", "0", "0:01", "", "", "");
            ASSERT_EQ(core::itijiteisi(h.env, [](const core::Fields&) { return true; }).size(), 1u);
        }
        for (int i = 0; i < 5; ++i) {
            h.controller.tick();
            h.clock.advance(1);
        }
        EXPECT_EQ(h.window.opened, 0) << paused;
        EXPECT_TRUE(h.log.lines.empty());
        EXPECT_EQ(h.st.NoticeCount, 0);
    }
}

TEST(ResidentTick, RepeatingCountdownOfTwoCyclesGivesFourNoticesAndIsRemoved) {
    Harness h;
    // Match time 1 minute, rest time 2 minutes, 2 cycles; the first notice is due at once.
    h.add(0, "", "体操", "0", "1", "0", "2", "2", h.field(h.stamp(2026, 12, 7, 9, 0)));
    ASSERT_EQ(h.st.ReservationCount, 1);
    EXPECT_EQ(h.st.ReservationTable[0][core::kRepeatMode], " 3");

    struct Step {
        long long wait; // seconds after the previous notice
        std::string message;
        std::string logLine;
    };
    const std::vector<Step> steps = {
        {0, " 1回目の開始時間です。", "♪繰返タ," + kMonday + ",09:00:00,,体操, 1回目の開始,,,,,"},
        {60, " 1回目の終了時間です。", "♪繰返タ," + kMonday + ",09:01:00,,体操, 1回目の終了,,,,,"},
        {120, " 2回目の開始時間です。", "♪繰返タ," + kMonday + ",09:03:00,,体操, 2回目の開始,,,,,"},
        {60, " 2回目の終了時間です。", "♪繰返タ," + kMonday + ",09:04:00,,体操, 2回目の終了,,,,,"},
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        if (steps[i].wait > 0) {
            h.clock.advance(steps[i].wait - 1);
            h.controller.tick();
            EXPECT_EQ(h.st.NoticeCount, static_cast<int>(i)) << "not yet due one second early";
            h.clock.advance(1);
        }
        h.controller.tick();
        ASSERT_EQ(h.st.NoticeCount, static_cast<int>(i + 1));
        EXPECT_EQ(h.message(static_cast<int>(i)), steps[i].message);
        EXPECT_EQ(h.log.lines.back(), steps[i].logLine);
        EXPECT_EQ(h.window.lines.front(), noticeLine(h.st, static_cast<int>(i)));
    }
    EXPECT_EQ(h.st.ReservationCount, 0);
    EXPECT_EQ(h.st.ReservationTable[0], core::Fields{});
    EXPECT_EQ(linesStartingWith(h, "♪").size(), 4u);
    EXPECT_EQ(h.window.lines.size(), 4u);
    EXPECT_EQ(h.window.opened, 1);

    h.clock.advance(3600);
    h.controller.tick();
    EXPECT_EQ(h.st.NoticeCount, 4) << "nothing more after the removal";
    EXPECT_TRUE(h.resident.closeRequests == 0 && h.st.ErrorCount == 0);
}

TEST(ResidentTick, EveryTimeScheduleIsRescheduled) {
    Harness h;
    h.clock.set(2026, 12, 7, 8, 0, 0);
    h.add(2, "1", "朝会", "9", "0", "", "", "");
    h.clock.set(2026, 12, 7, 9, 0, 0);

    h.controller.tick();

    ASSERT_EQ(h.st.NoticeCount, 1);
    EXPECT_EQ(h.message(0), " の時間です。");
    ASSERT_EQ(h.st.ReservationCount, 1);
    EXPECT_EQ(h.st.ReservationTable[0][core::kNextSecond], h.field(h.stamp(2026, 12, 8, 9, 0)));
    EXPECT_EQ(h.st.ReservationTable[0][core::kRepeatMode], "1");

    h.clock.set(2026, 12, 8, 8, 59, 59);
    h.controller.tick();
    EXPECT_EQ(h.st.NoticeCount, 1);
    h.clock.advance(1);
    h.controller.tick();
    EXPECT_EQ(h.st.NoticeCount, 2);
    EXPECT_EQ(h.log.lines.back(), "♪予時刻, 2026/12/08(火),09:00:00,,朝会,,,,,,");
    EXPECT_EQ(h.st.ReservationTable[0][core::kNextSecond], h.field(h.stamp(2026, 12, 9, 9, 0)));
}

TEST(ResidentTick, WeekdaySetNotifiedOnceOnEachDay) {
    Harness h;
    h.clock.set(2026, 12, 7, 8, 0, 0); // Monday
    h.add(2, "0", "ごみ", "9", "0", "", "", "月水");
    ASSERT_EQ(h.st.ReservationTable[0][core::kRepeatMode], "2");

    h.clock.set(2026, 12, 7, 9, 0, 0);
    h.controller.tick();
    ASSERT_EQ(h.st.ReservationCount, 1);
    EXPECT_EQ(h.st.ReservationTable[0][8], "水");
    EXPECT_EQ(h.st.ReservationTable[0][core::kRepeatMode], "0");
    EXPECT_EQ(h.st.ReservationTable[0][core::kNextSecond], h.field(h.stamp(2026, 12, 9, 9, 0)));

    h.clock.set(2026, 12, 8, 9, 0, 0); // Tuesday: nothing
    h.controller.tick();
    EXPECT_EQ(h.st.NoticeCount, 1);

    h.clock.set(2026, 12, 9, 9, 0, 0);
    h.controller.tick();
    EXPECT_EQ(h.st.NoticeCount, 2);
    EXPECT_EQ(h.log.lines.back(), "♪予曜日, 2026/12/09(水),09:00:00,,ごみ,,,,,,");
    EXPECT_EQ(h.st.ReservationCount, 0);
}

TEST(ResidentTick, LateWeekdayNoticeTakesOutTheDayItWasDue) {
    struct Case {
        std::string what;
        int lateYear, lateMonth, lateDay, lateHour, lateMinute;
        int notices = 1;
        std::string setAfter = "水", modeAfter = "0";
        int nextYear = 2026, nextMonth = 12, nextDay = 9;
        bool skipHolidays = false;
    };
    const std::vector<Case> cases = {
        {"started again on Tuesday", 2026, 12, 8, 10, 0},
        {"tick past midnight", 2026, 12, 8, 0, 0},
        // 11 January 2027 is 成人の日: no notice, the set stays whole, the row waits for Wednesday.
        {"clock set onto a holiday", 2027, 1, 11, 10, 0, 0, "月水", "2", 2027, 1, 13, true},
        {"clock set onto a holiday, not skipped", 2027, 1, 11, 10, 0, 1, "水", "0", 2027, 1, 13},
        {"started again on Tuesday, holidays skipped", 2026, 12, 8, 10, 0, 1, "水", "0", 2026, 12, 9, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Harness h;
        h.st.WeekdaysSkipHolidays = c.skipHolidays;
        test::FakeEntryList list;
        h.st.EntryWindowOpen = true;
        h.env.entryList = &list;
        h.clock.set(2026, 12, 7, 8, 0, 0); // Monday
        h.add(2, "0", "ごみ", "23", "59", "", "", "月水");
        h.clock.set(c.lateYear, c.lateMonth, c.lateDay, c.lateHour, c.lateMinute, 0);

        h.controller.tick();

        ASSERT_EQ(h.st.NoticeCount, c.notices);
        ASSERT_EQ(h.st.ReservationCount, 1);
        EXPECT_EQ(h.st.ReservationTable[0][8], c.setAfter);
        EXPECT_EQ(h.st.ReservationTable[0][core::kRepeatMode], c.modeAfter);
        const std::string next = h.field(h.stamp(c.nextYear, c.nextMonth, c.nextDay, 23, 59));
        EXPECT_EQ(h.st.ReservationTable[0][core::kNextSecond], next);
        EXPECT_NE(dataFileText(h).find("," + next + ",\r\n"), std::string::npos) << "kept at once";
        EXPECT_EQ(list.lines, std::vector<std::string>{core::hyouji12(h.env, 0)});
    }
    // Other kinds ring on holidays as ever.
    Harness h;
    h.st.WeekdaysSkipHolidays = true;
    h.clock.set(2027, 1, 11, 8, 0, 0);
    h.add(2, "1", "朝会", "9", "0", "", "", "");
    h.clock.set(2027, 1, 11, 9, 0, 0);
    h.controller.tick();
    EXPECT_EQ(h.st.NoticeCount, 1);
}

TEST(ResidentTick, ExtendingAnExtensionAccumulatesMinutes) {
    Harness h;
    const double noon = h.stamp(2026, 12, 7, 12, 0);
    h.add(2, "0", "昼食", "12", "0", "", "", "");
    h.clock.set(2026, 12, 7, 12, 0, 0);
    h.controller.tick();
    ASSERT_EQ(h.st.NoticeCount, 1);
    EXPECT_EQ(h.st.ReservationCount, 0);

    // Extended by 10 at 12:01: due at 12:10, counted from the notice's due time.
    h.clock.set(2026, 12, 7, 12, 1, 0);
    entyou_syori(h.env, 0, 10);
    core::tuika_mein(h.env);
    ASSERT_EQ(h.st.ReservationCount, 1);
    EXPECT_EQ(h.st.ReservationTable[0],
              (core::Fields{"", "10", "0", "昼食", "", "10", "", "", h.field(noon), h.field(noon + 600)}));

    h.clock.set(2026, 12, 7, 12, 9, 59);
    h.controller.tick();
    EXPECT_EQ(h.st.NoticeCount, 1);
    h.clock.advance(1);
    h.controller.tick();
    ASSERT_EQ(h.st.NoticeCount, 2);
    EXPECT_EQ(h.message(1), "10分の延長が過ぎました。");
    EXPECT_EQ(h.log.lines.back(), "♪延長　," + kMonday + ",12:10:00,,昼食,,,,,,");
    EXPECT_EQ(h.st.ReservationCount, 0);

    // That notice extended by 5 more.
    entyou_syori(h.env, 1, 5);
    core::tuika_mein(h.env);
    EXPECT_EQ(h.st.ReservationTable[0],
              (core::Fields{"", "10", "0", "昼食", "", " 15", "", "", h.field(noon), h.field(noon + 900)}));
    h.clock.set(2026, 12, 7, 12, 15, 0);
    h.controller.tick();
    ASSERT_EQ(h.st.NoticeCount, 3);
    EXPECT_EQ(h.message(2), " 15分の延長が過ぎました。");
    EXPECT_EQ(h.st.ReservationCount, 0);

    // Extending the 12:00 notice by 5 at 12:20 makes a row that is due (and late) at once.
    h.clock.set(2026, 12, 7, 12, 20, 0);
    entyou_syori(h.env, 0, 5);
    core::tuika_mein(h.env);
    h.controller.tick();
    ASSERT_EQ(h.st.NoticeCount, 4);
    EXPECT_EQ(h.message(3), "【遅刻表示】5分の延長が過ぎました。");
    EXPECT_EQ(h.st.NoticeTextTable[3][2], "【表示日時】" + kMonday + " 12:05:00 + 0日 00:15:00");
}

TEST(ResidentTick, RowsDueTogetherTakeOneTickEach) {
    Harness h;
    const std::string nine = h.field(h.stamp(2026, 12, 7, 9, 0));
    h.add(0, "", "A", "0", "5", "", "", "", nine);
    h.add(0, "", "B", "0", "5", "", "", "", nine);
    h.add(0, "", "C", "0", "5", "", "", "", nine);

    const std::vector<std::string> order = {"C", "B", "A"}; // the row added last is notified first
    for (std::size_t i = 0; i < order.size(); ++i) {
        h.controller.tick();
        ASSERT_EQ(h.st.NoticeCount, static_cast<int>(i + 1));
        EXPECT_EQ(h.st.NoticeTable[static_cast<int>(i)][core::kName], order[i]);
        EXPECT_EQ(h.st.ReservationCount, static_cast<int>(order.size() - i - 1));
    }
    h.controller.tick();
    EXPECT_EQ(h.st.NoticeCount, 3);

    // Newest on top, and selected.
    ASSERT_EQ(h.window.lines.size(), 3u);
    EXPECT_EQ(h.window.lines[0], noticeLine(h.st, 2));
    EXPECT_EQ(h.window.lines[2], noticeLine(h.st, 0));
    EXPECT_EQ(h.window.lines[0].substr(0, 1), "A");
    EXPECT_EQ(h.window.selected, 0);
    EXPECT_EQ(h.window.opened, 1);
}

TEST(ResidentTick, ReopenedWindowListsPendingNoticesUnderTheNewOne) {
    Harness h;
    h.add(0, "", "一", "0", "1", "", "", "");
    h.add(0, "", "二", "0", "2", "", "", "");
    h.add(0, "", "三", "0", "3", "", "", "");
    h.clock.advance(60);
    h.controller.tick();
    h.clock.advance(60);
    h.controller.tick();
    ASSERT_EQ(h.st.NoticeCount, 2);
    h.window.close(); // "消さずに閉じる"
    h.shell.calls.clear();

    h.clock.advance(60);
    h.controller.tick();

    EXPECT_EQ(h.window.opened, 2);
    EXPECT_EQ(h.shell.calls, std::vector<std::string>{"closeMessageDialog"});
    ASSERT_EQ(h.window.lines.size(), 3u);
    EXPECT_EQ(h.window.lines[0], noticeLine(h.st, 2));
    EXPECT_EQ(h.window.lines[1], noticeLine(h.st, 1));
    EXPECT_EQ(h.window.lines[2], noticeLine(h.st, 0));
    EXPECT_EQ(h.st.NoticeTable[2][core::kName], "三");
    EXPECT_EQ(h.st.NoticeTable[1][core::kName], "二");

    // "消して閉じる": nothing is listed again.
    entyou_kesu(h.env);
    h.window.close();
    h.add(0, "", "四", "0", "1", "", "", "");
    h.clock.advance(60);
    h.controller.tick();
    ASSERT_EQ(h.window.lines.size(), 1u);
    EXPECT_EQ(h.window.lines[0].substr(0, 3), "四");
}

TEST(ResidentTick, ATickDoesNotRunInsideAnother) {
    Harness h;
    const std::string nine = h.field(h.stamp(2026, 12, 7, 9, 0));
    h.add(0, "", "A", "0", "5", "", "", "", nine);
    h.add(0, "", "B", "0", "5", "", "", "", nine);
    h.window.onOpen = [&] { h.controller.tick(); };

    h.controller.tick();

    ASSERT_EQ(h.st.NoticeCount, 1);
    EXPECT_EQ(h.st.NoticeTable[0][core::kName], "B");
    EXPECT_EQ(h.st.NoticeTextTable[0][0].substr(0, 1), "B");
    EXPECT_EQ(h.st.ReservationCount, 1);
    EXPECT_EQ(h.log.lines.size(), 1u);

    h.window.onOpen = nullptr;
    h.controller.tick();
    EXPECT_EQ(h.st.NoticeCount, 2) << "the next tick goes on as usual";
}

TEST(ResidentTick, SoundRestartsOnlyOutsideTheFirstTwoSeconds) {
    const std::vector<std::pair<int, int>> cases = {{0, 1}, {1, 1}, {2, 2}, {20, 20}, {21, 1}, {50, 1}};
    for (const auto& [before, after] : cases) {
        SCOPED_TRACE(before);
        Harness h;
        h.add(0, "", "卵", "0", "0", "", "", "");
        h.st.NoticeWindowState = "作業中";
        h.st.NoticeSoundCounter = static_cast<std::int16_t>(before);
        h.controller.tick();
        ASSERT_EQ(h.st.NoticeCount, 1);
        EXPECT_EQ(h.st.NoticeSoundCounter, after);
    }
}

// The rows a tick has notified are kept at once, so that a crash loses no notice already given:
// rows due together are written once, after the last of them, without a log line; a tick with
// nothing due writes nothing.
TEST(ResidentTick, NotifiedRowsAreWrittenOnceAfterTheLastDueRow) {
    Harness h;
    const std::string nine = h.field(h.stamp(2026, 12, 7, 9, 0));
    h.add(0, "", "A", "0", "5", "", "", "", nine);
    h.add(0, "", "B", "0", "5", "", "", "", nine);
    h.add(2, "1", "朝会", "10", "0", "", "", "");
    const std::string path = persist::dataFilePath(h.st);
    const auto withDaily = [&](int day) {
        return dataFileWith({"01,2,1,朝会,10,00,,,," + h.field(h.stamp(2026, 12, day, 10, 0)) + ","});
    };

    h.controller.tick();
    EXPECT_FALSE(std::filesystem::exists(path)) << "A is due at the same second";
    h.controller.tick();
    EXPECT_EQ(dataFileText(h), withDaily(7));

    std::filesystem::remove(path);
    h.clock.advance(1);
    h.controller.tick();
    EXPECT_FALSE(std::filesystem::exists(path)) << "nothing was due";

    h.clock.set(2026, 12, 7, 10, 0, 0);
    h.controller.tick();
    EXPECT_EQ(dataFileText(h), withDaily(8));
    EXPECT_EQ(h.st.NoticeCount, 3);
    EXPECT_TRUE(linesStartingWith(h, "□書込").empty());
    EXPECT_EQ(h.log.lines.size(), 3u) << "the notices' lines only";

    // A lone one-off row leaves the table empty, and the file without it.
    Harness lone;
    lone.add(0, "", "卵", "0", "3", "", "", "", nine);
    lone.controller.tick();
    EXPECT_EQ(lone.st.ReservationCount, 0);
    EXPECT_EQ(dataFileText(lone), dataFileWith({}));
}

// The wall clock set, a new zone, summer time, a suspend: countdowns fall due at the same real
// moment, so their due seconds move with the local time; alarms keep their time of day, the one that
// has rung included; the table stays sorted and the moved rows are written once, without a log line.
TEST(ResidentTick, CountdownsKeepTheirLengthWhenTheClockMoves) {
    constexpr long kTokyo = 9 * 3600;
    constexpr long kBerlin = 3600;
    constexpr long kBerlinSummer = 7200;
    struct Case {
        const char* name;
        long offset; // UTC offset at the start
        int y, mo, d, h, mi, s;
        long long passing; // seconds that pass without a tick (a suspend)
        long long wallBy;  // the wall clock set by
        long newOffset;
        long long shift; // how far the countdowns' due seconds move
    };
    const std::vector<Case> cases = {
        {"clock set back an hour", kTokyo, 2026, 12, 7, 9, 0, 0, 0, -3600, kTokyo, -3600},
        {"clock set forward an hour", kTokyo, 2026, 12, 7, 9, 0, 0, 0, 3600, kTokyo, 3600},
        {"zone Tokyo to Berlin", kTokyo, 2026, 12, 7, 9, 0, 0, 0, 0, kBerlin, -8 * 3600},
        {"zone Berlin to Tokyo", kBerlin, 2026, 12, 7, 9, 0, 0, 0, 0, kTokyo, 8 * 3600},
        {"summer time starts in Berlin", kBerlin, 2027, 3, 28, 1, 59, 30, 30, 0, kBerlinSummer, 3600},
        {"summer time ends in Berlin", kBerlinSummer, 2027, 10, 31, 2, 59, 30, 30, 0, kBerlin, -3600},
        {"suspend of three hours", kTokyo, 2026, 12, 7, 9, 0, 0, 3 * 3600, 0, kTokyo, 0},
        {"clock set on an hour in the tick that sees Tokyo to Berlin", kTokyo, 2026, 12, 7, 9, 0, 0, 0, 3600, kBerlin,
         3600 - 8 * 3600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        test::FakeEntryList list;
        h.st.EntryWindowOpen = true;
        h.env.entryList = &list;
        h.clock.setUtcOffset(c.offset);
        h.clock.set(c.y, c.mo, c.d, c.h, c.mi, c.s);
        const double start = h.stamp(c.y, c.mo, c.d, c.h, c.mi, c.s);
        const long long bootAtStart = h.clock.bootSeconds();
        h.add(0, "", "卵", "0", "20", "", "", "");
        h.add(1, "", "体操", "0", "30", "0", "10", "1");
        h.add(10, "0", "会議", "", "5", "", "", h.field(start - 300), h.field(start + 600));
        h.add(2, "1", "朝会", std::to_string(c.h), std::to_string(c.mi), "", "", "", h.field(start));
        // Due between the countdowns: a clock set back puts them before it, one set on makes it ring.
        const int quarterPast = c.h * 60 + c.mi + 15;
        h.add(2, "0", "休憩", std::to_string(quarterPast / 60), std::to_string(quarterPast % 60), "", "", "");
        h.add(2, "1", "夕会", "20", "0", "", "", "");
        h.add(3, "1", "月次", "20", "0", "", "28", "");
        h.add(4, "1", "記念日", "20", "0", "12", "25", "");
        h.add(5, "1", "体育", "20", "0", "", "", "月水金");
        // Deleted before the move, restored after it.
        const auto rowOf = [&h](const std::string& name) {
            for (int r = 0; r < h.st.ReservationCount; ++r) {
                if (h.st.ReservationTable[r][core::kName] == name) {
                    return static_cast<std::int16_t>(r);
                }
            }
            return std::int16_t{-1};
        };
        h.add(0, "", "麺", "0", "3", "", "", "");
        const double noodlesDue = start + 180;
        // Paused in the rest before its second cycle, four minutes left: nothing moves it.
        h.add(1, " 3", "筋トレ", "0", "10", "0", "5", "3", h.field(start + 240));
        const auto workout = [](const core::Fields& f) { return f[core::kName] == "筋トレ"; };
        ASSERT_EQ(core::itijiteisi(h.env, workout).size(), 1u);
        h.st.DeleteBatchCount = 1;
        list.removeLine(h.st.ReservationCount - 1 - rowOf("麺"));
        h.st.ReservationCount = core::sakujo01(h.env, rowOf("麺"), core::add16(h.st.ReservationCount, -1));
        ASSERT_EQ(rowOf("麺"), -1);
        h.controller.tick();
        ASSERT_EQ(h.st.NoticeCount, 1) << "朝会 has rung";
        const auto dueSeconds = [&h] {
            std::map<std::string, double> due;
            for (int r = 0; r < h.st.ReservationCount; ++r) {
                due[h.st.ReservationTable[r][core::kName]] = core::value(h.st.ReservationTable[r][core::kNextSecond]);
            }
            return due;
        };
        const std::map<std::string, double> before = dueSeconds();
        const std::string path = persist::dataFilePath(h.st);
        std::filesystem::remove(path);
        const std::size_t logLines = h.log.lines.size();

        h.clock.advance(c.passing);
        h.clock.setWallClockBy(c.wallBy);
        h.clock.setUtcOffset(c.newOffset);
        // Added after the move, before the tick has seen it: stamped on the clock the table is still
        // on, and moved with the table.
        const double teaDue = core::genByou(h.env) + 600;
        EXPECT_EQ(teaDue, start + c.passing + 600);
        h.add(0, "", "茶", "0", "10", "", "", "");
        h.controller.tick();

        for (const auto& [name, due] : dueSeconds()) {
            const bool countdown = name == "卵" || name == "体操" || name == "会議";
            EXPECT_EQ(due, name == "茶" ? teaDue + c.shift : before.at(name) + (countdown ? c.shift : 0)) << name;
        }
        EXPECT_EQ(core::value(h.st.NoticeTable[0][core::kNextSecond]), start + c.shift) << "extensions count from it";
        for (int r = 1; r < h.st.ReservationCount; ++r) {
            EXPECT_GE(core::orderKey(h.st.ReservationTable[r - 1]), core::orderKey(h.st.ReservationTable[r]));
        }
        EXPECT_EQ(h.st.ReservationTable[0][0], "240");
        ASSERT_EQ(list.lines.size(), static_cast<std::size_t>(h.st.ReservationCount));
        for (int i = 0; i < h.st.ReservationCount; ++i) {
            EXPECT_EQ(list.lines[i], core::hyouji12(h.env, static_cast<std::int16_t>(h.st.ReservationCount - 1 - i)));
        }
        if (c.passing == 0) {
            EXPECT_NE(dataFileText(h).find("," + h.field(before.at("卵") + c.shift) + ",\r\n"), std::string::npos);
            for (std::size_t i = logLines; i < h.log.lines.size(); ++i) {
                EXPECT_EQ(h.log.lines[i].rfind("♪予時刻,", 0), 0u) << "休憩 may ring, nothing else is logged";
            }
        }
        // 戻す brings 麺 back due at the same real moment.
        core::sakujyo_modosu(h.env);
        ASSERT_GE(rowOf("麺"), 0);
        EXPECT_EQ(core::value(h.st.ReservationTable[rowOf("麺")][core::kNextSecond]), noodlesDue + c.shift);

        // 卵 rings twenty minutes after its start, or at the resume when it fell due in a suspend.
        const auto rang = [&h](const std::string& name) {
            for (int i = 0; i < 8; ++i) {
                h.controller.tick();
            }
            for (int n = 0; n < h.st.NoticeCount; ++n) {
                if (h.st.NoticeTable[n][core::kName] == name) {
                    return true;
                }
            }
            return false;
        };
        const auto eggRang = [&rang] { return rang("卵"); };
        const long long passed = h.clock.bootSeconds() - bootAtStart;
        if (passed < 1200) {
            h.clock.advance(1200 - passed - 1);
            EXPECT_FALSE(eggRang()) << "a second early";
            h.clock.advance(1);
        }
        EXPECT_TRUE(eggRang());
        // Resumed, 筋トレ starts its second cycle when its four minutes are over.
        EXPECT_FALSE(rang("筋トレ"));
        ASSERT_EQ(core::saikai(h.env, workout).size(), 1u);
        h.clock.advance(239);
        EXPECT_FALSE(rang("筋トレ"));
        h.clock.advance(1);
        EXPECT_TRUE(rang("筋トレ"));
        EXPECT_EQ(h.st.ErrorCount, 0);
    }
}

// Whole seconds of the wall clock and of the boot-time clock, read one after the other, may differ
// by a second more or less from one tick to the next: that moves nothing and writes nothing, and
// the present second is the wall clock's. A clock set by more than that moves the countdowns.
TEST(ResidentTick, ASecondOrTwoOfJitterIsNoClockSet) {
    const struct {
        long long wallBy;
        double shift;
    } cases[] = {{1, 0}, {-1, 0}, {2, 0}, {-2, 0}, {3, 3}, {-3, -3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.wallBy);
        Harness h;
        h.add(0, "", "卵", "0", "20", "", "", "");
        const double start = h.stamp(2026, 12, 7, 9, 0, 0);
        h.controller.tick();
        const std::string path = persist::dataFilePath(h.st);
        std::filesystem::remove(path);

        h.clock.setWallClockBy(c.wallBy);
        EXPECT_EQ(core::genByou(h.env), start + (c.shift == 0 ? c.wallBy : 0)) << "before the tick";
        h.controller.tick();

        EXPECT_EQ(h.st.ReservationTable[0][core::kNextSecond], h.field(start + 1200 + c.shift));
        EXPECT_EQ(std::filesystem::exists(path), c.shift != 0);
        EXPECT_EQ(core::genByou(h.env), start + c.wallBy) << "after the tick";
    }
}

TEST(ResidentExit, QuestionAndItsAnswers) {
    struct Case {
        int menuIndex;
        notify::CloseReason reason;
        std::vector<Answer> script;
        std::string question; // empty: no box
        bool closes;
        int deleteAfter;
    };
    const std::vector<Case> cases = {
        {0, CloseReason::User, {Answer::Yes}, "終了しますか？", true, 0},
        {1, CloseReason::User, {Answer::Yes}, "レジストリを削除して終了しますか？", true, 1},
        {1, CloseReason::User, {Answer::No}, "レジストリを削除して終了しますか？", false, 0},
        {0, CloseReason::User, {}, "終了しますか？", false, 0}, // No is the default button
        {1, CloseReason::User, {Answer::Dismissed}, "レジストリを削除して終了しますか？", true, 1},
        {1, CloseReason::System, {}, "", true, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.question + (c.closes ? " closes" : " stays"));
        Harness h;
        for (Answer a : c.script) {
            h.messages.answerNext(a);
        }
        h.controller.owari(c.menuIndex);

        EXPECT_EQ(h.controller.queryUnload(c.reason), c.closes);

        if (c.question.empty()) {
            EXPECT_TRUE(h.messages.shown.empty());
        } else {
            ASSERT_EQ(h.messages.shown.size(), 1u);
            EXPECT_EQ(h.messages.shown[0].text, c.question);
            EXPECT_EQ(h.messages.shown[0].title, "Mayorin。");
            EXPECT_EQ(h.messages.shown[0].buttons, Buttons::YesNo);
        }
        EXPECT_EQ(h.st.DeleteSettingsOnExit, c.deleteAfter);
        EXPECT_EQ(h.shell.tickEnabled, !c.closes) << "the tick runs again only after No";
    }
}

TEST(ResidentExit, NoToTheDeletingExitKeepsTheSettingsAtALaterExit) {
    Harness h;
    h.backend.save("settei", "0", "False");
    h.controller.owari(1);
    h.messages.answerNext(Answer::No);
    ASSERT_FALSE(h.controller.queryUnload(CloseReason::User));

    h.controller.owari(0);
    h.messages.answerNext(Answer::Yes);
    ASSERT_TRUE(h.controller.queryUnload(CloseReason::User));
    EXPECT_EQ(h.messages.shown.back().text, "終了しますか？");
    h.controller.unload();

    EXPECT_EQ(h.backend.get("settei", "0", "?"), "False");
    EXPECT_EQ(h.log.lines.back(), "▲終了　," + kMonday + ",09:00:00,,,終了,Revision=68,レジストリ=0,エラー回数=0,,");
}

TEST(ResidentExit, NormalEndDeletesSettingsWritesTheFileAndEnds) {
    Harness h;
    h.clock.set(2026, 12, 7, 8, 0, 0);
    h.controller.formLoad(h.dir.path);
    h.backend.save("settei", "0", "False");
    h.add(2, "1", "朝会", "10", "0", "", "", "");
    h.clock.set(2026, 12, 7, 9, 0, 0);
    h.controller.owari(1);
    h.messages.answerNext(Answer::Yes);
    ASSERT_TRUE(h.controller.queryUnload(CloseReason::User));
    h.shell.calls.clear();
    h.log.lines.clear();

    h.controller.unload();

    EXPECT_EQ(h.shell.calls,
              (std::vector<std::string>{"setTickEnabled false", "closeOtherWindows", "removeTrayIcon", "endProcess"}));
    // Everything was deleted; the running marker cleared afterwards is all that is left.
    EXPECT_EQ(h.backend.values,
              (std::map<std::pair<std::string, std::string>, std::string>{{{"form4", h.dir.path}, ""}}));
    EXPECT_EQ(dataFileText(h), dataFileWith({"01,2,1,朝会,10,00,,,," + h.field(h.stamp(2026, 12, 7, 10, 0)) + ","}));
    ASSERT_EQ(h.log.lines.size(), 2u);
    EXPECT_EQ(h.log.lines[0].rfind("□書込　,", 0), 0u);
    EXPECT_EQ(h.log.lines[1], "▲終了　," + kMonday + ",09:00:00,,,終了,Revision=68,レジストリ=1,エラー回数=0,,");
    EXPECT_TRUE(h.dialog.modes.empty());
}

// The tick stands still from the exit question on, and after an error: a clock set an hour on
// meanwhile is followed before the end writes the file, so a countdown keeps its real moment
// across the restart.
TEST(ResidentExit, ClockSetWhileTheTickStoodIsFollowedBeforeTheFileIsWritten) {
    for (const std::int16_t errors : {0, 2}) {
        SCOPED_TRACE(errors);
        Harness h;
        h.controller.formLoad(h.dir.path);
        h.add(0, "", "卵", "0", "20", "", "", "");
        h.controller.tick();
        h.st.ErrorCount = errors;
        h.messages.answerNext(Answer::Yes);
        ASSERT_TRUE(h.controller.queryUnload(CloseReason::User));
        h.clock.setWallClockBy(3600);

        h.controller.unload();

        EXPECT_NE(dataFileText(h).find("," + h.field(h.stamp(2026, 12, 7, 10, 20)) + ",\r\n"), std::string::npos);
        EXPECT_EQ(h.log.lines.back(), "▲終了　," + kMonday + ",10:00:00,,,終了,Revision=68,レジストリ=0,エラー回数=" +
                                          std::to_string(errors) + ",,");
    }
}

TEST(ResidentExit, StartUpStoppedBeforeTheDataFileLeavesItAsItWas) {
    Harness h;
    h.st.DataFileRead = false; // the start-up failed before it read the file
    const std::string before = dataFileWith({"01,2,1,朝会,10,00,,,," + h.field(h.stamp(2026, 12, 7, 10, 0)) + ","});
    std::ofstream(persist::dataFilePath(h.st), std::ios::binary) << *h.codePage.encode(before);
    h.st.ErrorCount = 1;

    ASSERT_TRUE(h.controller.queryUnload(CloseReason::User));
    h.controller.unload();

    EXPECT_EQ(dataFileText(h), before);
    EXPECT_EQ(h.log.lines.back(), "▲終了　," + kMonday + ",09:00:00,,,終了,Revision=68,レジストリ=0,エラー回数=1,,");
}

TEST(ResidentExit, FailureInATickEndsWithoutTheQuestionAndStillSaves) {
    Harness h;
    h.add(0, "", "卵", "0", "0", "", "", "", h.field(h.stamp(2026, 12, 7, 9, 0)));
    h.window.failOnOpen = true;

    h.controller.tick();

    EXPECT_EQ(h.st.ErrorCount, 1);
    EXPECT_EQ(h.dialog.modes, std::vector<int>{1});
    EXPECT_EQ(h.resident.closeRequests, 1);
    EXPECT_EQ(h.log.lines.back(), "※エラー," + kMonday + ",09:00:00,,,エラー5,発生場所Timer1_Timer F4,操作1,,,");
    EXPECT_EQ(h.st.ReservationCount, 1) << "the row was not notified";

    // While the program is on its way out the failing row is not tried again.
    h.clock.advance(1);
    h.controller.tick();
    EXPECT_EQ(h.st.ErrorCount, 1);
    EXPECT_EQ(h.window.opened, 1);

    EXPECT_TRUE(h.controller.queryUnload(CloseReason::User));
    EXPECT_TRUE(h.messages.shown.empty()) << "no exit question after an error";
    h.controller.unload();

    EXPECT_EQ(dataFileText(h), dataFileWith({"01,0,0,卵,00,00,00,00, 0," + h.field(h.stamp(2026, 12, 7, 9, 0)) + ","}));
    EXPECT_EQ(h.log.lines.back(), "▲終了　," + kMonday + ",09:00:01,,,終了,Revision=68,レジストリ=0,エラー回数=1,,");
    EXPECT_EQ(h.backend.get("form4", h.dir.path, "?"), "");
    EXPECT_EQ(h.shell.calls.back(), "endProcess");
}

TEST(ResidentExit, MoreThanTwoErrorsEndAbnormallyWithoutSaving) {
    Harness h;
    h.add(2, "0", "会議", "10", "0", "", "", "");
    persist::kakikomi01(h.env);
    const std::string before = readFile(persist::dataFilePath(h.st));
    h.add(2, "0", "昼食", "12", "0", "", "", "");
    h.backend.save("settei", "0", "False");
    h.backend.save("form4", h.dir.path, "運転中");
    h.st.DeleteSettingsOnExit = 1;
    h.st.ErrorCount = 3;
    h.log.lines.clear();

    EXPECT_TRUE(h.controller.queryUnload(CloseReason::User));
    h.controller.unload();

    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].text, " 異常終了するため、変更になった内容は保存されません。");
    EXPECT_EQ(h.messages.shown[0].title, "Mayorin。");
    EXPECT_EQ(h.messages.shown[0].buttons, Buttons::Ok);
    EXPECT_EQ(readFile(persist::dataFilePath(h.st)), before);
    EXPECT_EQ(h.log.lines,
              std::vector<std::string>{"▲終了Ｅ," + kMonday + ",09:00:00,,,異常終了,Revision=68,,エラー回数=3,,"});
    EXPECT_EQ(h.backend.get("settei", "0", "?"), "False") << "settings are not deleted";
    EXPECT_EQ(h.backend.get("form4", h.dir.path, "?"), "");
    EXPECT_EQ(h.shell.calls.back(), "endProcess");
}

TEST(ResidentExit, DataFileFailureDuringTheEndCountsTowardsTheAbnormalEnd) {
    struct Case {
        std::int16_t errorsBefore;
        std::string endLine;
        bool abnormalBox;
    };
    const std::vector<Case> cases = {
        {1, "▲終了　," + kMonday + ",09:00:00,,,終了,Revision=68,レジストリ=0,エラー回数=2,,", false},
        {2, "▲終了Ｅ," + kMonday + ",09:00:00,,,異常終了,Revision=68,,エラー回数=3,,", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.errorsBefore);
        Harness h;
        h.add(2, "0", "会議", "10", "0", "", "", "");
        // A folder where the data file should be: it cannot be written.
        std::filesystem::create_directory(persist::dataFilePath(h.st));
        h.st.ErrorCount = c.errorsBefore;

        ASSERT_TRUE(h.controller.queryUnload(CloseReason::User));
        h.controller.unload();

        EXPECT_EQ(h.st.ErrorCount, c.errorsBefore + 1);
        ASSERT_EQ(h.log.lines.size(), 2u);
        EXPECT_EQ(h.log.lines[0], "※エラー," + kMonday + ",09:00:00,,,エラー75,発生場所kakikomi01 M4　保存,操作" +
                                      std::to_string(c.errorsBefore + 1) + ",,,");
        EXPECT_EQ(h.log.lines[1], c.endLine);
        if (c.abnormalBox) {
            ASSERT_EQ(h.messages.shown.size(), 1u);
            EXPECT_EQ(h.messages.shown[0].text, " 異常終了するため、変更になった内容は保存されません。");
        } else {
            EXPECT_TRUE(h.messages.shown.empty());
        }
        EXPECT_TRUE(std::filesystem::is_directory(persist::dataFilePath(h.st)));
        EXPECT_EQ(h.shell.calls.back(), "endProcess");
    }
}

// The display has gone and the process is already exiting: the end saves and logs by the error
// count, clears the running marker and touches no window, tray or message box. Before the start-up
// has read the data file, the file is left as it is.
TEST(ResidentExit, EndWithoutDisplaySavesByTheErrorCountAndTouchesNoWindow) {
    struct Case {
        const char* name;
        bool started;
        std::int16_t errors;
        bool written;
        std::string endLine;
    };
    const std::string normal = "▲終了　," + kMonday + ",09:00:00,,,終了,Revision=68,レジストリ=0,エラー回数=0,,";
    const std::vector<Case> cases = {
        {"normal", true, 0, true, normal},
        {"three errors", true, 3, false, "▲終了Ｅ," + kMonday + ",09:00:00,,,異常終了,Revision=68,,エラー回数=3,,"},
        {"start-up not through", false, 0, false, normal},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        const std::string path = persist::dataFilePath(h.st);
        const std::string before = dataFileWith({});
        std::ofstream(path, std::ios::binary) << *h.codePage.encode(before);
        if (c.started) {
            h.controller.formLoad(h.dir.path);
        } else {
            h.backend.save("form4", h.dir.path, "運転中"); // as the start-up's first step leaves it
            h.st.DataFileRead = false;
        }
        h.add(2, "1", "朝会", "10", "0", "", "", "");
        h.st.ErrorCount = c.errors;
        h.shell.calls.clear();
        h.log.lines.clear();

        h.controller.endWithoutDisplay();

        EXPECT_TRUE(h.shell.calls.empty());
        EXPECT_TRUE(h.messages.shown.empty());
        EXPECT_TRUE(h.dialog.modes.empty());
        EXPECT_EQ(dataFileText(h),
                  c.written ? dataFileWith({"01,2,1,朝会,10,00,,,," + h.field(h.stamp(2026, 12, 7, 10, 0)) + ","})
                            : before);
        ASSERT_EQ(h.log.lines.size(), c.written ? 2u : 1u);
        EXPECT_EQ(h.log.lines.back(), c.endLine);
        EXPECT_EQ(h.backend.get("form4", h.dir.path, "?"), "");
    }
}

// A save of the session writes the data file as the end would: not after an error (the end then
// decides) and not before the start-up has read it whole. It ends nothing and logs nothing.
TEST(ResidentSession, SaveLeavesTheFileAsItWasWhereTheEndWouldNotWriteIt) {
    struct Case {
        const char* name;
        bool read; // the start-up has read the data file whole
        std::int16_t errors;
    };
    for (const Case& c : {Case{"one error reported", true, 1}, Case{"start-up not through", false, 0}}) {
        SCOPED_TRACE(c.name);
        Harness h;
        const std::string before = dataFileWith({});
        std::ofstream(persist::dataFilePath(h.st), std::ios::binary) << *h.codePage.encode(before);
        h.st.DataFileRead = c.read;
        h.add(2, "1", "朝会", "10", "0", "", "", "");
        h.st.ErrorCount = c.errors;

        h.controller.commitData();

        EXPECT_EQ(dataFileText(h), before);
        EXPECT_TRUE(h.log.lines.empty());
        EXPECT_TRUE(h.shell.calls.empty());
        EXPECT_EQ(h.st.ErrorCount, c.errors);
    }
}

TEST(ResidentStart, StartUpInOrder) {
    // A data file left by an earlier run.
    std::string appDir;
    {
        Harness earlier;
        earlier.add(2, "1", "朝会", "10", "0", "", "", "");
        earlier.add(0, "", "卵", "0", "3", "", "", "");
        // Kept on 11 January 2027, 成人の日, by a run that did not skip holidays.
        const std::string heldOnAHoliday = earlier.field(earlier.stamp(2027, 1, 11, 8, 15));
        earlier.add(5, "1", "ごみ", "8", "15", "", "", "月木", heldOnAHoliday);
        earlier.add(4, "1", "記念日", "8", "15", "1", "11", "", heldOnAHoliday);
        persist::kakikomi01(earlier.env);
        appDir = earlier.dir.path + "-start";
        std::filesystem::create_directory(appDir);
        std::filesystem::copy_file(persist::dataFilePath(earlier.st), appDir + "/Mayorin。保存.txt");
    }
    Harness h;
    core::State fresh;
    h.st.WeekdayNames = fresh.WeekdayNames; // empty until start-up
    h.backend.save("ver", "68", "お知らせです。");
    h.backend.save("settei", "6", "True");

    h.controller.formLoad(appDir);

    EXPECT_EQ(h.st.AppDir, appDir);
    EXPECT_EQ(h.st.WeekdayNames[1], "月");
    EXPECT_EQ(h.st.WeekdayNames[13], "土");
    EXPECT_EQ(h.backend.get("form4", appDir, ""), "運転中");
    EXPECT_EQ(h.shell.calls, (std::vector<std::string>{"addTrayIcon", "messeiji 0", "setMessageItemVisible true"}));
    ASSERT_EQ(h.log.lines.size(), 2u);
    EXPECT_EQ(h.log.lines[0], "▼起動　," + kMonday + ",09:00:00,,,起動,Revision=68,,,,");
    EXPECT_EQ(h.log.lines[1], "□読込　," + kMonday +
                                  ",09:00:00,,,データの読み込み,予約データ数=4,タイマー履歴数=0,予定履歴数=0," +
                                  appDir + "/Mayorin。保存.txt,");
    ASSERT_EQ(h.st.ReservationCount, 4);
    EXPECT_EQ(h.st.ReservationTable[3][core::kName], "卵");
    // Holidays are skipped from the read on: the weekday row moves on to Thursday, the other stays.
    EXPECT_EQ(h.st.ReservationTable[0][core::kName], "ごみ");
    EXPECT_EQ(h.st.ReservationTable[0][core::kNextSecond], h.field(h.stamp(2027, 1, 14, 8, 15)));
    EXPECT_EQ(h.st.ReservationTable[1][core::kNextSecond], h.field(h.stamp(2027, 1, 11, 8, 15)));
    EXPECT_TRUE(h.dialog.modes.empty());
    persist::InstanceLock another;
    EXPECT_EQ(another.take(appDir), persist::InstanceLock::Outcome::HeldElsewhere) << "held from the start on";
    std::filesystem::remove_all(appDir);
}

// A marker left by a crash starts quietly; a live instance holding the folder gets the box, and
// this start then hands over to it without touching the folder, the marker or the log.
TEST(ResidentStart, AfterACrashQuietlyBesideALiveInstanceNotAtAll) {
    struct Case {
        const char* name;
        bool liveInstance;
        enum {
            None,
            ToOtherFolder,
            RoundAbout
        } link; // the data file is a link, to a file of
                // another folder or round about to its own
    };
    const Case cases[] = {
        {"after a crash", false, Case::None},
        {"beside a live instance", true, Case::None},
        {"after a crash, the file linked", false, Case::ToOtherFolder},
        {"beside a live instance of the folder the file is linked to", true, Case::ToOtherFolder},
        {"after a crash, the file linked round about to its own folder", false, Case::RoundAbout},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        test::TempDir other;
        h.st.DataFileRead = false;
        const std::string text = dataFileWith({"01,2,1,朝会,10,00,,,," + h.field(h.stamp(2026, 12, 7, 10, 0)) + ","});
        const std::string path = persist::dataFilePath(h.st);
        const std::string liveFolder = c.link == Case::ToOtherFolder ? other.path : h.dir.path;
        const std::string file = liveFolder + (c.link == Case::RoundAbout ? "/本体.txt" : "/Mayorin。保存.txt");
        std::ofstream(file, std::ios::binary) << *h.codePage.encode(text);
        if (c.link == Case::ToOtherFolder) {
            std::filesystem::create_symlink(file, path);
        } else if (c.link == Case::RoundAbout) {
            const std::string own = std::filesystem::path(h.dir.path).filename().string();
            std::filesystem::create_symlink("../" + own + "/./本体.txt", path);
        }
        const std::string leftover = file + ".tmp-k1LLed";
        std::ofstream(leftover) << "";
        h.backend.save("form4", h.dir.path, "運転中");
        persist::InstanceLock live;
        if (c.liveInstance) {
            ASSERT_EQ(live.take(liveFolder), persist::InstanceLock::Outcome::Taken);
        }

        h.controller.formLoad(h.dir.path);

        EXPECT_EQ(h.backend.get("form4", h.dir.path, "?"), "運転中");
        if (c.liveInstance) {
            EXPECT_EQ(h.dialog.modes, std::vector<int>{6});
            EXPECT_EQ(h.shell.calls, std::vector<std::string>{"handOverToRunningInstance " + liveFolder});
            EXPECT_TRUE(h.log.lines.empty());
            EXPECT_EQ(h.st.ReservationCount, 0);
            EXPECT_FALSE(h.st.DataFileRead);
            EXPECT_TRUE(std::filesystem::exists(leftover)) << "the live instance may be writing it";
        } else {
            EXPECT_TRUE(h.dialog.modes.empty());
            EXPECT_EQ(h.shell.calls,
                      (std::vector<std::string>{"addTrayIcon", "messeiji 0", "setMessageItemVisible false"}));
            EXPECT_EQ(linesStartingWith(h, "▼起動　,").size(), 1u);
            EXPECT_EQ(h.st.ReservationCount, 1);
            EXPECT_TRUE(h.st.DataFileRead);
            EXPECT_FALSE(std::filesystem::exists(leftover));
        }
        EXPECT_EQ(dataFileText(h), text);
        EXPECT_EQ(h.st.ErrorCount, 0);
    }
}

} // namespace
} // namespace mayorin::notify
