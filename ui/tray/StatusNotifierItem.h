#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>

class QMenu;

namespace mayorin::ui {

class ExportedMenu;

// An icon image as a status-notifier panel takes it: width, height and ARGB pixels, each 32-bit
// value in network byte order.
struct StatusNotifierPixmap {
    int width = 0;
    int height = 0;
    QByteArray pixels;
};
using StatusNotifierPixmaps = QList<StatusNotifierPixmap>;

// The tip as a panel takes it: an icon name, icon images, a title and a text.
struct StatusNotifierToolTip {
    QString iconName;
    StatusNotifierPixmaps pixmaps;
    QString title;
    QString text;
};

// The program's icon on a status-notifier panel: an item on the session bus, under a name of its
// own, registered with the panel's watcher. The panel draws the icon and the menu the item
// exports; a left click arrives as Activate, a right click is the panel's own (it shows the menu).
// Made when the icon moves to such a panel and destroyed when it leaves, which takes it off the
// bus and so off the panel.
class StatusNotifierItem final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconName READ emptyText)
    Q_PROPERTY(mayorin::ui::StatusNotifierPixmaps IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ emptyText)
    Q_PROPERTY(mayorin::ui::StatusNotifierPixmaps OverlayIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionIconName READ emptyText)
    Q_PROPERTY(mayorin::ui::StatusNotifierPixmaps AttentionIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionMovieName READ emptyText)
    Q_PROPERTY(mayorin::ui::StatusNotifierToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menuPath)

public:
    StatusNotifierItem(const QIcon& icon, const QString& title, QMenu* menu, QObject* parent = nullptr);
    ~StatusNotifierItem() override;

    // Puts the item and its menu on the session bus under the item's name and tells the watcher.
    // False without a session bus, or when the name or the objects cannot be had.
    bool registerOnBus();
    // Tells the watcher about the item again (a new watcher knows nothing of it).
    void registerWithWatcher();
    // The item's name on the bus: what the watcher lists.
    QString service() const { return m_service; }

    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const { return QStringLiteral("mayorin"); }
    QString title() const { return m_title; }
    QString status() const { return QStringLiteral("Active"); }
    int windowId() const { return 0; }
    QString emptyText() const { return {}; }
    StatusNotifierPixmaps iconPixmap() const { return m_pixmaps; }
    StatusNotifierPixmaps noPixmaps() const { return {}; }
    // The tip: the program's title, and under it text. Panels read the text as markup, so the
    // user's display names in it are escaped.
    StatusNotifierToolTip toolTip() const { return {QString(), {}, m_title, m_toolTipText.toHtmlEscaped()}; }
    // Sets the text under the tip's title; a change is announced to the panel (NewToolTip).
    void setToolTipText(const QString& text);
    bool itemIsMenu() const { return false; }
    QDBusObjectPath menuPath() const;

public Q_SLOTS:
    // A left click on the icon.
    void Activate(int x, int y);
    // A right click: the panel shows the exported menu itself; nothing to do here.
    void ContextMenu(int x, int y);
    // A middle click: nothing, as in an old-style tray.
    void SecondaryActivate(int x, int y);
    void Scroll(int delta, const QString& orientation);

Q_SIGNALS:
    void activated();
    void NewTitle();
    void NewIcon();
    void NewAttentionIcon();
    void NewOverlayIcon();
    void NewToolTip();
    void NewStatus(const QString& status);

private:
    QDBusConnection m_bus;
    QString m_service;
    QString m_title;
    QString m_toolTipText;
    StatusNotifierPixmaps m_pixmaps;
    ExportedMenu* m_menu;
    bool m_registered = false;
};

QDBusArgument& operator<<(QDBusArgument& arg, const StatusNotifierPixmap& pixmap);
const QDBusArgument& operator>>(const QDBusArgument& arg, StatusNotifierPixmap& pixmap);
QDBusArgument& operator<<(QDBusArgument& arg, const StatusNotifierToolTip& tip);
const QDBusArgument& operator>>(const QDBusArgument& arg, StatusNotifierToolTip& tip);

} // namespace mayorin::ui

Q_DECLARE_METATYPE(mayorin::ui::StatusNotifierPixmap)
Q_DECLARE_METATYPE(mayorin::ui::StatusNotifierToolTip)
