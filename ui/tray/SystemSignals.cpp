#include "ui/tray/SystemSignals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace mayorin::ui {
namespace {

// [0] written by the handler, [1] read by the notifier.
int g_pair[2] = {-1, -1};

extern "C" void onSignal(int) {
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds a pending wake-up; losing this byte loses nothing.
    [[maybe_unused]] const ssize_t n = ::write(g_pair[0], &byte, 1);
    errno = saved;
}

} // namespace

bool SystemSignals::install() {
    if (g_pair[0] >= 0) {
        return true;
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pair) != 0) {
        g_pair[0] = g_pair[1] = -1;
        return false;
    }
    ::fcntl(g_pair[0], F_SETFL, ::fcntl(g_pair[0], F_GETFL) | O_NONBLOCK);
    ::fcntl(g_pair[1], F_SETFL, ::fcntl(g_pair[1], F_GETFL) | O_NONBLOCK);

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    bool ok = true;
    for (const int sig : {SIGTERM, SIGHUP, SIGINT}) {
        ok = ::sigaction(sig, &action, nullptr) == 0 && ok;
    }
    return ok;
}

SystemSignals::SystemSignals(QObject* parent) : QObject(parent) {
    if (g_pair[1] < 0) {
        return;
    }
    m_notifier = new QSocketNotifier(g_pair[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char buffer[64];
        bool any = false;
        while (::read(g_pair[1], buffer, sizeof buffer) > 0) {
            any = true;
        }
        if (any) {
            emit closeRequested();
        }
    });
}

} // namespace mayorin::ui
