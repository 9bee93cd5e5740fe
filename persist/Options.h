#pragma once

#include <array>
#include <cstddef>
#include <string_view>

// The options of the entry window's 設定 menu: one row each, read by the menu, the settings store,
// the menu's reset item and the command line's help. A new option is a new row (and what it does).
namespace mayorin::persist {

// The section every option is kept under.
inline constexpr const char* kOptionSection = "settei";

enum class Option {
    Sound,                // a chime with each notice
    Log,                  // the operation log is written
    NamePick,             // picking a display name brings back its numbers
    ReservationPick,      // picking a reservation brings back its name and numbers
    DesktopNotification,  // each notice also goes to the desktop's notification service
    RepeatSound,          // the chime sounds again every 20 s until the notice is answered
    WeekdaysSkipHolidays, // no weekday alarm rings on a holiday
};

struct OptionRow {
    Option option;
    const char* key;     // under kOptionSection
    bool byDefault;      // a clean settings store, and the reset item
    int menuItem;        // index of its item settei_suru(i) in the 設定 menu
    const char* caption; // the check item's text
    const char* label;   // the option's name in the log line of its change
    const char* english; // what it does, in English, for the manual page
};

// The check items of the 設定 menu in the order the menu shows them; after them come the two items
// of the notice sound (items 10 and 11), a separator, 設定を初期状態に戻す (item 5) and 設定を終了
// (item 6). Item 4 is the separator; the options that came later took items 7, 8 and 9.
inline constexpr std::array<OptionRow, 7> kOptionTable{{
    {Option::Sound, "0", true, 0, "お知らせ時に音を鳴らす", "音を鳴らす", "A chime plays with each notice."},
    {Option::Log, "1", true, 1, "ログを保存する。", "ログの保存", "The operation log is written."},
    {Option::NamePick, "2", true, 2, "表示名選択時に数値を再現する。", "表示名選択",
     "Choosing a display name from the history fills the other boxes with the numbers kept with it."},
    {Option::ReservationPick, "3", true, 3, "予約内容選択時に表示名と数値を再現する。", "予約内容選択",
     "Selecting a reservation in the list fills the panel with its display name and numbers."},
    {Option::DesktopNotification, "4", true, 7, "お知らせをデスクトップにも通知する。", "デスクトップ通知",
     "Each notice also goes to the desktop's notification service."},
    {Option::RepeatSound, "5", false, 9, "お知らせの音を、答えるまで繰り返す。", "音の繰り返し",
     "The chime plays again every 20 seconds until the notice is answered, for at most 10 minutes after the "
     "last new notice."},
    {Option::WeekdaysSkipHolidays, "6", false, 8, "曜日時刻は祝日を除く。", "祝日を除く",
     "No weekday alarm (曜日時刻) rings on a Japanese public holiday: it moves on to its next day."},
}};

inline constexpr std::size_t kOptionCount = kOptionTable.size();

// The menu's items that are not options.
inline constexpr int kSeparatorItem = 4;
inline constexpr int kResetItem = 5;
inline constexpr int kCloseItem = 6;
// The notice sound: a WAV file of the user's own, and back to the program's chime.
inline constexpr int kChooseSoundItem = 10;
inline constexpr int kProgramSoundItem = 11;

// The user's own notice sound, a path under kOptionSection; empty or absent plays the program's chime.
inline constexpr const char* kOwnSoundKey = "oto";

// How many item indices the 設定 menu uses.
constexpr int menuItemCount() {
    int count = kProgramSoundItem + 1;
    for (const OptionRow& row : kOptionTable) {
        count = row.menuItem + 1 > count ? row.menuItem + 1 : count;
    }
    return count;
}
inline constexpr std::size_t kMenuItemCount = static_cast<std::size_t>(menuItemCount());

// The row of an option; every option has one.
constexpr const OptionRow& optionRow(Option option) {
    for (const OptionRow& row : kOptionTable) {
        if (row.option == option) {
            return row;
        }
    }
    return kOptionTable.front(); // not reached: the table holds every option
}

// Each option stands once in the table, with a key and a menu item of its own, and says what it does.
constexpr bool optionTableIsWhole() {
    for (std::size_t i = 0; i < kOptionCount; ++i) {
        if (kOptionTable[i].english == nullptr) {
            return false;
        }
        if (&optionRow(kOptionTable[i].option) != &kOptionTable[i]) {
            return false;
        }
        const int item = kOptionTable[i].menuItem;
        if (item == kSeparatorItem || item == kResetItem || item == kCloseItem || item == kChooseSoundItem ||
            item == kProgramSoundItem) {
            return false;
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (std::string_view(kOptionTable[j].key) == kOptionTable[i].key || kOptionTable[j].menuItem == item) {
                return false;
            }
        }
        if (std::string_view(kOptionTable[i].key) == kOwnSoundKey) {
            return false;
        }
    }
    return true;
}
static_assert(optionTableIsWhole());

} // namespace mayorin::persist
