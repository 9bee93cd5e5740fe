#include "notify/Resident.h"

#include <cstring>
#include <string_view>

#include "core/Calendar.h"
#include "core/Guard.h"
#include "core/Pause.h"
#include "core/Store.h"
#include "core/TextValue.h"
#include "notify/DueNotice.h"
#include "notify/Recalc.h"
#include "persist/DataFile.h"

namespace mayorin::notify {

namespace {

constexpr std::string_view kFormLoadLocation = "Form_Load F4";
constexpr std::string_view kTimerLocation = "Timer1_Timer F4";
constexpr std::string_view kQueryUnloadLocation = "Form_QueryUnload F4";
constexpr std::string_view kUnloadLocation = "Form_Unload F4";
constexpr std::string_view kOwariLocation = "owari F4";
constexpr std::string_view kCommitDataLocation = "commitDataRequest F4";

constexpr const char* kWindowOpen = "作業中";
constexpr const char* kAbnormalEndText = " 異常終了するため、変更になった内容は保存されません。";

// Above this many reported errors nothing is saved at the end.
constexpr int kMaxErrorsForNormalEnd = 2;

// A notice that waits for its answer sounds again this many seconds after the chime last started,
// until this many seconds after the last new notice: a machine left alone does not ring for days.
constexpr long long kRepeatEvery = 20;
constexpr long long kRepeatFor = 10 * 60;

std::string revisionText() {
    return std::to_string(core::kRevision);
}

// The present moment as two log columns, date and clock.
std::string logStamp(core::Env& env) {
    return core::byouModosu(env, core::decimalText(core::genByou(env)), 3);
}

} // namespace

void ResidentController::formLoad(const std::string& dataFolder) {
    core::guarded(m_env.errors, kFormLoadLocation, [&] {
        core::State& st = m_env.st;
        st.AppDir = dataFolder;
        // The folder's lock comes before anything reads or writes its data file. A data file
        // linked into another folder is locked there too: program folders that share one file
        // through links meet in its folder.
        using Outcome = persist::InstanceLock::Outcome;
        const std::string linkedFolder = persist::linkedDataFolder(st);
        std::string heldFolder;
        std::string unlockedFolder; // the first folder whose lock cannot tell
        int unlockedError = 0;
        const auto lock = [&](persist::InstanceLock& folderLock, const std::string& folder) {
            const Outcome outcome = folderLock.take(folder);
            if (outcome == Outcome::HeldElsewhere) {
                heldFolder = folder;
            } else if (outcome == Outcome::CannotTell && unlockedFolder.empty()) {
                unlockedFolder = folder;
                unlockedError = folderLock.cannotTellError();
            }
            return outcome != Outcome::HeldElsewhere;
        };
        if (lock(m_lock, st.AppDir) && !linkedFolder.empty()) {
            lock(m_linkedLock, linkedFolder);
        }
        const bool heldElsewhere = !heldFolder.empty();
        if (!heldElsewhere && !unlockedFolder.empty()) {
            // Said before the duplicate-start box that a set marker now shows, which it explains.
            m_shell.sayOnStandardError("Mayorin。: フォルダー「" + unlockedFolder +
                                       "」をロックできないため、二重起動は起動中の印だけで確かめます。");
        }
        persist::registry1_F4(st, m_settings, m_dialog, m_env.errors,
                              heldElsewhere            ? Outcome::HeldElsewhere
                              : unlockedFolder.empty() ? Outcome::Taken
                                                       : Outcome::CannotTell);
        if (heldElsewhere) {
            // Whatever the answer, two live instances never write one data file.
            m_shell.handOverToRunningInstance(heldFolder);
            return;
        }
        m_shell.addTrayIcon();
        core::fillWeekdayNames(st);
        m_shell.messeiji(0);
        m_env.log.kiloku("▼起動　," + logStamp(m_env) + ",,,起動,Revision=" + revisionText() + ",,,,");
        if (!unlockedFolder.empty()) {
            const char* error = ::strerrorname_np(unlockedError);
            m_env.log.kiloku("※ロック," + logStamp(m_env) + ",,,フォルダーをロックできない," + unlockedFolder +
                             ",エラー=" + (error != nullptr ? error : std::to_string(unlockedError)) +
                             ",二重起動の確認=起動中の印,,");
        }
        core::hensu_kensuu(m_env);
        // Holding the lock, this instance is the only one that could own them; without it they
        // may be another instance's writes under way.
        if (unlockedFolder.empty()) {
            persist::removeLeftoverTemporaries(st);
        }
        // The core reads no settings: the rows read next move past holidays by this.
        st.WeekdaysSkipHolidays = m_settings.optionOn(persist::Option::WeekdaysSkipHolidays);
        // A read that stopped on an error leaves tables that do not hold what the file holds:
        // the end then leaves the file as it is.
        st.DataFileRead = persist::yomikomi01(m_env);
        m_shell.setMessageItemVisible(!m_settings.releaseMessage().empty());
    });
}

void ResidentController::tick() {
    if (m_ticking) {
        return;
    }
    m_ticking = true;
    struct Done {
        bool& ticking;
        ~Done() { ticking = false; }
    } done{m_ticking};
    core::guarded(m_env.errors, kTimerLocation, [&] {
        core::State& st = m_env.st;
        // Once an error has been reported the program is on its way out. A row whose handling
        // failed would otherwise be due again at every tick and fail again, stacking error reports
        // while the first error dialog is still open.
        if (st.ErrorCount > 0) {
            return;
        }
        if (followClock() > 0) {
            persist::kakikomiAfterNotice(m_env);
        }
        repeatSound();
        if (st.ReservationCount == 0) {
            return;
        }
        // The soonest row is the last used row; a paused one stands last only when nothing runs.
        const double now = core::genByou(m_env);
        if (!core::dueAt(st.ReservationTable[st.ReservationCount - 1], now)) {
            return;
        }
        // A weekday row due on a holiday while holidays are skipped (the clock was set across days)
        // gives no notice: it only moves on, and is kept once no other row is due.
        if (passOverHoliday(m_env)) {
            if (!core::dueAt(st.ReservationTable[st.ReservationCount - 1], now)) {
                persist::kakikomiAfterNotice(m_env);
            }
            return;
        }
        if (st.NoticeWindowState != kWindowOpen) {
            m_shell.closeMessageDialog();
            m_notices.openNoticeWindow();
            osirase_saihyouji();
        }
        core::hensu_kensuu(m_env);
        const std::string line = hyouji_F2(m_env, core::add16(st.ReservationCount, -1));
        m_notices.insertNoticeLine(line);
        saikeisan_F2(m_env, core::add16(st.ReservationCount, -1));
        // Rows due together are kept once, after the last of them: when the soonest row left is
        // not due at this tick's second.
        if (st.ReservationCount == 0 || !core::dueAt(st.ReservationTable[st.ReservationCount - 1], now)) {
            persist::kakikomiAfterNotice(m_env);
        }
        m_notices.selectTopNotice();
        const long long boot = m_env.clock.bootSeconds();
        st.NoticeWaits = true;
        st.NewNoticeAt = boot;
        // A notice within about two seconds of the last sound start does not restart the sound.
        if (st.NoticeSoundCounter > 20 || st.NoticeSoundCounter == 0) {
            st.NoticeSoundCounter = 1;
            st.SoundStartedAt = boot;
        }
    });
}

void ResidentController::repeatSound() {
    core::State& st = m_env.st;
    if (!st.NoticeWaits) {
        return; // at rest, this test is all the repeat costs a tick
    }
    // The boot-time clock: a wall clock set meanwhile neither hurries nor holds up the repeat.
    const long long boot = m_env.clock.bootSeconds();
    if (boot - st.NewNoticeAt >= kRepeatFor) {
        st.NoticeWaits = false;
        return;
    }
    if (boot - st.SoundStartedAt < kRepeatEvery) {
        return;
    }
    // The option is read when it is used: turned on while a notice waits, the repeat begins. The
    // window's sound cycle plays nothing while the sound itself is off.
    st.SoundStartedAt = boot;
    if (m_settings.optionOn(persist::Option::RepeatSound)) {
        st.NoticeSoundCounter = 1; // the notification window starts the chime at its next step
    }
}

int ResidentController::followClock() {
    // The frame and the countdowns move together, here only: a row stamped since the last tick was
    // stamped on the frame the table was on, and moves with the others.
    const double moved = m_env.st.Frame.move(m_env.clock);
    return moved != 0 ? tokeiHosei(m_env, moved) : 0;
}

void ResidentController::osirase_saihyouji() {
    const core::State& st = m_env.st;
    for (int n = st.NoticeCount - 1; n >= 0; --n) {
        m_notices.appendNoticeLine(noticeLine(st, n));
    }
}

void ResidentController::owari(int index) {
    core::guarded(m_env.errors, kOwariLocation, [&] {
        if (index == 1) {
            m_env.st.DeleteSettingsOnExit = 1;
        }
    });
}

bool ResidentController::queryUnload(CloseReason reason) {
    // A failure here lets the close go ahead: the error report asks for it anyway.
    return core::guardedOr(m_env.errors, kQueryUnloadLocation, true, [&] {
        core::State& st = m_env.st;
        m_shell.setTickEnabled(false);
        if (st.ErrorCount < 1 && reason == CloseReason::User) {
            const std::string text =
                std::string(st.DeleteSettingsOnExit == 1 ? "レジストリを削除して" : "") + "終了しますか？";
            const platform::Answer answer = m_env.messages.show(text, core::kTitle, platform::Buttons::YesNo,
                                                                platform::Icon::None, platform::Answer::No);
            // A box closed by a log-off is nobody's "No": the close goes ahead.
            if (answer == platform::Answer::No) {
                m_shell.setTickEnabled(true);
                st.DeleteSettingsOnExit = 0;
                return false;
            }
        }
        return true;
    });
}

void ResidentController::unload() {
    core::guarded(m_env.errors, kUnloadLocation, [&] {
        core::State& st = m_env.st;
        m_shell.setTickEnabled(false);
        m_shell.closeOtherWindows();
        // The tick has stood still since the exit question (or since an error): a clock set meanwhile
        // is followed now, so that the file the end writes keeps the countdowns' real moments.
        if (st.DataFileRead && st.ErrorCount <= kMaxErrorsForNormalEnd) {
            followClock();
        }
        // A start-up that failed before reading the data file, or a read that stopped on an error,
        // leaves tables that do not hold the user's reservations: writing them would lose some.
        saveAndLogTheEnd(st.DataFileRead, true);
        m_shell.removeTrayIcon();
        m_settings.ClearRunningMarker(st.AppDir);
        m_shell.endProcess();
    });
}

void ResidentController::commitData() {
    core::guarded(m_env.errors, kCommitDataLocation, [&] {
        const core::State& st = m_env.st;
        if (!st.DataFileRead || st.ErrorCount > 0) {
            return;
        }
        persist::kakikomiAfterNotice(m_env);
    });
}

void ResidentController::endWithoutDisplay() {
    core::guarded(m_env.errors, kUnloadLocation, [&] {
        // Only a start-up that has read the data file whole may write it: otherwise the tables
        // hold nothing, or part of what the file holds.
        saveAndLogTheEnd(m_env.st.DataFileRead, false);
        m_settings.ClearRunningMarker(m_env.st.AppDir);
    });
}

void ResidentController::saveAndLogTheEnd(bool writeDataFile, bool abnormalEndBox) {
    core::State& st = m_env.st;
    // Errors reported during the shut-down itself count too: once they bring the count above
    // two, nothing more is saved and the end is the abnormal one.
    const auto normalEnd = [&st] { return st.ErrorCount <= kMaxErrorsForNormalEnd; };
    if (normalEnd() && st.DeleteSettingsOnExit == 1) {
        m_settings.deleteAll();
    }
    if (normalEnd() && writeDataFile) {
        persist::kakikomi01(m_env);
    }
    if (normalEnd()) {
        m_env.log.kiloku("▲終了　," + logStamp(m_env) + ",,,終了,Revision=" + revisionText() +
                         ",レジストリ=" + std::to_string(st.DeleteSettingsOnExit) +
                         ",エラー回数=" + std::to_string(st.ErrorCount) + ",,");
    } else {
        // Too many errors: the tables may be damaged, so the data file keeps what it had.
        if (abnormalEndBox) {
            m_env.messages.show(kAbnormalEndText, core::kTitle, platform::Buttons::Ok, platform::Icon::None);
        }
        m_env.log.kiloku("▲終了Ｅ," + logStamp(m_env) + ",,,異常終了,Revision=" + revisionText() +
                         ",,エラー回数=" + std::to_string(st.ErrorCount) + ",,");
    }
}

} // namespace mayorin::notify
