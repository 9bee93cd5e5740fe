#include "ui/notice/DesktopNotification.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QThread>
#include <QVariantMap>

#include <chrono>
#include <climits>

#include "core/Env.h"
#include "platform/qt/QtText.h"

namespace mayorin::ui {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

// A call waits for its reply as long as the service takes (the bus library's "no limit"); the
// end of the program waits this long at most for a number it still needs, then a moment for the
// bus to take the withdrawal.
constexpr int kNoLimit = INT_MAX;
constexpr std::chrono::milliseconds kEndWait{3000};
constexpr int kBusMs = 1000;

QDBusMessage call(const char* method) {
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, QString::fromLatin1(method));
}

} // namespace

DesktopNotification::DesktopNotification(QDBusConnection bus, QObject* parent) : QObject(parent), m_bus(bus) {
    if (!m_bus.isConnected()) {
        return;
    }
    // A service that comes, goes or is replaced is asked again what it shows.
    auto* watcher = new QDBusServiceWatcher(kService, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) { ownerChanged(newOwner); });
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                  SLOT(ActionInvoked(uint, QString)));
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                  SLOT(NotificationClosed(uint, uint)));
}

DesktopNotification::~DesktopNotification() {
    end();
}

void DesktopNotification::show(const std::string& summary, const std::string& body, const std::vector<Action>& actions,
                               Answer answer) {
    if (!m_bus.isConnected() || m_ended) {
        return;
    }
    Texts texts;
    texts.version = ++m_versions;
    texts.summary = platform::qtext(summary);
    texts.body = platform::qtext(body);
    for (const Action& a : actions) {
        texts.actions << platform::qtext(a.key) << platform::qtext(a.label);
    }
    texts.answer = std::move(answer);
    m_wanted = std::move(texts);
    if (m_service == Service::Unknown) {
        askCapabilities();
    }
    reconcile();
}

void DesktopNotification::withdraw() {
    m_wanted.reset();
    m_shownAnswer = nullptr;
    reconcile();
}

void DesktopNotification::ownerChanged(const QString& newOwner) {
    // What the service showed went with it; replies still on their way are its own.
    ++m_owner;
    m_service = Service::Unknown;
    m_shownId = 0;
    m_shownVersion = 0;
    m_shownAnswer = nullptr;
    m_sending.reset();
    if (!newOwner.isEmpty() && m_wanted) {
        askCapabilities();
    }
}

void DesktopNotification::askCapabilities() {
    m_service = Service::Asking;
    // The call may start a service that the bus starts on demand.
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call("GetCapabilities"), kNoLimit), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, owner = m_owner](QDBusPendingCallWatcher* w) { capabilitiesAnswered(w, owner); });
}

void DesktopNotification::capabilitiesAnswered(QDBusPendingCallWatcher* call, int owner) {
    call->deleteLater();
    if (owner != m_owner || m_service != Service::Asking) {
        return;
    }
    const QDBusPendingReply<QStringList> reply = *call;
    if (reply.isError()) {
        m_service = Service::Unknown; // no service now: asked again at the next notice
        return;
    }
    // A notification without its buttons could not be answered like the window: not sent at all.
    const bool usable = reply.value().contains(QStringLiteral("actions"));
    m_service = usable ? Service::Usable : Service::Unusable;
    m_markup = usable && reply.value().contains(QStringLiteral("body-markup"));
    reconcile();
}

void DesktopNotification::reconcile() {
    if (m_sending) {
        return; // its reply brings the number to replace or to close
    }
    if (!m_wanted) {
        if (m_shownId != 0) {
            close(m_shownId);
            m_shownId = 0;
            m_shownVersion = 0;
            m_shownAnswer = nullptr;
        }
        return;
    }
    if (m_service != Service::Usable || m_wanted->version == m_shownVersion || m_wanted->version == m_refused) {
        return;
    }
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(2))); // critical
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("mayorin"));
    hints.insert(QStringLiteral("suppress-sound"), true); // the window plays the chime
    // An answer leaves it on screen as it leaves the window open; the program withdraws it.
    hints.insert(QStringLiteral("resident"), true);
    QDBusMessage notify = call("Notify");
    notify << QString::fromUtf8(core::kTitle) << m_shownId << QStringLiteral("mayorin") << m_wanted->summary
           << (m_markup ? m_wanted->body.toHtmlEscaped() : m_wanted->body) << m_wanted->actions << hints << 0;
    m_sending = Sending{m_bus.asyncCall(notify, kNoLimit), *m_wanted};
    auto* watcher = new QDBusPendingCallWatcher(m_sending->call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, owner = m_owner](QDBusPendingCallWatcher* w) { notifyAnswered(w, owner); });
}

void DesktopNotification::notifyAnswered(QDBusPendingCallWatcher* call, int owner) {
    call->deleteLater();
    if (owner != m_owner || !m_sending) {
        return;
    }
    const Texts sent = std::move(m_sending->texts);
    m_sending.reset();
    const QDBusPendingReply<uint> reply = *call;
    if (reply.isError() || reply.value() == 0) {
        // Turned down: the window goes on alone, and these texts are not offered again.
        m_refused = sent.version;
    } else {
        m_shownId = reply.value();
        m_shownVersion = sent.version;
        m_shownAnswer = sent.answer;
    }
    reconcile();
}

void DesktopNotification::end() {
    if (m_ended) {
        return;
    }
    m_ended = true;
    m_wanted.reset();
    m_shownAnswer = nullptr;
    if (!m_bus.isConnected()) {
        return;
    }
    // No event loop may run any more: the number still on its way is waited for here. The bus's
    // own thread takes the reply in.
    if (m_sending) {
        const auto until = std::chrono::steady_clock::now() + kEndWait;
        while (!m_sending->call.isFinished() && std::chrono::steady_clock::now() < until) {
            QThread::msleep(10);
        }
        const QDBusPendingReply<uint> reply = m_sending->call;
        if (m_sending->call.isFinished() && !reply.isError() && reply.value() != 0 && reply.value() != m_shownId) {
            close(reply.value());
        }
        m_sending.reset();
    }
    if (m_shownId == 0) {
        return;
    }
    close(m_shownId);
    m_shownId = 0;
    // The bus answers after it has passed on what this program sent before: the withdrawal reaches
    // the service even if the process ends before the service replies.
    m_bus.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                              QStringLiteral("/org/freedesktop/DBus"),
                                              QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId")),
               QDBus::Block, kBusMs);
}

void DesktopNotification::close(uint id) {
    QDBusMessage closing = call("CloseNotification");
    closing << id;
    // Nothing waits for the reply: what the service shows is nothing from now on.
    m_bus.send(closing);
}

void DesktopNotification::ActionInvoked(uint id, const QString& key) {
    if (id == 0 || id != m_shownId || !m_shownAnswer) {
        return; // another program's notification, or one withdrawn
    }
    // The answer may close the window, which withdraws the notification and drops the answer.
    const Answer answer = m_shownAnswer;
    answer(key.toStdString());
}

void DesktopNotification::NotificationClosed(uint id, uint) {
    if (id == 0 || id != m_shownId) {
        return;
    }
    // Closed on the desktop (by the user, or expired): nothing more to show until the next notice,
    // unless newer texts wait.
    if (m_wanted && m_wanted->version == m_shownVersion) {
        m_wanted.reset();
    }
    m_shownId = 0;
    m_shownVersion = 0;
    m_shownAnswer = nullptr;
    reconcile();
}

} // namespace mayorin::ui
