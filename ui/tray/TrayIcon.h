#pragma once

#include <memory>

#include <QElapsedTimer>
#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QString>
#include <QSystemTrayIcon>

class QMenu;

namespace mayorin::ui {

class StatusNotifierItem;
class StatusNotifierWatch;

// The program's icon, in whichever kind of tray the desktop has now: on a status-notifier panel as
// an item of the program's own on the session bus, else in an old-style tray as an embedded icon.
// It moves between the two when a status-notifier panel comes or goes, since panels often start
// after the program.
//
// The mouse, as each kind of tray allows:
// - old-style tray: a left or right press shows the menu; a left double click opens the entry
//   window. The menu shown by the first press takes the second one, so a second left press within
//   the double-click interval, at the icon or where the first press was, counts as the double
//   click: the menu closes and the entry window opens.
// - status-notifier panel: the panel's "Activate" opens the entry window (KDE Plasma and
//   xfce4-panel send it on a left click, GNOME's AppIndicator extension on a double click); the
//   panel shows the menu itself.
class TrayIcon final : public QObject {
    Q_OBJECT

public:
    TrayIcon(const QIcon& icon, const QString& tip, QMenu* menu, QObject* parent = nullptr);
    ~TrayIcon() override;

    // Shows the icon in the tray there is, or as soon as one comes.
    void show();
    void hide();
    bool isVisible() const { return m_shown; }

    // The tip's line under the title (the next notice); empty leaves the title alone. An old-style
    // tray shows the two as two lines, a status-notifier panel as the tip's title and text.
    void setTipText(const QString& text);

    // True while the icon goes to a status-notifier panel rather than to an old-style tray.
    bool onStatusNotifierTray() const { return m_statusNotifier; }
    // The status-notifier item while it is on the bus, else null.
    StatusNotifierItem* item() const { return m_item.get(); }
    // The icon in an old-style tray.
    QSystemTrayIcon* embeddedIcon() const { return m_embedded; }

    // Moves the icon to a status-notifier panel (true) or to an old-style tray (false). With true
    // while already there, registers the item again, for a watcher that has just come.
    void setStatusNotifierHost(bool present);

Q_SIGNALS:
    // A double click in an old-style tray, "Activate" from a status-notifier panel.
    void entryWindowAsked();

protected:
    // The menu's mouse presses: the second press of a double click on the icon.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void embeddedActivated(QSystemTrayIcon::ActivationReason reason);
    // True when a left press at pos, now, follows the last one closely enough in time and place
    // to make a double click with it.
    bool recent(const QPoint& pos) const;
    void doubleClicked(const QPoint& pos);
    void apply();

    QIcon m_icon;
    QString m_tip;
    QString m_tipText;
    QMenu* m_menu;
    QSystemTrayIcon* m_embedded;
    StatusNotifierWatch* m_watch;
    std::unique_ptr<StatusNotifierItem> m_item;
    bool m_shown = false;
    bool m_statusNotifier = false;
    const bool m_oldStyleTrays; // the platform embeds icons in old-style trays

    QElapsedTimer m_lastPress; // the last left press that showed the menu, or the last double click
    QPoint m_lastPressAt;
    bool m_doubleClicked = false; // m_lastPress is a double click
};

} // namespace mayorin::ui
