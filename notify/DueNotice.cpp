#include "notify/DueNotice.h"

#include <cmath>
#include <string_view>

#include "core/Calendar.h"
#include "core/Guard.h"
#include "core/ListLine.h"
#include "core/TextValue.h"

namespace mayorin::notify {

namespace {

constexpr std::string_view kHyoujiLocation = "hyouji_F2 M3　お知らせ表示";

constexpr const char* kNoName = "(表示名無し)";
constexpr const char* kLateTag = "【遅刻表示】";
// A notice shown within this many seconds of its due second is on time.
constexpr double kGraceSeconds = 3;
// Display width to which the name and the message are filled out in the list.
constexpr std::int16_t kColumnWidth = 30;

// The last n characters of a UTF-8 text (the whole text when it is shorter).
std::string lastChars(std::string_view text, int n) {
    std::size_t pos = text.size();
    while (n > 0 && pos > 0) {
        --pos;
        // Step back over continuation bytes to the first byte of the character.
        while (pos > 0 && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) {
            --pos;
        }
        --n;
    }
    return std::string(text.substr(pos));
}

// "から05分30秒が経過しました。" and its kin: the match time of a single countdown.
std::string countdownMessage(const core::Fields& r, const std::string& lateTag) {
    const std::string& hours = r[4];
    const std::string& minutes = r[5];
    std::string hoursText;
    std::string minutesText;
    if (core::value(hours) > 0) {
        hoursText = hours + "時間";
    } else {
        minutesText = "00分";
    }
    if (core::value(minutes) > 0) {
        // Only the minutes before any ":" count here; the seconds follow below.
        minutesText = core::ZeroPad(std::string_view(minutes), 2) + "分";
    }
    if (minutes.find(':') != std::string::npos) {
        minutesText += lastChars(minutes, 2) + "秒";
    }
    return lateTag + " から" + hoursText + minutesText + "が経過しました。";
}

// " 2回目の開始": which cycle a repeating countdown is at, and whether it starts or ends.
// The phase counter counts the notices still to follow; an odd counter is a start.
std::string roundOf(const core::Fields& r) {
    const double counter = core::value(r[core::kRepeatMode]);
    const double round = core::value(r[8]) - std::floor(counter / 2);
    const std::int32_t whole = core::toInt32(counter);
    return " " + core::decimalText(round) + (whole % 2 == 1 ? "回目の開始" : "回目の終了");
}

} // namespace

std::string noticeLine(const core::State& st, int n) {
    const auto& texts = st.NoticeTextTable[n];
    return texts[0] + "【状態】" + texts[1] + texts[2];
}

std::string hyouji_F2(core::Env& env, std::int16_t row) {
    return core::guarded(env.errors, kHyoujiLocation, [&]() -> std::string {
        core::State& st = env.st;
        const double now = core::genByou(env);
        const core::Fields& r = st.ReservationTable[row];
        const int n = st.NoticeCount;
        auto& texts = st.NoticeTextTable[n];

        const std::string name = r[core::kName].empty() ? std::string(kNoName) : r[core::kName];
        texts[0] = name + core::PadToWidth(name, kColumnWidth);

        const double due = core::value(r[core::kNextSecond]);
        std::string lateText;
        std::string lateTag;
        if (due + kGraceSeconds < now) {
            lateText = " + " + core::byouModosu(env, core::decimalText(now - due), 1);
            lateTag = kLateTag;
        }
        texts[2] = "【表示日時】" + core::byouModosu(env, r[core::kNextSecond], 0) + lateText;

        const std::int32_t kind = core::int32Of(r[core::kKindCode]);
        std::string message;
        std::string roundText;
        switch (kind) {
        case 0:
            message = countdownMessage(r, lateTag);
            break;
        case 1:
            roundText = roundOf(r);
            message = lateTag + roundText + "時間です。";
            break;
        case 2:
        case 3:
        case 4:
        case 5:
            message = lateTag + " の時間です。";
            break;
        case 10:
            // Field 5 holds the minutes counted from the first due time of the extended notice.
            message = lateTag + r[5] + "分の延長が過ぎました。";
            break;
        default:
            break;
        }
        texts[1] = message + core::PadToWidth(message, kColumnWidth);

        env.log.kiloku("♪" + core::kindShortLabel(kind) + "," + core::byouModosu(env, core::decimalText(now), 3) + "," +
                       lateText + "," + name + "," + roundText + "," + lateTag + ",,,,");
        return noticeLine(st, n);
    });
}

} // namespace mayorin::notify
