#include "core/ListLine.h"

#include <cmath>

#include "core/Calendar.h"
#include "core/Failure.h"
#include "core/Guard.h"
#include "core/Pause.h"
#include "core/TextValue.h"

namespace mayorin::core {

namespace {

constexpr const char* kHyouji12 = "hyouji12 M2";
constexpr const char* kHyoujiTest = "hyouji_test M2";
constexpr const char* kNoName = "(表示名無し)";
constexpr std::int16_t kNameColumns = 30;

bool hasColon(const std::string& field) {
    return field.find(':') != std::string::npos;
}

std::string kindLabel(int k, int m) {
    switch (k) {
    case 0:
        return "タイマー";
    case 1:
        return "繰返し　";
    case 2:
        return m == 1 ? "毎日　　" : "今回のみ";
    case 3:
        return m == 1 ? "毎月　　" : "今回のみ";
    case 4:
        return m == 1 ? "毎年　　" : "今回のみ";
    case 5:
        return m == 1 ? "毎週　　" : "今回のみ";
    case 10:
        return "延長　　";
    default:
        return {};
    }
}

std::string lineOf(Env& env, std::int16_t r) {
    const auto& row = env.st.ReservationTable[r];
    const int k = int16Of(row[kKindCode]);
    const int m = int16Of(row[kRepeatMode]);

    const std::string& name = row[kName].empty() ? std::string(kNoName) : row[kName];
    std::string line = name + PadToWidth(name, kNameColumns);

    if (k == 1) {
        // The cycle of the next notice: repeat count less the cycles still to come after it.
        const double cycle = value(row[8]) - std::floor(m / 2.0);
        line += (m % 2 == 1 ? "【次開始" : "【次終了") + ZeroPad(cycle, 2) + "回目】";
    } else {
        line += "【次のお知らせ】";
    }
    if (isPaused(row)) {
        // What a paused countdown has left stands where the moment would, in as many columns.
        line += " 一時停止中 残り" + remainderText(pausedSeconds(row));
    } else {
        line += byouModosu(env, row[kNextSecond], 0);
    }
    line += "【設定】";
    line += kindLabel(k, m);

    if (k == 1) {
        line += row[8] + "回　";
    } else if (k == 5) {
        line += row[8] + "曜　";
    }

    if (k == 1) {
        line += ZeroPad(row[4], 2) + ":";
    } else if (k == 4) {
        line += row[6] + "月";
    }

    if (k == 1) {
        line += row[5] + (hasColon(row[5]) ? "⇔" : ":00⇔");
    } else if (k == 3 || k == 4) {
        line += row[7] + "日　";
    }

    if (k == 1) {
        line += ZeroPad(row[6], 2) + ":";
    } else if (k >= 0 && k <= 5) {
        line += ZeroPad(row[4], 2) + ":";
    }

    if (k == 1) {
        line += row[7] + (hasColon(row[7]) ? "" : ":00");
    } else if (k >= 0 && k <= 5) {
        line += row[5] + (hasColon(row[5]) ? "" : ":00");
    } else if (k == 10) {
        line += row[5] + "分";
    }
    return line;
}

void buildTestRow(Env& env, std::int16_t choice) {
    static const char* const kKinds[] = {"0", "1", "2"};
    static const char* const kModes[] = {"0", "3", "0"};
    static const char* const kNames[] = {"タイマー)", "繰返しタイマー)", "予定)"};
    if (choice < 0 || choice > 2) {
        throwSubscript();
    }
    State& st = env.st;
    auto& row = st.ReservationTable[st.ReservationCount];
    for (auto& f : row) {
        f.clear();
    }
    const platform::LocalTime t = presentTime(env);
    const double now = byouni(env, t.year, t.month, t.day, t.hour, t.minute, t.second);
    row[kKindCode] = kKinds[choice];
    row[kRepeatMode] = kModes[choice];
    row[kName] = std::string("テスト表示　(") + kNames[choice];
    switch (choice) {
    case 0:
        row[5] = "0";
        break;
    case 1:
        row[5] = "0";
        row[7] = "0";
        row[8] = "2";
        break;
    default:
        row[4] = spacedDecimalText(t.hour);
        row[5] = spacedDecimalText(t.minute);
        break;
    }
    row[kNextSecond] = spacedDecimalText(now);
}

} // namespace

std::string nextNoticeText(Env& env) {
    // A tip is no operation of the user's: what it cannot show it leaves out, reporting nothing.
    platform::KeptErrors failures;
    Env quiet = redirected(env, failures, env.messages, env.log);
    const std::string text = guarded(failures, kHyouji12, [&]() -> std::string {
        const State& st = env.st;
        if (st.ReservationCount <= 0) {
            return {};
        }
        // The soonest row is the last used row; it is a paused one only when nothing runs.
        const auto& row = st.ReservationTable[st.ReservationCount - 1];
        if (isPaused(row)) {
            return {};
        }
        const std::string moment = byouModosu(quiet, row[kNextSecond], 0);
        return "次のお知らせ" + moment + "　" + (row[kName].empty() ? std::string(kNoName) : row[kName]);
    });
    return failures.reports.empty() ? text : std::string();
}

std::string hyouji12(Env& env, std::int16_t row) {
    return guarded(env.errors, kHyouji12, [&] { return lineOf(env, row); });
}

void hyouji_test(Env& env, std::int16_t choice) {
    guarded(env.errors, kHyoujiTest, [&] { buildTestRow(env, choice); });
}

std::string kindName(int kindCode) {
    static const char* const kNames[] = {"タイマー", "繰返しタイマー", "時刻", "日付時刻", "月日時刻", "曜日時刻"};
    if (kindCode >= 0 && kindCode <= 5) {
        return kNames[kindCode];
    }
    return decimalText(kindCode);
}

std::string kindShortLabel(int kindCode) {
    static const char* const kLabels[] = {"タイマ", "繰返タ", "予時刻", "予日付", "予月日", "予曜日"};
    if (kindCode >= 0 && kindCode <= 5) {
        return kLabels[kindCode];
    }
    if (kindCode == 10) {
        return "延長　";
    }
    return decimalText(kindCode);
}

} // namespace mayorin::core
