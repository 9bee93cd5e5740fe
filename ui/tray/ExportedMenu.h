#pragma once

#include <QDBusVariant>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariantMap>

class QAction;
class QDBusArgument;
class QMenu;

namespace mayorin::ui {

// One entry of the menu as a status-notifier panel reads it: its id, its properties and, for the
// root, its entries, each wrapped in a variant.
struct ExportedMenuNode {
    int id = 0;
    QVariantMap properties;
    QList<QDBusVariant> children;
};

// A menu's items, offered on the session bus for a status-notifier panel to draw. The panel reads
// the layout, shows it itself, and sends a click on an item back; the click triggers the item's
// action once the call has been answered, so that a dialog the action opens does not hold the
// panel's call. Follows the menu's actions: a change of a caption or a visibility tells the panel
// to read the layout again.
class ExportedMenu final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

public:
    explicit ExportedMenu(QMenu* menu, QObject* parent = nullptr);

    uint version() const { return 3; }
    QString textDirection() const { return QStringLiteral("ltr"); }
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }

public Q_SLOTS:
    uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                   mayorin::ui::ExportedMenuNode& layout);
    QList<ExportedMenuNode> GetGroupProperties(const QList<int>& ids, const QStringList& propertyNames);
    QDBusVariant GetProperty(int id, const QString& name);
    void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
    bool AboutToShow(int id);
    QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

Q_SIGNALS:
    void LayoutUpdated(uint revision, int parent);

private:
    // The item with this id (1 for the first action), or null.
    QAction* action(int id) const;
    ExportedMenuNode node(int id) const;

    QPointer<QMenu> m_menu;
    uint m_revision = 1;
};

QDBusArgument& operator<<(QDBusArgument& arg, const ExportedMenuNode& node);
const QDBusArgument& operator>>(const QDBusArgument& arg, ExportedMenuNode& node);

} // namespace mayorin::ui

Q_DECLARE_METATYPE(mayorin::ui::ExportedMenuNode)
