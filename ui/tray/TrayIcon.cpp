#include "ui/tray/TrayIcon.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QStyleHints>
#include <QtWidgets/private/qsystemtrayicon_p.h>
#include <qpa/qplatformnativeinterface.h>

#include "ui/tray/StatusNotifier.h"
#include "ui/tray/StatusNotifierItem.h"

namespace mayorin::ui {
namespace {

// Qt chooses once per process, at its first tray icon, whether its icons are status-notifier
// items or embedded icons, and keeps the choice even when the panel changes. The status-notifier
// item is the program's own, so the toolkit's icon is made an embedded one, whatever the choice.
// The toolkit does not export the type information of its private class, which the sanitizer's
// check of the object's dynamic type would need.
__attribute__((no_sanitize("vptr"))) void keepEmbedded(QSystemTrayIcon* icon) {
    auto* d = static_cast<QSystemTrayIconPrivate*>(QObjectPrivate::get(icon));
    delete d->qpa_sys;
    d->qpa_sys = nullptr;
}

// Whether the platform has old-style trays at all: only then does its native interface tell when a
// tray comes or goes (X11). The toolkit's icon, once shown, listens for that without asking; on a
// platform without it (offscreen, native Wayland) the toolkit would complain on standard error.
bool platformHasOldStyleTrays() {
    const QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    return native != nullptr && native->metaObject()->indexOfSignal("systemTrayWindowChanged(QScreen*)") >= 0;
}

} // namespace

TrayIcon::TrayIcon(const QIcon& icon, const QString& tip, QMenu* menu, QObject* parent)
    : QObject(parent), m_icon(icon), m_tip(tip), m_menu(menu), m_embedded(new QSystemTrayIcon(this)),
      m_watch(new StatusNotifierWatch(this)), m_oldStyleTrays(platformHasOldStyleTrays()) {
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

void TrayIcon::setTipText(const QString& text) {
    if (text == m_tipText) {
        return;
    }
    m_tipText = text;
    m_embedded->setToolTip(text.isEmpty() ? m_tip : m_tip + QLatin1Char('\n') + text);
    if (m_item) {
        m_item->setToolTipText(text);
    }
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
        m_item->setToolTipText(m_tipText);
        connect(m_item.get(), &StatusNotifierItem::activated, this, &TrayIcon::entryWindowAsked);
        m_item->registerOnBus();
    } else if (!item && m_item) {
        m_item.reset();
    }
    m_embedded->setVisible(m_shown && !m_statusNotifier && m_oldStyleTrays);
}

void TrayIcon::embeddedActivated(QSystemTrayIcon::ActivationReason reason) {
    const QPoint at = QCursor::pos();
    switch (reason) {
    case QSystemTrayIcon::Trigger: // a left press
        if (recent(at)) {
            // The menu did not take this press: the second press of a double click, unless the
            // double click was seen already (the toolkit may have taken the first press for one).
            if (!m_doubleClicked) {
                doubleClicked(at);
            }
            return;
        }
        m_lastPress.start();
        m_lastPressAt = at;
        m_doubleClicked = false;
        m_menu->popup(at);
        break;
    case QSystemTrayIcon::DoubleClick:
        if (!(recent(at) && m_doubleClicked)) {
            doubleClicked(at);
        }
        break;
    default: // the right press shows the menu by itself; a middle press does nothing
        break;
    }
}

bool TrayIcon::recent(const QPoint& pos) const {
    if (!m_lastPress.isValid() || m_lastPress.elapsed() > QGuiApplication::styleHints()->mouseDoubleClickInterval()) {
        return false;
    }
    const int near = QGuiApplication::styleHints()->mouseDoubleClickDistance();
    return m_embedded->geometry().contains(pos) || (pos - m_lastPressAt).manhattanLength() <= near;
}

void TrayIcon::doubleClicked(const QPoint& pos) {
    // A press soon after, at the same place, still belongs to this double click.
    m_lastPress.start();
    m_lastPressAt = pos;
    m_doubleClicked = true;
    m_menu->hide();
    emit entryWindowAsked();
}

bool TrayIcon::eventFilter(QObject* watched, QEvent* event) {
    // The toolkit hands the menu the second press as a double click.
    const bool press = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    if (watched == m_menu && press) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint at = mouse->globalPosition().toPoint();
        if (mouse->button() == Qt::LeftButton && recent(at) && !m_doubleClicked) {
            doubleClicked(at);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace mayorin::ui
