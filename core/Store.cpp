#include "core/Store.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

#include "core/Calendar.h"
#include "core/Failure.h"
#include "core/Guard.h"
#include "core/ListLine.h"
#include "core/NextNotice.h"
#include "core/Pause.h"
#include "core/TextValue.h"
#include "core/Utf8.h"

namespace mayorin::core {

namespace {

constexpr const char* kHensuKensuu = "hensu_kensuu M2";
constexpr const char* kTuikaMein = "tuika_mein M2";
constexpr const char* kTuika03 = "tuika03 M2";
constexpr const char* kNarabikae = "narabikae M2";
constexpr const char* kHSakujo = "hSakujo M2";
constexpr const char* kSakujo01 = "sakujo01 M2";
constexpr const char* kSakujyoModosu = "sakujyo_modosu M2";
constexpr const char* kRireki01 = "rireki01 M2";
constexpr const char* kMojikensa = "mojikensa M1";
constexpr const char* kSuuSyusei = "suu_syusei M1";

constexpr const char* kForbidden = "使用禁止文字が含まれています。";
constexpr const char* kCommaBox = "半角英字の「　,　」(コロン)は表示名に使用できません。";
constexpr const char* kQuoteBox = "半角英字の「　'　」(シングル クォーテーション)は表示名に使用できません。";
constexpr const char* kUnstorableBox = "表示名に保存できない文字が含まれています。";
constexpr const char* kTooLong = "表示名が長すぎます。";
constexpr const char* kTooLongBox = "表示名に使用できるのは２５６文字までです。"; // kNameMaxLength
static_assert(kNameMaxLength == 256);

// A number past the 32-bit range, as "9e99" or "1e10" typed into a number box, stands for
// the largest value its box takes: normalizing never fails on what the user typed.
constexpr std::int32_t kTooLarge = std::numeric_limits<std::int32_t>::max();

// The whole number of the absolute value of the first four characters of a trimmed text;
// kTooLarge for a number past the 32-bit range.
std::int32_t leadingWhole(std::string_view text) {
    const double n = roundHalfEven(std::fabs(value(utf8::left(utf8::trimBlanks(text), 4))));
    return n < static_cast<double>(kTooLarge) ? static_cast<std::int32_t>(n) : kTooLarge;
}

std::string normalizeField(Env& env, std::string_view text, int f, int sideCode) {
    // Digits and the colon typed with the input method still on count as their half-width
    // forms; a field kept unchanged keeps them as typed.
    const std::string halfWidth = halfWidthDigits(text);
    std::string_view main = halfWidth;
    std::string secondsSuffix;
    if (const auto colon = main.find(':'); colon != std::string_view::npos) {
        main = main.substr(0, colon + 1);
        std::int32_t s = leadingWhole(std::string_view(halfWidth).substr(colon + 1));
        s = s < 99 ? s : 99;
        secondsSuffix = ":" + ZeroPad(s, 2);
    }
    std::int32_t n = leadingWhole(main);
    switch (sideCode) {
    case 0:
    case 1:
        n = n < 99 ? n : 99;
        switch (f) {
        case 4:
        case 6:
            return ZeroPad(n, 2);
        case 5:
        case 7:
            return ZeroPad(n, 2) + secondsSuffix;
        case 8:
            return spacedDecimalText(n);
        default:
            return std::string(text);
        }
    case 2:
    case 3:
    case 4:
    case 5:
        switch (f) {
        // An hour or minute is taken modulo the day or the hour, but a number too large to
        // hold gives the latest hour or minute rather than whatever its remainder would be.
        case 4:
            return ZeroPad(n == kTooLarge ? 23 : n % 24, 2);
        case 5:
            return ZeroPad(n == kTooLarge ? 59 : n % 60, 2);
        case 6:
            return n <= 0 ? std::string() : ZeroPad(n < 12 ? n : 12, 2);
        case 7:
            return n <= 0 ? std::string() : ZeroPad(n < 31 ? n : 31, 2);
        case 8:
            return youbi01(env, text);
        default:
            return std::string(text);
        }
    case 10:
        if (f == 5) {
            return spacedDecimalText(n < 1 ? 1 : (n > 99 ? 99 : n));
        }
        return std::string(text);
    default:
        return std::string(text);
    }
}

// A text that states the number 0, as a stored phase counter does (" 0"); an empty text or one
// without a number is not one.
bool isStoredZero(std::string_view text) {
    const std::string_view t = utf8::trimBlanks(text);
    return !t.empty() && t.front() >= '0' && t.front() <= '9' && value(t) == 0;
}

std::string kindFor(const Fields& row, int sideCode) {
    switch (sideCode) {
    case 0:
    case 1:
        return value(row[8]) > 0 ? "1" : "0";
    case 2:
    case 3:
    case 4:
    case 5: {
        std::string k = "2";
        if (value(row[7]) > 0) {
            k = "3";
            if (value(row[6]) > 0) {
                k = "4";
            }
        }
        if (!row[8].empty()) {
            k = "5";
        }
        return k;
    }
    case 10:
        return "10";
    default:
        return {};
    }
}

void buildSpareRow(Env& env, std::int16_t sideCode) {
    State& st = env.st;
    const int r = st.ReservationCount;
    auto& row = st.ReservationTable[r];
    row[3] = st.EntryRow[3];
    for (int f = 4; f <= 8; ++f) {
        row[f] = suu_syusei(env, st.EntryRow[f], f, sideCode);
    }
    row[kKindCode] = kindFor(row, sideCode);

    std::string t = st.EntryRow[2];
    const double k = value(row[kKindCode]);
    if (k == 0 || k == 10) {
        t = "0";
    } else if (k == 1) {
        // A counter of 0 read back from the data file belongs to a row waiting for the end of
        // its last cycle and is kept; starting the count afresh would run every cycle again.
        // The entry window leaves the counter empty.
        if (value(t) < 1 && !isStoredZero(t)) {
            t = spacedDecimalText(2 * value(row[8]) - 1);
        }
    } else if (k >= 2 && k <= 5) {
        if (value(t) == 0 && utf8::length(row[8]) >= 2) {
            t = "2";
        }
    }
    row[kRepeatMode] = t;

    if (!st.EntryRow[9].empty()) {
        row[kNextSecond] = st.EntryRow[9];
        // Kept as stored, except that a weekday row kept while holidays were not skipped moves past
        // them now.
        offHolidays(st, row);
    } else {
        byoukeisan01(env, static_cast<std::int16_t>(r));
    }
}

// The place the insertion step ends at for row n: behind every earlier row whose key (its
// NextSecond, paused rows before all others) is not below v. The rows before n are in descending
// order, so the rows not below v form a prefix and a binary search finds the same place as
// stepping back one row at a time.
int insertionPlace(const RowTable<10>& table, int n, const std::pair<bool, double>& v) {
    if (v <= orderKey(table[n - 1])) {
        return n; // arriving in table order: already in place
    }
    int lo = 0;
    int hi = n - 1; // row n - 1 is known to be below v
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (orderKey(table[mid]) >= v) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo;
}

std::int16_t sortIn(Env& env, std::int16_t n) {
    if (n == 0) {
        return 0;
    }
    auto& table = env.st.ReservationTable;
    const auto v = orderKey(table[n]);
    const int place = insertionPlace(table, n, v);
    if (place != n) {
        table.moveRow(n, place);
    }
    return static_cast<std::int16_t>(place);
}

void addSpareRow(Env& env) {
    State& st = env.st;
    st.ReservationCount = add16(st.ReservationCount, 1);
    hensu_kensuu(env);
    st.ReservationInsertPos = narabikae(env, add16(st.ReservationCount, -1));
    if (st.EntryWindowOpen && env.entryList != nullptr) {
        const std::int16_t pos = st.ReservationInsertPos;
        const int index = st.ReservationCount - pos - 1;
        env.entryList->insertLine(index, hyouji12(env, pos));
    }
}

std::int16_t deleteRow(Env& env, std::int16_t i, std::int16_t last) {
    State& st = env.st;
    auto& table = st.ReservationTable;
    auto& row = table[i];
    auto& kept = st.DeletedTable[st.DeletedCount];
    const std::int16_t count = add16(st.DeletedCount, 1); // a full restore area refuses before anything moves
    const bool shift = last >= i;
    if (shift && last + 1 > table.top()) {
        throwSubscript(); // so does a shift that would reach past the table
    }
    // When the shift below overwrites row i its texts move rather than copy.
    for (int f = 0; f < 10; ++f) {
        if (shift) {
            kept[f] = std::move(row[f]);
            row[f].clear();
        } else {
            kept[f] = row[f];
        }
    }
    kept[10] = decimalText(st.DeleteBatchCount);
    st.DeletedCount = count;
    hensu_kensuu(env);
    if (shift) {
        // Rows i + 1 to last + 1 each move down by one; row last + 1 keeps its contents, so it
        // ends up equal to the row below it (blank when it is the spare row).
        const int above = last + 1;
        table.moveRow(i, above);
        auto& moved = table[above];
        const auto& below = table[last];
        for (int f = 0; f < 10; ++f) {
            moved[f] = below[f];
        }
    }
    return last;
}

void restoreBatch(Env& env) {
    State& st = env.st;
    while (st.DeletedCount > 0 && value(st.DeletedTable[st.DeletedCount - 1][10]) == st.DeleteBatchCount) {
        auto& kept = st.DeletedTable[st.DeletedCount - 1];
        auto& spare = st.ReservationTable[st.ReservationCount];
        for (int f = 0; f < 10; ++f) {
            spare[f] = std::move(kept[f]);
            kept[f].clear();
        }
        st.DeletedCount = add16(st.DeletedCount, -1);
        tuika_mein(env);
    }
}

void recordName(Env& env, std::int16_t side) {
    State& st = env.st;
    if (side < 0) {
        throwSubscript();
    }
    const int s = side > 0 ? 1 : 0;
    const std::string& name = st.EntryRow[3];
    if (name.empty()) {
        return;
    }
    const int count = st.NameHistoryCount[s];
    const int found = st.NameHistory.findLast(s, name, count);
    const int k = found >= 0 ? found : count;
    Fields fields;
    for (int f = 0; f < 10; ++f) {
        fields[f] = st.EntryRow[f];
    }
    st.NameHistory.set(s, k, fields);
    if (k == count) {
        st.NameHistoryCount[s] = add16(st.NameHistoryCount[s], 1);
        hensu_kensuu(env);
    }
}

std::string checkName(Env& env, std::string_view name, std::string* storable) {
    auto box = [&](const char* text) {
        env.messages.show(text, kTitle, platform::Buttons::Ok, platform::Icon::None, platform::Answer::Ok);
    };
    std::string result;
    if (name.find(',') != std::string_view::npos) {
        box(kCommaBox);
        result = kForbidden;
    }
    if (name.find('\'') != std::string_view::npos) {
        box(kQuoteBox);
        result = kForbidden;
    }
    // The data file keeps one line per row in code page 932: a control character would cut
    // or split the line, and a character without a code page 932 form would be lost.
    bool control = false;
    for (const char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) {
            control = true;
            break;
        }
    }
    const auto encoded = control ? std::nullopt : env.codePage.encode(name);
    if (control || !encoded) {
        box(kUnstorableBox);
        result = kForbidden;
    }
    if (utf8::length(name) > kNameMaxLength) {
        box(kTooLongBox);
        result = result.empty() ? kTooLong : result;
    }
    if (storable != nullptr) {
        *storable = encoded ? env.codePage.decode(*encoded) : std::string(name);
    }
    return result;
}

} // namespace

void hensu_kensuu(Env& env) {
    guarded(env.errors, kHensuKensuu, [&] {
        State& st = env.st;
        if (st.ReservationCount >= st.TableCapacity[0]) {
            st.ReservationTable.growTo(st.ReservationCount);
            st.TableCapacity[0] = st.ReservationCount;
        }
        const std::int16_t c = std::max(st.NameHistoryCount[0], st.NameHistoryCount[1]);
        if (c >= st.TableCapacity[1]) {
            st.NameHistory.growTo(c);
            st.TableCapacity[1] = c;
        }
        if (st.DeletedCount >= st.TableCapacity[2]) {
            st.DeletedTable.growTo(st.DeletedCount);
            st.TableCapacity[2] = st.DeletedCount;
        }
        if (st.NoticeCount >= st.TableCapacity[3]) {
            st.NoticeTable.growTo(st.NoticeCount);
            st.NoticeTextTable.growTo(st.NoticeCount);
            st.TableCapacity[3] = st.NoticeCount;
        }
    });
}

void tuika03(Env& env, std::int16_t sideCode) {
    guarded(env.errors, kTuika03, [&] { buildSpareRow(env, sideCode); });
}

void tuika_mein(Env& env) {
    guarded(env.errors, kTuikaMein, [&] { addSpareRow(env); });
}

std::int16_t narabikae(Env& env, std::int16_t n) {
    return guardedOr(env.errors, kNarabikae, std::int16_t{0}, [&] { return sortIn(env, n); });
}

std::int16_t hSakujo(Env& env, std::int16_t i) {
    return guarded(env.errors, kHSakujo, [&] {
        env.st.ReservationTable.blank(i);
        return i;
    });
}

std::int16_t sakujo01(Env& env, std::int16_t i, std::int16_t last) {
    // A refused delete has moved nothing. Its result is -1, never a row index, so that the caller
    // does not take it for the new count: 0 would empty the table when the only row was deleted.
    return guardedOr(env.errors, kSakujo01, std::int16_t{-1}, [&] { return deleteRow(env, i, last); });
}

void sakujyo_modosu(Env& env) {
    guarded(env.errors, kSakujyoModosu, [&] { restoreBatch(env); });
}

void rireki01(Env& env, std::int16_t side) {
    guarded(env.errors, kRireki01, [&] { recordName(env, side); });
}

std::string mojikensa(Env& env, std::string_view name, std::string* storable) {
    return guarded(env.errors, kMojikensa, [&] { return checkName(env, name, storable); });
}

std::string suu_syusei(Env& env, std::string_view text, int f, int sideCode) {
    return guarded(env.errors, kSuuSyusei, [&] { return normalizeField(env, text, f, sideCode); });
}

} // namespace mayorin::core
