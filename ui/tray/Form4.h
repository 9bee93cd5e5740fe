#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QPointer>
#include <QWidget>

#include "notify/Resident.h"
#include "persist/WindowHooks.h"
#include "ui/UiContext.h"

class QAction;
class QCloseEvent;
class QMenu;
class QTimer;

namespace mayorin::ui {

class TrayIcon;

// The hidden resident window: lives as long as the process, is never shown, and owns the tray
// icon with its menu, the 200 ms tick and the resident controller that both drive. It is also
// what the error reporter and the controller reach when they need the windows or the tray.
class Form4 final : public QWidget,
                    public notify::NoticeWindowHost,
                    public notify::ResidentShell,
                    public persist::ResidentHost,
                    public persist::MessageDialogHost {
    Q_OBJECT

public:
    explicit Form4(UiContext& ctx);
    ~Form4() override;

    // Runs the start-up with the data folder (persist/Folders.h). The tick runs from construction on, so
    // ticks during start-up dialogs find an empty store. A close asked for while the start-up
    // is still running is carried out after it, so the data file is read before it is written.
    void start(const std::string& dataFolder);

    // The close the operating system asks for (log-off, SIGTERM, SIGHUP, SIGINT, the session
    // manager): closes the message dialog and any other modal dialog without taking their closing
    // as an answer, then shuts the program down without the exit question. From then on no message
    // box or dialog waits for an answer. A second start still showing its duplicate-start warning
    // ends at once instead, as the warning's close box ends it.
    void closeFromSystem();

    // The end when the process is exiting under the event loop because the display connection was
    // lost: data file, end log line and running marker, touching nothing that needs the display.
    // Does nothing once the program has ended, or while the duplicate-start warning is up.
    void endWithoutDisplay();

    // The tray menu's exit items: 0 "終了", 1 "レジストリを削除して終了。".
    void tasuku_aikon_syuryou_Click(int index);

    // True once the shut-down has ended the program (the event loop is told to exit).
    bool hasEnded() const { return m_ended; }
    // True from the start of the shut-down (after the exit question) on.
    bool isShuttingDown() const { return m_unloading || m_ended; }

    notify::ResidentController& controller() { return *m_controller; }
    // The desktop notification beside the notification window, none where there is none.
    NoticeNotification* desktopNotification() const { return m_ctx.desktop; }
    TrayIcon* trayIcon() const { return m_tray; }
    QMenu* trayMenu() const { return m_menu; }
    QTimer* tickTimer() const { return m_tick; }

    // notify::NoticeWindowHost
    void openNoticeWindow() override;
    void insertNoticeLine(const std::string& line) override;
    void appendNoticeLine(const std::string& line) override;
    void selectTopNotice() override;

    // notify::ResidentShell
    void addTrayIcon() override;
    void removeTrayIcon() override;
    void setMessageItemVisible(bool visible) override;
    void messeiji(int forced) override;
    void closeMessageDialog() override;
    void closeOtherWindows() override;
    void endProcess() override;
    void setTickEnabled(bool enabled) override;
    void handOverToRunningInstance(const std::string& heldFolder) override;
    void sayOnStandardError(const std::string& line) override;

    // persist::ResidentHost: the close happens once the current event has been handled.
    void requestClose() override;
    // persist::MessageDialogHost
    void showMessageDialog() override;

protected:
    // The window's own close command asks like the tray menu's "終了" does.
    void closeEvent(QCloseEvent* event) override;

private:
    enum class Pending { None, User, System };

    // Names the soonest reservation in the tray tip, when it is another than the tip names.
    void followSoonest();

    void askClose(Pending reason);
    void processClose();
    void buildMenu();
    bool duplicateStartWarningShown() const;

    UiContext& m_ctx;
    std::unique_ptr<notify::ResidentController> m_controller;
    QTimer* m_tick = nullptr;
    TrayIcon* m_tray = nullptr;
    QMenu* m_menu = nullptr;
    QAction* m_messageItem = nullptr;

    Pending m_pending = Pending::None;
    bool m_loading = false;   // start-up is running
    bool m_asking = false;    // the exit question is running
    bool m_unloading = false; // the shut-down is running
    bool m_ended = false;
    bool m_systemClose = false;                  // the system asked for the end: nothing waits for an answer
    bool m_displayGone = false;                  // nothing may touch the display
    std::vector<QPointer<QWidget>> m_unanswered; // message dialogs shown without waiting

    // The soonest reservation as the tray tip names it, by its second and name.
    bool m_tipNamesOne = false;
    std::string m_tipSecond;
    std::string m_tipName;
};

} // namespace mayorin::ui
