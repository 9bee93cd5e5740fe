#pragma once

#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

#include "ui/notice/NoticeNotification.h"

class QDBusPendingCallWatcher;

namespace mayorin::ui {

// The desktop's notification service (org.freedesktop.Notifications on the session bus) as the
// notification window's companion. Every call is asynchronous: a slow or hung service never holds
// the window up. A missing service, one that refuses or one that shows no actions is passed over
// in silence, and a service that comes later is used from its arrival on. One notification at a
// time: a new notice replaces the texts of the one shown.
class DesktopNotification final : public QObject, public NoticeNotification {
    Q_OBJECT

public:
    explicit DesktopNotification(QDBusConnection bus, QObject* parent = nullptr);
    // Withdraws the notification shown, waiting a moment at most: none is left behind whose
    // answers nobody would serve.
    ~DesktopNotification() override;

    void show(const std::string& summary, const std::string& body, const std::vector<Action>& actions,
              Answer answer) override;
    void withdraw() override;

private Q_SLOTS:
    void ActionInvoked(uint id, const QString& key);
    void NotificationClosed(uint id, uint reason);

private:
    enum class Service { Unknown, Asking, Usable, Unusable };

    void ownerChanged(const QString& newOwner);
    void askCapabilities();
    void capabilitiesAnswered(QDBusPendingCallWatcher* call);
    // Sends the texts waiting, replacing the notification shown.
    void send();
    void sent(QDBusPendingCallWatcher* call);
    void close(uint id);

    QDBusConnection m_bus;
    Service m_service = Service::Unknown;
    bool m_markup = false; // the service reads the body as markup

    uint m_id = 0;            // the notification shown, 0 when none is
    bool m_sending = false;   // a Notify call is on its way
    bool m_waiting = false;   // texts wait to be sent
    bool m_withdrawn = false; // withdrawn while a Notify call was on its way
    QString m_summary;
    QString m_body;
    QStringList m_actions; // key, label, key, label ...
    Answer m_answer;

    std::optional<QDBusPendingCall> m_notify; // the Notify call on its way
    QList<QDBusPendingCall> m_closing; // CloseNotification calls not yet answered
};

} // namespace mayorin::ui
