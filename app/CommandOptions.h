#pragma once

#include <array>
#include <string_view>

// The ways of using the command line, one row each: --help prints the Japanese texts, and the
// build makes the manual pages (Japanese and English) and the shell completion from the same rows.
// A new option is a new row, or a word in the synopsis of a row.
namespace mayorin::app {

struct CommandOption {
    std::string_view synopsis;   // as --help shows it: options, values, the display name
    std::string_view synopsisEn; // the same with the English manual page's names for the values
    std::string_view text;       // what it does, one line of --help each ('\n' between them)
    std::string_view textEn;     // the same, in English, for the manual page
    std::string_view examples;   // command lines, one each ('\n' between them)
};

inline constexpr std::array<CommandOption, 10> kCommandOptions{{
    {"--open", "--open", "予約画面を開きます。起動していなければ、起動してから開きます（起動には画面が必要です）。",
     "Opens the entry window. When the program is not running, it starts first and then opens it (a start needs a "
     "display).",
     "mayorin --open"},
    {"--timer H:MM[:SS] 表示名", "--timer H:MM[:SS] NAME", "タイマーを開始します（開始→終了迄の時間）。",
     "Starts a single countdown of the given length.", "mayorin --timer 0:25 作業"},
    {"--timer H:MM[:SS] --rest H:MM[:SS] --repeat N 表示名", "--timer H:MM[:SS] --rest H:MM[:SS] --repeat N NAME",
     "繰返しタイマーを開始します（終了→開始迄の休憩時間と繰り返し回数）。\n"
     "--rest は --repeat と一緒に指定します。",
     "Starts a repeating countdown: the match time, then the rest time, for N cycles, with a notice at the start "
     "and at the end of every cycle. --rest goes only with --repeat.",
     "mayorin --timer 0:25 --rest 0:05 --repeat 4 作業"},
    {"--at HH:MM [--day D | --date M/D | --weekdays 曜日] [--once] 表示名",
     "--at HH:MM [--day D | --date M/D | --weekdays DAYS] [--once] NAME",
     "時刻に予定を予約します。--day は毎月の日、--date は月日、--weekdays は曜日です。\n"
     "--once を付けると今回のみ、付けなければ毎回お知らせします。",
     "Reserves an alarm at a time of day: every day, with --day on a day of every month, with --date on a month "
     "and day of every year, with --weekdays on a set of weekdays (月 火 水 木 金 土 日, a range such as 月～金). "
     "With --once it rings this time only, otherwise every time.",
     "mayorin --at 7:30 起床\n"
     "mayorin --at 9:00 --day 25 給料日\n"
     "mayorin --at 10:00 --date 12/25 --once 記念日\n"
     "mayorin --at 8:15 --weekdays 月～金 朝会"},
    {"--pause [表示名]", "--pause [NAME]",
     "動いているタイマー・繰返しタイマー・延長を一時停止します（残り時間はそのまま）。\n"
     "表示名を付けるとその表示名のものだけ、付けなければすべてです。変わった予約内容を表示します。",
     "Pauses the running countdowns (timers, repeating timers and extensions), which keep the time they have "
     "left: with a display name those of that name, without one all of them. Prints the reservations it changed.",
     "mayorin --pause 作業"},
    {"--resume [表示名]", "--resume [NAME]",
     "一時停止中のタイマー・繰返しタイマー・延長を再開します。残っていた時間の後にお知らせします。",
     "Resumes the paused countdowns, with a display name those of that name; each gives its notice once the time "
     "it had left has run. Prints the reservations it changed.",
     "mayorin --resume 作業"},
    {"--list", "--list", "予約内容を、お知らせの近い順に、予約画面と同じ形で表示します。",
     "Prints the reservations, soonest first, as the entry window lists them.", "mayorin --list"},
    {"--quit", "--quit", "起動中の Mayorin。を、確認せずに終了します（予約は保存されます）。",
     "Ends the running program without asking, as its menu item 終了 would after the question; the reservations "
     "are saved. Returns once it has ended.",
     "mayorin --quit"},
    {"--help", "--help", "この説明を表示します。", "Prints every option with an example, in Japanese.",
     "mayorin --help"},
    {"--version", "--version", "バージョンを表示します。",
     "Prints the version and the folder that holds the reservations and the log.", "mayorin --version"},
}};

// What holds for every option, after the options in --help and in the manual pages.
struct CommandNote {
    std::string_view text;
    std::string_view textEn;
};

inline constexpr std::array<CommandNote, 3> kCommandNotes{{
    {"表示名は最後に書きます。「-」で始まる表示名は「--」の後に書きます（例: mayorin --timer 0:05 -- -休憩-）。",
     "The display name comes last. A display name that begins with \"-\" comes after \"--\" (for example "
     "mayorin --timer 0:05 -- -休憩-)."},
    {"表示名に半角の「,」と「'」は使えません。表示名は256文字までです。",
     "A display name cannot hold a half-width \",\" or \"'\" and has at most 256 characters."},
    {"-platform などの Qt のオプションはそのまま Qt に渡します。値は「=」でなく空白で区切ります（例: -platform "
     "offscreen）。",
     "Qt's own options such as -platform go to Qt as they are; their values follow a blank, not \"=\" (for "
     "example -platform offscreen)."},
}};

} // namespace mayorin::app
