#include "ui/tray/StatusNotifierItem.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusMetaType>
#include <QImage>
#include <QtEndian>

#include "ui/tray/ExportedMenu.h"
#include "ui/tray/StatusNotifier.h"

namespace mayorin::ui {
namespace {

const QString kItemPath = QStringLiteral("/StatusNotifierItem");
const QString kMenuPath = QStringLiteral("/StatusNotifierMenu");

StatusNotifierPixmaps pixmapsOf(const QIcon& icon) {
    StatusNotifierPixmaps out;
    for (const QSize& size : icon.availableSizes()) {
        const QImage image = icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
        StatusNotifierPixmap p{image.width(), image.height(), QByteArray()};
        p.pixels.resize(qsizetype(image.width()) * image.height() * 4);
        auto* to = reinterpret_cast<quint32*>(p.pixels.data());
        for (int y = 0; y < image.height(); ++y) {
            const auto* row = reinterpret_cast<const quint32*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                *to++ = qToBigEndian(row[x]);
            }
        }
        out.append(p);
    }
    return out;
}

} // namespace

StatusNotifierItem::StatusNotifierItem(const QIcon& icon, const QString& title, QMenu* menu, QObject* parent)
    : QObject(parent), m_bus(QDBusConnection::sessionBus()), m_title(title), m_pixmaps(pixmapsOf(icon)),
      m_menu(new ExportedMenu(menu, this)) {
    qDBusRegisterMetaType<StatusNotifierPixmap>();
    qDBusRegisterMetaType<StatusNotifierPixmaps>();
    qDBusRegisterMetaType<StatusNotifierToolTip>();
    // A fresh name for every item, so that a panel never takes a new item for an old one.
    static int count = 0;
    m_service = QStringLiteral("org.kde.StatusNotifierItem-%1-%2").arg(QCoreApplication::applicationPid()).arg(++count);
}

StatusNotifierItem::~StatusNotifierItem() {
    if (m_registered) {
        m_bus.unregisterObject(kItemPath);
        m_bus.unregisterObject(kMenuPath);
        m_bus.unregisterService(m_service);
    }
}

bool StatusNotifierItem::registerOnBus() {
    if (!m_bus.isConnected()) {
        return false;
    }
    const auto what =
        QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals | QDBusConnection::ExportAllProperties;
    m_registered = m_bus.registerObject(kItemPath, this, what) && m_bus.registerObject(kMenuPath, m_menu, what) &&
                   m_bus.registerService(m_service);
    if (!m_registered) {
        m_bus.unregisterObject(kItemPath);
        m_bus.unregisterObject(kMenuPath);
        return false;
    }
    registerWithWatcher();
    return true;
}

void StatusNotifierItem::registerWithWatcher() {
    const QString watcher = QString::fromLatin1(kWatcherService);
    QDBusMessage call = QDBusMessage::createMethodCall(watcher, QString::fromLatin1(kWatcherPath), watcher,
                                                       QStringLiteral("RegisterStatusNotifierItem"));
    call << m_service;
    m_bus.asyncCall(call); // the answer changes nothing: a watcher that refuses leaves no panel to show the icon
}

void StatusNotifierItem::setToolTipText(const QString& text) {
    if (text == m_toolTipText) {
        return;
    }
    m_toolTipText = text;
    if (m_registered) {
        emit NewToolTip();
    }
}

QDBusObjectPath StatusNotifierItem::menuPath() const {
    return QDBusObjectPath(kMenuPath);
}

void StatusNotifierItem::Activate(int, int) {
    emit activated();
}

void StatusNotifierItem::ContextMenu(int, int) {}

void StatusNotifierItem::SecondaryActivate(int, int) {}

void StatusNotifierItem::Scroll(int, const QString&) {}

QDBusArgument& operator<<(QDBusArgument& arg, const StatusNotifierPixmap& pixmap) {
    arg.beginStructure();
    arg << pixmap.width << pixmap.height << pixmap.pixels;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, StatusNotifierPixmap& pixmap) {
    arg.beginStructure();
    arg >> pixmap.width >> pixmap.height >> pixmap.pixels;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const StatusNotifierToolTip& tip) {
    arg.beginStructure();
    arg << tip.iconName << tip.pixmaps << tip.title << tip.text;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, StatusNotifierToolTip& tip) {
    arg.beginStructure();
    arg >> tip.iconName >> tip.pixmaps >> tip.title >> tip.text;
    arg.endStructure();
    return arg;
}

} // namespace mayorin::ui
