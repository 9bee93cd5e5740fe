#include "ui/tray/StatusNotifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QString>
#include <QVariant>

namespace mayorin::ui {
namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");

} // namespace

bool statusNotifierHostRegistered() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr || !bus.interface()->isServiceRegistered(kWatcherService)) {
        return false;
    }
    QDBusInterface watcher(kWatcherService, kWatcherPath, kWatcherService, bus);
    return watcher.property("IsStatusNotifierHostRegistered").toBool();
}

StatusNotifierWatch::StatusNotifierWatch(QObject* parent) : QObject(parent), m_present(statusNotifierHostRegistered()) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    auto* watcher = new QDBusServiceWatcher(kWatcherService, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) { ownerChanged(newOwner); });
    // A host (the panel's drawing part) may register with the watcher some time after the watcher came.
    for (const char* signal : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"}) {
        bus.connect(kWatcherService, kWatcherPath, kWatcherService, QString::fromLatin1(signal), this,
                    SLOT(hostRegistrationChanged()));
    }
}

void StatusNotifierWatch::ownerChanged(const QString& newOwner) {
    if (newOwner.isEmpty()) {
        if (m_present) {
            m_present = false;
            emit hostChanged(false);
        }
        return;
    }
    ask(true);
}

void StatusNotifierWatch::hostRegistrationChanged() {
    ask(false);
}

void StatusNotifierWatch::ask(bool newWatcher) {
    QDBusMessage get = QDBusMessage::createMethodCall(
        kWatcherService, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kWatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    auto* call = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(get), this);
    connect(call, &QDBusPendingCallWatcher::finished, this,
            [this, newWatcher](QDBusPendingCallWatcher* c) { answered(c, newWatcher); });
}

void StatusNotifierWatch::answered(QDBusPendingCallWatcher* call, bool newWatcher) {
    call->deleteLater();
    const QDBusPendingReply<QDBusVariant> reply = *call;
    const bool present = !reply.isError() && reply.value().variant().toBool();
    if (present != m_present || (present && newWatcher)) {
        m_present = present;
        emit hostChanged(present);
    }
}

} // namespace mayorin::ui
