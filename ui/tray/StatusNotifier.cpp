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

const QString kService = QString::fromLatin1(kWatcherService);
const QString kPath = QString::fromLatin1(kWatcherPath);

} // namespace

bool statusNotifierHostRegistered() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr || !bus.interface()->isServiceRegistered(kService)) {
        return false;
    }
    QDBusInterface watcher(kService, kPath, kService, bus);
    return watcher.property("IsStatusNotifierHostRegistered").toBool();
}

StatusNotifierWatch::StatusNotifierWatch(QObject* parent) : QObject(parent), m_present(statusNotifierHostRegistered()) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    auto* watcher = new QDBusServiceWatcher(kService, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) { ownerChanged(newOwner); });
    // A host (the panel's drawing part) may register with the watcher some time after the watcher came.
    for (const char* signal : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"}) {
        bus.connect(kService, kPath, kService, QString::fromLatin1(signal), this, SLOT(hostRegistrationChanged()));
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
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kService << QStringLiteral("IsStatusNotifierHostRegistered");
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
