#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/ClockFrame.h"
#include "core/RowTable.h"

namespace mayorin::core {

// Ten text fields: 0 empty (a paused countdown keeps its seconds left there), 1 KindCode,
// 2 RepeatMode, 3 display name, 4 to 8 the kind's settings, 9 NextSecond.
using Fields = std::array<std::string, 10>;

enum Field : int {
    kKindCode = 1,
    kRepeatMode = 2,
    kName = 3,
    kNextSecond = 9,
};

// The display-name history of both sides (0 timer side, 1 schedule side). Each entry is a
// copy of a row keyed by its display name (field 3). Finding a name is a hash lookup, not a
// scan, and gives the same answer as scanning for the last entry with that name.
class NameHistoryTable {
public:
    // Highest entry index that exists on each side; -1 before the first growth.
    int top() const { return static_cast<int>(m_entries[0].size()) - 1; }
    // Makes entries 0 to top exist on both sides; new entries are blank.
    void growTo(int top);

    // Entry i of a side; an index outside the table is a subscript failure.
    const Fields& entry(int side, int i) const;
    // The same for writing. Use set() where possible: writing through edit() makes the next
    // lookup rebuild its index.
    Fields& edit(int side, int i);
    // Writes entry i and keeps the name index up to date.
    void set(int side, int i, const Fields& fields);

    // The last entry among 0 to count whose field 3 equals name exactly, or -1.
    int findLast(int side, std::string_view name, int count);

private:
    void rebuild(int side);

    std::array<std::vector<Fields>, 2> m_entries;
    std::array<std::unordered_map<std::string, std::vector<int>>, 2> m_index;
    std::array<bool, 2> m_stale{true, true};
};

// The program's module-level tables and window-state values. One object holds them all, so
// that a test builds a fresh program state in one line.
struct State {
    // Reservations in descending order of NextSecond, paused countdowns before every other row:
    // the soonest row is the last used row, and a blank spare row stands at index ReservationCount.
    RowTable<10> ReservationTable;
    std::int16_t ReservationCount = 0;
    std::int16_t ReservationInsertPos = 0;

    // The row under construction; slot 0 carries the record type of a data file line, slot 10
    // whatever a line holds past its tenth field.
    std::array<std::string, 11> EntryRow;

    // Rows removed by delete operations: fields 0 to 9 of the row, field 10 its batch number.
    RowTable<11> DeletedTable;
    std::int16_t DeletedCount = 0;
    std::int16_t DeleteBatchCount = 0;

    NameHistoryTable NameHistory;
    std::array<std::int16_t, 2> NameHistoryCount{0, 0};

    // Top indices of ReservationTable, NameHistory, DeletedTable and the two notice tables.
    std::array<std::int16_t, 4> TableCapacity{0, 0, 0, 0};

    // Pending notices, oldest first: a copy of the due row, and its three display texts.
    RowTable<10> NoticeTable;
    RowTable<10> NoticeTextTable;
    std::int16_t NoticeCount = 0;

    // "日" to "土" twice, index 0 = Sunday; filled at start-up.
    std::array<std::string, 14> WeekdayNames;

    // The option "曜日時刻は祝日を除く。": no weekday row has its next notice on a holiday. The core
    // reads no settings: the resident program sets this from them at start-up, before the data file
    // is read, and each time the option changes (syukujituHosei).
    bool WeekdaysSkipHolidays = false;

    // The clock the reservation table, the pending notices and the deleted rows are kept on; only
    // the resident tick moves it, together with their countdowns.
    ClockFrame Frame;

    // Folder of the data file, the log folder and the lock, without a trailing separator: the
    // directory of the executable, or the account's data folder in the Debian package.
    std::string AppDir;
    // Directory of the executable, without a trailing separator; the chime and the help are looked
    // for there first.
    std::string ProgramDir;

    bool EntryWindowOpen = false;
    std::string NoticeWindowState;           // "作業中" open, "休業中" closed, empty before first open
    std::int16_t NoticeSoundCounter = 0;     // 0 idle, 1 start at the next step, 2 to 50 steps since
    // A notice in the notification window that nobody has answered yet, and when, on the boot-time
    // clock, the last new notice came and the chime last started: the resident tick sounds the
    // chime again from these while the option to repeat it is on.
    bool NoticeWaits = false;
    long long NewNoticeAt = 0;
    long long SoundStartedAt = 0;
    std::string HistoryEditorState;          // "作業中" open, "休業中" closed
    std::int16_t HistorySideEdited = 0;      // 0 timer side, 1 schedule side
    int DeleteSettingsOnExit = 0;            // 1 when the exit deletes the settings
    std::int16_t ErrorCount = 0;
    // The start-up has read the data file whole: before that, or after a read that stopped on an
    // error, the tables do not hold what the file holds, and the end must not write them over it.
    bool DataFileRead = false;
    int MessageMode = 0;                     // 0 version, 1 error, 5 start-up message, 6 duplicate start
    std::string MessageText;
};

// Fills WeekdayNames.
void fillWeekdayNames(State& st);

} // namespace mayorin::core
