#include "ui/tray/SessionEnd.h"

#include <csignal>
#include <cstdlib>
#include <unistd.h>

#include <QEvent>
#include <QGuiApplication>
#include <QObject>
#include <QPointer>
#include <QSessionManager>

#include "ui/notice/NoticeNotification.h"
#include "ui/tray/Form4.h"
#include "ui/tray/SystemSignals.h"

namespace mayorin::ui {
namespace {

// How long the end the system asked for may take before the process is ended anyway.
constexpr unsigned kGraceSeconds = 4;

QPointer<Form4> g_resident; // null once the resident window is gone

// Whatever the shut-down meets (a dialog, a hung file system), the process is gone soon:
// SIGALRM's default action ends it. The first request sets the time; later ones keep it.
void armWatchdog() {
    static bool armed = false;
    if (armed) {
        return;
    }
    armed = true;
    std::signal(SIGALRM, SIG_DFL);
    ::alarm(kGraceSeconds);
}

void closeFromSystem(Form4& resident) {
    if (resident.hasEnded()) {
        return;
    }
    armWatchdog();
    resident.closeFromSystem();
}

#if QT_CONFIG(sessionmanager)
// The session manager's die, the last step of a log-off, reaches the application as a quit, which
// would leave the event loop under the program: it ends the program the normal way instead.
class QuitFromSession final : public QObject {
public:
    explicit QuitFromSession(Form4& resident) : QObject(&resident), m_resident(resident) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != qApp || event->type() != QEvent::Quit) {
            return false;
        }
        closeFromSystem(m_resident);
        return true;
    }

private:
    Form4& m_resident;
};
#endif

extern "C" void onExit() {
    // After a normal end the resident window is gone (main returned) or has ended.
    if (g_resident != nullptr && !g_resident->hasEnded()) {
        armWatchdog();
        g_resident->endWithoutDisplay();
    }
    // The display went under the event loop, which no destructor outlives: the desktop notification
    // is withdrawn here, over the session bus that is still there.
    if (g_resident != nullptr && g_resident->desktopNotification() != nullptr) {
        g_resident->desktopNotification()->end();
    }
}

} // namespace

void connectSessionEnd(Form4& resident, bool signalsInstalled) {
    if (signalsInstalled) {
        auto* systemSignals = new SystemSignals(&resident);
        QObject::connect(systemSignals, &SystemSignals::closeRequested, &resident,
                         [&resident] { closeFromSystem(resident); });
    }
#if QT_CONFIG(sessionmanager)
    // A save of the session, a checkpoint or the first step of a log-off, is no end: the data file is
    // written and the program goes on until the session manager's die, the display gone or a signal.
    QObject::connect(qGuiApp, &QGuiApplication::commitDataRequest, &resident,
                     [&resident](QSessionManager&) { resident.controller().commitData(); });
    // The session is never to start it again: the log-in start is its only start, and a restored
    // session would start a second instance beside it. The session manager saves the state of a
    // client first as it registers, and the hint holds for every later save.
    QObject::connect(qGuiApp, &QGuiApplication::saveStateRequest, &resident,
                     [](QSessionManager& manager) { manager.setRestartHint(QSessionManager::RestartNever); });
    qGuiApp->installEventFilter(new QuitFromSession(resident));
#endif
}

void endOnLostDisplay(Form4& resident) {
    g_resident = &resident;
    static const bool registered = std::atexit(onExit) == 0;
    (void)registered;
}

} // namespace mayorin::ui
