#include "ui/tray/ExportedMenu.h"

#include <QAction>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <QMenu>
#include <QMetaObject>

namespace mayorin::ui {

ExportedMenu::ExportedMenu(QMenu* menu, QObject* parent) : QObject(parent), m_menu(menu) {
    qDBusRegisterMetaType<ExportedMenuNode>();
    qDBusRegisterMetaType<QList<ExportedMenuNode>>();
    for (QAction* a : menu->actions()) {
        connect(a, &QAction::changed, this, [this] { emit LayoutUpdated(++m_revision, 0); });
    }
}

QAction* ExportedMenu::action(int id) const {
    const QList<QAction*> actions = m_menu ? m_menu->actions() : QList<QAction*>();
    return id >= 1 && id <= actions.size() ? actions.at(id - 1) : nullptr;
}

ExportedMenuNode ExportedMenu::node(int id) const {
    ExportedMenuNode n;
    n.id = id;
    if (id == 0) {
        n.properties.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
        return n;
    }
    const QAction* a = action(id);
    if (a == nullptr) {
        return n;
    }
    if (a->isSeparator()) {
        n.properties.insert(QStringLiteral("type"), QStringLiteral("separator"));
    } else {
        n.properties.insert(QStringLiteral("label"), a->text());
    }
    n.properties.insert(QStringLiteral("visible"), a->isVisible());
    n.properties.insert(QStringLiteral("enabled"), a->isEnabled());
    return n;
}

uint ExportedMenu::GetLayout(int parentId, int recursionDepth, const QStringList&, ExportedMenuNode& layout) {
    layout = node(parentId);
    // The menu is one level deep: only the root has entries.
    if (parentId == 0 && recursionDepth != 0 && m_menu) {
        for (int id = 1; id <= m_menu->actions().size(); ++id) {
            layout.children.append(QDBusVariant(QVariant::fromValue(node(id))));
        }
    }
    return m_revision;
}

QList<ExportedMenuNode> ExportedMenu::GetGroupProperties(const QList<int>& ids, const QStringList&) {
    QList<ExportedMenuNode> nodes;
    for (const int id : ids) {
        if (id == 0 || action(id) != nullptr) {
            nodes.append(node(id));
        }
    }
    return nodes;
}

QDBusVariant ExportedMenu::GetProperty(int id, const QString& name) {
    return QDBusVariant(node(id).properties.value(name));
}

void ExportedMenu::Event(int id, const QString& eventId, const QDBusVariant&, uint) {
    QAction* a = action(id);
    if (a != nullptr && eventId == QStringLiteral("clicked") && a->isEnabled() && a->isVisible()) {
        QMetaObject::invokeMethod(a, &QAction::trigger, Qt::QueuedConnection);
    }
}

bool ExportedMenu::AboutToShow(int) {
    return false;
}

QList<int> ExportedMenu::AboutToShowGroup(const QList<int>&, QList<int>& idErrors) {
    idErrors.clear();
    return {};
}

QDBusArgument& operator<<(QDBusArgument& arg, const ExportedMenuNode& node) {
    arg.beginStructure();
    arg << node.id << node.properties;
    arg.beginArray(qMetaTypeId<QDBusVariant>());
    for (const QDBusVariant& child : node.children) {
        arg << child;
    }
    arg.endArray();
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, ExportedMenuNode& node) {
    arg.beginStructure();
    arg >> node.id >> node.properties;
    arg.beginArray();
    node.children.clear();
    while (!arg.atEnd()) {
        QDBusVariant child;
        arg >> child;
        node.children.append(child);
    }
    arg.endArray();
    arg.endStructure();
    return arg;
}

} // namespace mayorin::ui
