#include "ui/qt/ControlAccessibility.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

#include "ui/qt/MainWindowWidget.h"

namespace {

// Qt's own interface for buttons toggles a checkable one without a click, and presses the
// others by a delayed click: the program, which listens to clicks, would miss the first and
// hear the second late. Here a toggle clicks at once, and a press clicks just after the reply:
// the font button opens a modal chooser, which would hold the client until it closed. Everything
// else is told as Qt tells it.
class ClickingButtonAccessible : public QAccessibleWidget {
  public:
    explicit ClickingButtonAccessible(QAbstractButton* button) : QAccessibleWidget(button) {}

    QAccessible::Role role() const override {
        if (!button()->isCheckable())
            return QAccessible::Button;
        return button()->autoExclusive() ? QAccessible::RadioButton : QAccessible::CheckBox;
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return button()->text();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = button()->isCheckable();
        state.checked = button()->isChecked();
        state.pressed = button()->isDown();
        return state;
    }

    QStringList actionNames() const override {
        QStringList names;
        if (widget()->isEnabled())
            names << (button()->isCheckable() ? toggleAction() : pressAction());
        return names << QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override {
        if (action != toggleAction() && action != pressAction()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        if (!widget()->isEnabled())
            return;
        if (button()->isCheckable())
            button()->click();
        else
            QMetaObject::invokeMethod(button(), &QAbstractButton::click, Qt::QueuedConnection);
    }

    QStringList keyBindingsForAction(const QString&) const override { return {}; }

  private:
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
};

// On Linux Qt names a combo box by the entry it shows, leaving the name to a label beside it;
// the window's combo boxes have none, so they are named as the user knows them, and the entry
// shown is their value. The list and the text field are their children, as in Qt's own.
class NamedComboAccessible : public QAccessibleWidget {
  public:
    explicit NamedComboAccessible(QComboBox* combo)
        : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    int childCount() const override { return combo()->isEditable() ? 2 : 1; }

    QAccessibleInterface* child(int index) const override {
        if (index == 0)
            return QAccessible::queryAccessibleInterface(combo()->view());
        if (index == 1 && combo()->isEditable())
            return QAccessible::queryAccessibleInterface(combo()->lineEdit());
        return nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        if (child->object() == combo()->view())
            return 0;
        if (combo()->isEditable() && child->object() == combo()->lineEdit())
            return 1;
        return -1;
    }

    QAccessibleInterface* focusChild() const override {
        return combo()->isEditable() ? child(1) : nullptr;
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return combo()->currentText();
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override {
        return QStringList{showMenuAction(), pressAction()} << QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override {
        if (action != showMenuAction() && action != pressAction()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        if (combo()->view()->isVisible())
            combo()->hidePopup();
        else
            combo()->showPopup();
    }

  private:
    QComboBox* combo() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* MakeControlAccessible(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    // A plain widget is told as a pane; the window is one, and its title its name.
    if (auto* window = dynamic_cast<MainWindowWidget*>(widget))
        return new QAccessibleWidget(window, QAccessible::Window);
    if (!widget || !dynamic_cast<MainWindowWidget*>(widget->parentWidget()))
        return nullptr;
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return new ClickingButtonAccessible(button);
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        return new NamedComboAccessible(combo);
    return nullptr;
}

} // namespace

void InstallControlAccessibility() {
    QAccessible::installFactory(MakeControlAccessible);
}
