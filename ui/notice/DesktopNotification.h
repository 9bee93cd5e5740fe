#pragma once

#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

#include "ui/notice/NoticeNotification.h"

class QDBusPendingCallWatcher;

namespace mayorin::ui {

// The desktop's notification service (org.freedesktop.Notifications on the session bus) as the
// notification window's companion. One notification at a time, kept as two things: what should
// be shown (the window's texts, or nothing) and what the service shows (its number, or nothing).
// Each change of either, each reply and each error brings the second in line with the first.
// Every call is asynchronous and waits as long as the service takes: a slow or hung service never
// holds the window up, and a late reply is still used. A missing service, one that refuses or one
// that shows no actions is passed over in silence, and a service that comes later is used from its
// arrival on.
class DesktopNotification final : public QObject, public NoticeNotification {
    Q_OBJECT

public:
    explicit DesktopNotification(QDBusConnection bus, QObject* parent = nullptr);
    // Ends as end() does: none is left behind whose answers nobody would serve.
    ~DesktopNotification() override;

    void show(const std::string& summary, const std::string& body, const std::vector<Action>& actions,
              Answer answer) override;
    void withdraw() override;
    void end() override;

private Q_SLOTS:
    void ActionInvoked(uint id, const QString& key);
    void NotificationClosed(uint id, uint reason);

private:
    enum class Service { Unknown, Asking, Usable, Unusable };

    // Texts to show, each version numbered: a reply names the version it was sent with.
    struct Texts {
        int version = 0;
        QString summary;
        QString body;
        QStringList actions; // key, label, key, label ...
        Answer answer;
    };
    // The Notify call on its way.
    struct Sending {
        QDBusPendingCall call;
        Texts texts;
    };

    void ownerChanged(const QString& newOwner);
    void askCapabilities();
    void capabilitiesAnswered(QDBusPendingCallWatcher* call, int owner);
    void notifyAnswered(QDBusPendingCallWatcher* call, int owner);
    // Brings what the service shows in line with what should be shown.
    void reconcile();
    void close(uint id);

    QDBusConnection m_bus;
    bool m_ended = false;
    Service m_service = Service::Unknown;
    bool m_markup = false; // the service reads the body as markup
    int m_owner = 0;       // counts the service's owners: a reply from an owner gone is ignored

    int m_versions = 0;
    std::optional<Texts> m_wanted; // what should be shown
    int m_refused = 0;             // the version the service turned down: not sent again
    uint m_shownId = 0;            // what the service shows, 0 when nothing
    int m_shownVersion = 0;
    Answer m_shownAnswer; // the answer of the texts the service shows
    std::optional<Sending> m_sending;
};

} // namespace mayorin::ui
