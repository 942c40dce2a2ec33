#include "ui/qt/MainWindowWidget.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QRadioButton>

#include "ui/ControlTable.h"
#include "ui/EventQueue.h"
#include "ui/qt/AppIcon.h"
#include "ui/qt/ConnectButtonWidget.h"
#include "ui/qt/ControlAccessibility.h"
#include "ui/qt/DropDownComboWidget.h"
#include "ui/qt/GuiFont.h"
#include "ui/qt/QtText.h"
#include "ui/qt/ReceiveViewWidget.h"
#include "ui/qt/SendEditorWidget.h"
#include "ui/qt/TransparencySpinBox.h"
#include "ui/qt/ViewSplitterWidget.h"
#include "ui/TabOrder.h"

MainWindowWidget::MainWindowWidget() {
    InstallControlAccessibility();
    setWindowTitle(ToQString(kPortClosedTitle));
    AnnounceTitleChanges(this);
    setWindowIcon(AppIcon());
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    // The controls' places are fixed in pixels: a desktop's font, which the program gets when its
    // event loop starts, stays out of them. Windows of their own keep the desktop's font.
    setFont(DefaultGuiFont());
    move(0, 0);
    resize(kInitialClientWidth, kInitialClientHeight);
    createControls();
    qApp->installEventFilter(this);
}

MainWindowWidget::~MainWindowWidget() {
    qApp->removeEventFilter(this);
}

void MainWindowWidget::createControls() {
    for (const ControlSpec& entry : kControls) {
        QWidget* widget = createControl(entry.id);
        controls_[entry.id] = widget;
        if (entry.kind != ControlKind::ReadOnlyText && entry.kind != ControlKind::EditableText)
            widget->setGeometry(entry.x, entry.y, entry.width, entry.height);
        if (*entry.tooltip)
            widget->setToolTip(ToQString(entry.tooltip));
        if (*entry.name)
            widget->setAccessibleName(ToQString(entry.name));
    }
    splitter()->setPosition(kInitialSplitterPosition);
}

QWidget* MainWindowWidget::createControl(ControlId id) {
    const ControlSpec& entry = kControls[id];
    const QString caption = ToQString(entry.caption);
    switch (entry.kind) {
    case ControlKind::CheckBox: {
        auto* box = new QCheckBox(caption, this);
        connect(box, &QCheckBox::clicked, [id] { RaiseControlEvent(id, ControlEventKind::Click); });
        return box;
    }
    case ControlKind::ToggleButton: {
        auto* button = new ConnectButtonWidget(this);
        connect(button, &QPushButton::clicked,
                [id] { RaiseControlEvent(id, ControlEventKind::Click); });
        return button;
    }
    case ControlKind::DropDownList:
    case ControlKind::DropDownCombo: {
        auto* combo = new DropDownComboWidget(entry.kind == ControlKind::DropDownCombo, this);
        connect(combo, &DropDownComboWidget::changedByUser,
                [id] { RaiseControlEvent(id, ControlEventKind::Change); });
        return combo;
    }
    case ControlKind::OptionButton: {
        auto* option = new QRadioButton(caption, this);
        if (!optionGroup_)
            optionGroup_ = new QButtonGroup(this);
        optionGroup_->addButton(option);
        connect(option, &QRadioButton::clicked,
                [id] { RaiseControlEvent(id, ControlEventKind::Click); });
        return option;
    }
    case ControlKind::SpinBox: {
        auto* spin = new TransparencySpinBox(this);
        connect(spin, &TransparencySpinBox::textChangedByUser,
                [id] { RaiseControlEvent(id, ControlEventKind::Change); });
        connect(spin, &TransparencySpinBox::arrowUsed,
                [id] { RaiseControlEvent(id, ControlEventKind::UpDown); });
        return spin;
    }
    case ControlKind::PushButton: {
        auto* button = new QPushButton(caption, this);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked,
                [id] { RaiseControlEvent(id, ControlEventKind::Click); });
        return button;
    }
    case ControlKind::ReadOnlyText:
        return new ReceiveViewWidget(this);
    case ControlKind::EditableText:
        return new SendEditorWidget(this);
    case ControlKind::Splitter: {
        auto* splitter =
            new ViewSplitterWidget(controls_[ReceiveView], controls_[SendEditor], this);
        return splitter;
    }
    }
    return nullptr;
}

ConnectButtonWidget* MainWindowWidget::connectButton() const {
    return static_cast<ConnectButtonWidget*>(controls_[ConnectButton]);
}
DropDownComboWidget* MainWindowWidget::combo(ControlId id) const {
    return qobject_cast<DropDownComboWidget*>(controls_[id]);
}
QSpinBox* MainWindowWidget::spin() const {
    return static_cast<QSpinBox*>(controls_[TransparencySpin]);
}
SendEditorWidget* MainWindowWidget::sendEditor() const {
    return static_cast<SendEditorWidget*>(controls_[SendEditor]);
}
ViewSplitterWidget* MainWindowWidget::splitter() const {
    return static_cast<ViewSplitterWidget*>(controls_[ViewSplitter]);
}

void MainWindowWidget::applyLayout() {
    const Rect r = SplitterGeometryForClient(width(), height());
    splitter()->setGeometry(r.x, r.y, r.width, r.height);
    splitter()->relayout();
}

// Tab and Shift+Tab cycle through the controls in creation order, text controls last, and
// are taken before the focused control can type them.
bool MainWindowWidget::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
    if (!tab || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    if (static_cast<QWidget*>(watched)->window() != this)
        return false;
    focusNextPrevChild(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
    return true;
}

bool MainWindowWidget::focusNextPrevChild(bool next) {
    QWidget* focus = focusWidget();
    const int current = ControlHoldingFocus([&](ControlId id) {
        return focus && (controls_[id] == focus || controls_[id]->isAncestorOf(focus));
    });
    const int target = NextFocusControl(current, next, [this](ControlId id) {
        return controls_[id]->isEnabled() && controls_[id]->isVisibleTo(this);
    });
    if (target < 0)
        return false;
    controls_[target]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void MainWindowWidget::resizeEvent(QResizeEvent*) {
    RaiseWindowEvent(EventType::Resize);
}

void MainWindowWidget::moveEvent(QMoveEvent*) {
    RaiseWindowEvent(EventType::Other);
}

void MainWindowWidget::closeEvent(QCloseEvent* event) {
    // The window stays until the end of shutdown, which still reads the controls.
    event->ignore();
    RaiseWindowEvent(EventType::Close);
}

void MainWindowWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange || event->type() == QEvent::WindowStateChange)
        RaiseWindowEvent(EventType::Other);
    // The title tells the port's state: a screen reader says it when told the name changed.
    if (event->type() == QEvent::WindowTitleChange) {
        QAccessibleEvent nameChanged(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&nameChanged);
    }
    QWidget::changeEvent(event);
}
