#include "ui/qt/ControlAccessibility.h"

#include <algorithm>
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
// Orca 43 reads a closed list's entry only through the selection interface, which Qt 6.4's
// bridge does not carry, and skips a combo box's name changes as redundant: it hears the entry
// in the name ("Порт COM256 combo box") and hears a change as a value change, which it answers
// by saying the box again. The field of the editable box is read as the entry itself.
class NamedComboAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
  public:
    explicit NamedComboAccessible(QComboBox* combo)
        : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface && !combo()->isEditable())
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

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
        const QString text = QAccessibleWidget::text(t);
        if (t != QAccessible::Name || combo()->isEditable() || combo()->currentText().isEmpty())
            return text;
        return text + u' ' + combo()->currentText();
    }

    // The entry's number: setting it chooses that entry as the user would.
    QVariant currentValue() const override { return combo()->currentIndex(); }
    void setCurrentValue(const QVariant& value) override {
        const int index = value.toInt();
        if (index >= 0 && index < combo()->count())
            combo()->setCurrentIndex(index);
    }
    QVariant maximumValue() const override { return std::max(combo()->count() - 1, 0); }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

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

// Orca 43 speaks a window's new title only from the text a name change carries, and Qt 6.4's
// bridge carries the window instead, on which Orca fails. A notification that shows is spoken
// wherever the focus is: each new title shows as one. Qt raises nothing for a title set again.
class TitleNotice : public QWidget {
  public:
    explicit TitleNotice(QWidget* window) : QWidget(window) {
        hide();
        setAccessibleName(window->windowTitle());
        QObject::connect(window, &QWidget::windowTitleChanged, this, [this, window] {
            setAccessibleName(window->windowTitle());
            if (!QAccessible::isActive() || !window->isVisible())
                return;
            QAccessibleEvent shown(this, QAccessible::ObjectShow);
            QAccessible::updateAccessibility(&shown);
        });
    }
};

QAccessibleInterface* MakeControlAccessible(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    // A plain widget is told as a pane; the window is one, and its title its name.
    if (auto* window = dynamic_cast<MainWindowWidget*>(widget))
        return new QAccessibleWidget(window, QAccessible::Window);
    if (auto* notice = dynamic_cast<TitleNotice*>(widget))
        return new QAccessibleWidget(notice, QAccessible::Notification);
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

void AnnounceTitleChanges(QWidget* window) {
    new TitleNotice(window);
}

// Clients keep a copy of the name, which only a name change renews; Qt raises none here.
void NotifyEntryShown(QComboBox* combo) {
    if (!QAccessible::isActive() || combo->isEditable())
        return;
    QAccessibleEvent renamed(combo, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&renamed);
}

// Qt's list tells a client only that it got the focus; Orca then says the list's size but not
// which entry is current.
void NotifyListOpened(QComboBox* combo) {
    if (!QAccessible::isActive() || !combo->view()->isVisible() || combo->currentIndex() < 0)
        return;
    QAccessibleEvent event(combo->view(), QAccessible::Focus);
    event.setChild(combo->view()->currentIndex().row());
    QAccessible::updateAccessibility(&event);
}
