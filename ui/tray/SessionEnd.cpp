#include "ui/tray/SessionEnd.h"

#include <csignal>
#include <cstdlib>
#include <unistd.h>

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
    // The session is ending: the program saves and ends now, with nothing left to ask.
    QObject::connect(qGuiApp, &QGuiApplication::commitDataRequest, &resident,
                     [&resident](QSessionManager&) { closeFromSystem(resident); });
#endif
}

void endOnLostDisplay(Form4& resident) {
    g_resident = &resident;
    static const bool registered = std::atexit(onExit) == 0;
    (void)registered;
}

} // namespace mayorin::ui
