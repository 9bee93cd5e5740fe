#include "ui/notice/DesktopNotification.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QVariantMap>

#include <algorithm>

#include "core/Env.h"
#include "platform/qt/QtText.h"

namespace mayorin::ui {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

// How long a call may take before it counts as unanswered; the end of the program waits this long
// at most for its withdrawal to arrive.
constexpr int kCallMs = 2000;
constexpr int kEndMs = 500;

QDBusMessage call(const char* method) {
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, QString::fromLatin1(method));
}

QString escapedMarkup(const QString& text) {
    return text.toHtmlEscaped();
}

} // namespace

DesktopNotification::DesktopNotification(QDBusConnection bus, QObject* parent) : QObject(parent), m_bus(bus) {
    if (!m_bus.isConnected()) {
        return;
    }
    // A service that comes, goes or is replaced is asked again what it shows, at the next notice.
    auto* watcher = new QDBusServiceWatcher(kService, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) { ownerChanged(newOwner); });
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                  SLOT(ActionInvoked(uint, QString)));
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                  SLOT(NotificationClosed(uint, uint)));
}

DesktopNotification::~DesktopNotification() {
    withdraw();
    if (m_notify) {
        // Shown just now: its number is needed to withdraw it.
        m_notify->waitForFinished();
        const QDBusPendingReply<uint> reply = *m_notify;
        if (!reply.isError() && reply.value() != 0) {
            close(reply.value());
        }
    }
    for (QDBusPendingCall& c : m_closing) {
        c.waitForFinished();
    }
}

void DesktopNotification::ownerChanged(const QString& newOwner) {
    // The notification shown went with the service that showed it.
    m_id = 0;
    m_service = Service::Unknown;
    if (!newOwner.isEmpty() && m_waiting) {
        askCapabilities();
    }
}

void DesktopNotification::show(const std::string& summary, const std::string& body,
                               const std::vector<Action>& actions, Answer answer) {
    if (!m_bus.isConnected()) {
        return;
    }
    m_summary = platform::qtext(summary);
    m_body = platform::qtext(body);
    m_actions.clear();
    for (const Action& a : actions) {
        m_actions << platform::qtext(a.key) << platform::qtext(a.label);
    }
    m_answer = std::move(answer);
    m_waiting = true;
    m_withdrawn = false;
    switch (m_service) {
    case Service::Unknown:
        askCapabilities();
        break;
    case Service::Usable:
        send();
        break;
    case Service::Asking:
    case Service::Unusable:
        break;
    }
}

void DesktopNotification::askCapabilities() {
    m_service = Service::Asking;
    // The call may start a service that the bus starts on demand.
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call("GetCapabilities"), kCallMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &DesktopNotification::capabilitiesAnswered);
}

void DesktopNotification::capabilitiesAnswered(QDBusPendingCallWatcher* call) {
    call->deleteLater();
    if (m_service != Service::Asking) {
        return; // the service changed meanwhile; this answer was another's
    }
    const QDBusPendingReply<QStringList> reply = *call;
    // A notification without its buttons could not be answered like the window: not sent at all.
    const bool usable = !reply.isError() && reply.value().contains(QStringLiteral("actions"));
    m_service = usable ? Service::Usable : Service::Unusable;
    m_markup = usable && reply.value().contains(QStringLiteral("body-markup"));
    if (usable && m_waiting) {
        send();
    }
}

void DesktopNotification::send() {
    if (m_sending) {
        return; // sent once the call on its way has brought the number to replace
    }
    m_waiting = false;
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(2))); // critical
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("mayorin"));
    hints.insert(QStringLiteral("suppress-sound"), true); // the window plays the chime
    QDBusMessage notify = call("Notify");
    notify << QString::fromUtf8(core::kTitle) << m_id << QStringLiteral("mayorin") << m_summary
           << (m_markup ? escapedMarkup(m_body) : m_body) << m_actions << hints << 0;
    m_sending = true;
    m_notify = m_bus.asyncCall(notify, kCallMs);
    auto* watcher = new QDBusPendingCallWatcher(*m_notify, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &DesktopNotification::sent);
}

void DesktopNotification::sent(QDBusPendingCallWatcher* call) {
    call->deleteLater();
    m_sending = false;
    m_notify.reset();
    const QDBusPendingReply<uint> reply = *call;
    if (reply.isError()) {
        return; // refused: the window goes on alone
    }
    m_id = reply.value();
    if (m_withdrawn) {
        m_withdrawn = false;
        close(m_id);
        m_id = 0;
    } else if (m_waiting && m_service == Service::Usable) {
        send();
    }
}

void DesktopNotification::withdraw() {
    m_answer = nullptr;
    m_waiting = false;
    if (m_sending) {
        m_withdrawn = true;
        return;
    }
    if (m_id != 0) {
        close(m_id);
        m_id = 0;
    }
}

void DesktopNotification::close(uint id) {
    QDBusMessage closing = call("CloseNotification");
    closing << id;
    m_closing.append(m_bus.asyncCall(closing, kEndMs));
    // Only the calls still on their way are kept.
    m_closing.erase(std::remove_if(m_closing.begin(), m_closing.end(),
                                   [](const QDBusPendingCall& c) { return c.isFinished(); }),
                    m_closing.end());
}

void DesktopNotification::ActionInvoked(uint id, const QString& key) {
    if (id == 0 || id != m_id || !m_answer) {
        return; // another program's notification, or one withdrawn
    }
    // The answer may close the window, which withdraws the notification and drops the answer.
    const Answer answer = m_answer;
    answer(key.toStdString());
}

void DesktopNotification::NotificationClosed(uint id, uint) {
    if (id != 0 && id == m_id) {
        m_id = 0;
    }
}

} // namespace mayorin::ui
