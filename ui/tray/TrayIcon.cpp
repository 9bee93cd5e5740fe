#include "ui/tray/TrayIcon.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QStyleHints>
#include <QtWidgets/private/qsystemtrayicon_p.h>

#include "ui/tray/StatusNotifier.h"
#include "ui/tray/StatusNotifierItem.h"

namespace mayorin::ui {
namespace {

// Qt chooses once per process, at its first tray icon, whether its icons are status-notifier
// items or embedded icons, and keeps the choice even when the panel changes. The status-notifier
// item is the program's own, so the toolkit's icon is made an embedded one, whatever the choice.
void keepEmbedded(QSystemTrayIcon* icon) {
    auto* d = static_cast<QSystemTrayIconPrivate*>(QObjectPrivate::get(icon));
    delete d->qpa_sys;
    d->qpa_sys = nullptr;
}

} // namespace

TrayIcon::TrayIcon(const QIcon& icon, const QString& tip, QMenu* menu, QObject* parent)
    : QObject(parent), m_icon(icon), m_tip(tip), m_menu(menu), m_embedded(new QSystemTrayIcon(this)),
      m_watch(new StatusNotifierWatch(this)) {
    keepEmbedded(m_embedded);
    m_embedded->setObjectName(QStringLiteral("tasuku_aicon"));
    m_embedded->setIcon(icon);
    m_embedded->setToolTip(tip);
    m_embedded->setContextMenu(menu); // a right press shows it
    connect(m_embedded, &QSystemTrayIcon::activated, this, &TrayIcon::embeddedActivated);
    m_menu->installEventFilter(this);

    m_statusNotifier = m_watch->hostPresent();
    connect(m_watch, &StatusNotifierWatch::hostChanged, this, &TrayIcon::setStatusNotifierHost);
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::show() {
    m_shown = true;
    apply();
}

void TrayIcon::hide() {
    m_shown = false;
    apply();
}

void TrayIcon::setStatusNotifierHost(bool present) {
    if (present && m_statusNotifier && m_item) {
        m_item->registerWithWatcher();
        return;
    }
    m_statusNotifier = present;
    apply();
}

void TrayIcon::apply() {
    const bool item = m_shown && m_statusNotifier;
    if (item && !m_item) {
        m_menu->hide();
        m_item = std::make_unique<StatusNotifierItem>(m_icon, m_tip, m_menu);
        connect(m_item.get(), &StatusNotifierItem::activated, this, &TrayIcon::entryWindowAsked);
        m_item->registerOnBus();
    } else if (!item && m_item) {
        m_item.reset();
    }
    m_embedded->setVisible(m_shown && !m_statusNotifier);
}

void TrayIcon::embeddedActivated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger: { // a left press
        const QPoint at = QCursor::pos();
        m_doubleClickTaken = false;
        if (secondPress(at)) {
            // The menu did not take this press (it was not up yet): the same double click.
            m_doubleClickTaken = true;
            doubleClicked();
            return;
        }
        m_firstPress.start();
        m_firstPressAt = at;
        m_menu->popup(at);
        break;
    }
    case QSystemTrayIcon::DoubleClick:
        if (!m_doubleClickTaken) {
            doubleClicked();
        }
        m_doubleClickTaken = false;
        break;
    default: // the right press shows the menu by itself; a middle press does nothing
        break;
    }
}

bool TrayIcon::secondPress(const QPoint& pos) const {
    if (!m_firstPress.isValid() || m_firstPress.elapsed() > QGuiApplication::styleHints()->mouseDoubleClickInterval()) {
        return false;
    }
    const int near = QGuiApplication::styleHints()->mouseDoubleClickDistance();
    return m_embedded->geometry().contains(pos) || (pos - m_firstPressAt).manhattanLength() <= near;
}

void TrayIcon::doubleClicked() {
    m_firstPress.invalidate();
    m_menu->hide();
    emit entryWindowAsked();
}

bool TrayIcon::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_menu && event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::LeftButton && secondPress(press->globalPosition().toPoint())) {
            doubleClicked();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace mayorin::ui
