#pragma once

#include <string>

#include "core/Env.h"
#include "persist/InstanceLock.h"
#include "persist/Settings.h"
#include "persist/WindowHooks.h"

namespace mayorin::notify {

// Who asked for the resident window to close.
enum class CloseReason {
    User,   // the window's close command or the program itself (tray menu, error reporter)
    System, // the operating system ending the session (log-off, SIGTERM, SIGHUP, SIGINT)
};

// The notification window as the resident tick drives it.
class NoticeWindowHost {
public:
    virtual ~NoticeWindowHost() = default;
    // Opens the notification window (non-modal); its load sets NoticeWindowState to "作業中".
    virtual void openNoticeWindow() = 0;
    // Inserts a line at the top of its list.
    virtual void insertNoticeLine(const std::string& line) = 0;
    // Appends a line at the end of its list.
    virtual void appendNoticeLine(const std::string& line) = 0;
    // Selects list item 0, which shows its texts and sets the extend button.
    virtual void selectTopNotice() = 0;
};

// The windows and the tray as the resident controller drives them.
class ResidentShell {
public:
    virtual ~ResidentShell() = default;
    virtual void addTrayIcon() = 0;                       // "tasuku_aicon1 F4"
    virtual void removeTrayIcon() = 0;                    // "tasuku_aicon2 F4"
    virtual void setMessageItemVisible(bool visible) = 0; // tray menu item "メッセージ"
    // Shows the start-up message of this release (messeiji with the given forced flag).
    virtual void messeiji(int forced) = 0;
    // Closes the message dialog if it is open (by the program: no button action runs).
    virtual void closeMessageDialog() = 0;
    // Closes the entry window, the notification window, the display-name editor and the
    // message dialog, each running its own closing steps if it was open.
    virtual void closeOtherWindows() = 0;
    // Ends the process at once (the last step of the shut-down).
    virtual void endProcess() = 0;
    // A second start on a folder that a live instance holds (heldFolder): asks that instance to
    // show its entry window, then ends this process at once, with nothing read, saved, logged or
    // cleared.
    virtual void handOverToRunningInstance(const std::string& heldFolder) = 0;
    // Writes one line of the program's own words on standard error.
    virtual void sayOnStandardError(const std::string& line) = 0;
    // Enables or disables the 200 ms tick.
    virtual void setTickEnabled(bool enabled) = 0;
};

// The resident window's logic: start-up, the 200 ms tick, exit confirmation and shut-down.
class ResidentController {
public:
    ResidentController(core::Env& env, persist::Settings& settings, persist::MessageDialogHost& dialog,
                       NoticeWindowHost& notices, ResidentShell& shell)
        : m_env(env), m_settings(settings), m_dialog(dialog), m_notices(notices), m_shell(shell) {}
    ResidentController(const ResidentController&) = delete;
    ResidentController& operator=(const ResidentController&) = delete;

    // Start-up, with the data folder that AppDir is set to (persist/Folders.h). The data folder's
    // lock is taken first and kept for the life of the controller: a start that finds it held by a
    // live instance shows the duplicate-start box and hands over to that instance, whatever the
    // answer. Where the folder takes no lock, the running marker decides alone, and the start says
    // so once on standard error and in the log.
    // "Form_Load F4".
    void formLoad(const std::string& dataFolder);
    // Lets the data folder's lock go, once the end has written everything.
    void releaseFolderLock() {
        m_lock.release();
        m_linkedLock.release();
    }
    // One tick: notifies at most one due row. "Timer1_Timer F4".
    void tick();
    // Appends every pending notice to the notification window's list, newest first.
    void osirase_saihyouji();
    // Exit request from the tray menu (0 "終了", 1 "レジストリを削除して終了。"); the caller then
    // asks for the resident window to close. "owari F4".
    void owari(int index);
    // Exit confirmation; returns false when the close is cancelled. "Form_QueryUnload F4".
    bool queryUnload(CloseReason reason);
    // Shut-down: closes the other windows, saves or not by ErrorCount, removes the tray icon,
    // clears the running marker and ends the process. "Form_Unload F4".
    void unload();
    // A save of the session (the session manager's checkpoint, or the first step of a log-off) is no
    // end: the data file is written, without a log line, and the program goes on. It is written only
    // as the end would write it: not once an error has been reported (the end then decides), nor
    // when the start-up has not read it whole. "commitDataRequest F4".
    void commitData();
    // The end when the process is already exiting under the event loop (the display connection was
    // lost): saves or not by ErrorCount as the shut-down does, without the abnormal-end box, and
    // clears the running marker. Touches no window and not the tray; the data file is written only
    // when the start-up read it whole. "Form_Unload F4".
    void endWithoutDisplay();

private:
    core::Env& m_env;
    persist::Settings& m_settings;
    persist::MessageDialogHost& m_dialog;
    NoticeWindowHost& m_notices;
    ResidentShell& m_shell;
    // The deletion of the settings, the data file and the end's log line, by ErrorCount.
    void saveAndLogTheEnd(bool writeDataFile, bool abnormalEndBox);

    // Held from the start-up on: no other live instance reads or writes this folder's data file.
    persist::InstanceLock m_lock;
    persist::InstanceLock m_linkedLock; // the folder a linked data file lives in

    // True while a tick runs: a modal box shown inside it must not run another tick in its loop.
    bool m_ticking = false;

    // Sounds the chime again, through the notification window's sound cycle, while a notice waits
    // for its answer and the option to repeat it is on.
    void repeatSound();

    // Moves the table's clock frame to the clock as it is now: when the wall clock was set or the
    // zone changed since the last tick, countdowns are moved by as much. Returns the number of
    // reservations moved; the caller writes the data file.
    int followClock();
};

} // namespace mayorin::notify
