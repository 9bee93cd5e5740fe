#include "ui/Accessibility.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace mayorin::ui {
namespace {

// Qt announces a combo box by its current text wherever screen readers speak AT-SPI, whatever its
// label, so a box holding "0" is read as "0". A combo box given a name is announced by that name,
// its text being its value; its list, its text box and its actions stay as Qt gives them.
class NamedComboBox final : public QAccessibleWidget {
public:
    explicit NamedComboBox(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {
        addControllingSignal(QLatin1String("activated(int)"));
    }

    QString text(QAccessible::Text t) const override {
        const QString value = box()->isEditable() ? box()->lineEdit()->text() : box()->currentText();
        if (t == QAccessible::Value) {
            return value;
        }
        if (t == QAccessible::Name && box()->accessibleName().isEmpty() && !value.isEmpty()) {
            return value; // an unnamed box is read as Qt reads it
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = box()->view() != nullptr && box()->view()->isVisible();
        s.collapsed = !s.expanded;
        s.editable = box()->isEditable();
        return s;
    }

    int childCount() const override { return box()->isEditable() ? 2 : 1; }
    QAccessibleInterface* child(int index) const override {
        if (index == 0) {
            return QAccessible::queryAccessibleInterface(box()->view());
        }
        if (index == 1 && box()->isEditable()) {
            return QAccessible::queryAccessibleInterface(box()->lineEdit());
        }
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface* c) const override {
        if (c == nullptr) {
            return -1;
        }
        if (c->object() == box()->view()) {
            return 0;
        }
        return box()->isEditable() && c->object() == box()->lineEdit() ? 1 : -1;
    }
    // The text box never has the focus itself (the box is its focus proxy), but it is where the
    // typing goes.
    QAccessibleInterface* focusChild() const override { return box()->isEditable() ? child(1) : nullptr; }

    QStringList actionNames() const override {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == showMenuAction() || action == pressAction()) {
            box()->showPopup();
        } else {
            QAccessibleWidget::doAction(action);
        }
    }

private:
    QComboBox* box() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* namedComboBoxes(const QString& className, QObject* object) {
    if (className == QLatin1String("QComboBox")) {
        if (auto* box = qobject_cast<QComboBox*>(object)) {
            return new NamedComboBox(box);
        }
    }
    return nullptr;
}

} // namespace

void announceComboBoxesByName() {
    static const bool installed = [] {
        QAccessible::installFactory(namedComboBoxes);
        return true;
    }();
    (void)installed;
}

void nameByCaption(QWidget* input, const QString& caption) {
    input->setAccessibleName(caption);
    if (auto* box = qobject_cast<QComboBox*>(input); box != nullptr && box->lineEdit() != nullptr) {
        box->lineEdit()->setAccessibleName(caption);
    }
}

void nameByLabel(QWidget* input, QLabel* label, const QString& description) {
    label->setBuddy(input);
    nameByCaption(input, label->text());
    if (!description.isEmpty()) {
        input->setAccessibleDescription(description);
    }
}

} // namespace mayorin::ui
