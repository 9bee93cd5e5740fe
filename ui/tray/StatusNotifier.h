#pragma once

#include <QObject>
#include <QString>

class QDBusPendingCallWatcher;

namespace mayorin::ui {

// The status-notifier watcher of the session bus: its name (also its interface) and its object.
inline constexpr const char* kWatcherService = "org.kde.StatusNotifierWatcher";
inline constexpr const char* kWatcherPath = "/StatusNotifierWatcher";

// True when the session bus has a status-notifier watcher with a registered host: a panel that
// draws status-notifier items. False without a session bus. Asks and waits for the answer.
bool statusNotifierHostRegistered();

// Follows the session bus's status-notifier watcher: tells when a panel that draws
// status-notifier items comes (a watcher with a registered host) or goes. Panels often start
// after the program, at log-in, and may restart while it runs.
class StatusNotifierWatch final : public QObject {
    Q_OBJECT

public:
    // Starts with the present answer, asked for and waited for.
    explicit StatusNotifierWatch(QObject* parent = nullptr);

    bool hostPresent() const { return m_present; }

Q_SIGNALS:
    // The panel came or went; also sent, with true, when another watcher took the place of the
    // one there was, which knows nothing of items registered with its predecessor.
    void hostChanged(bool present);

private Q_SLOTS:
    void hostRegistrationChanged();

private:
    void ownerChanged(const QString& newOwner);
    // Asks the watcher whether a host is registered; the answer arrives later.
    void ask(bool newWatcher);
    void answered(QDBusPendingCallWatcher* call, bool newWatcher);

    bool m_present = false;
};

} // namespace mayorin::ui
