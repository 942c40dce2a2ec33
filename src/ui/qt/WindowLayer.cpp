#include "ui/qt/WindowLayer.h"

#include <memory>
#include <optional>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSocketNotifier>
#include <QSpinBox>
#include <QTimer>
#include <vector>

#include "ui/ControlTable.h"
#include "ui/EventQueue.h"
#include "ui/ListSelection.h"
#include "ui/qt/ConnectButtonWidget.h"
#include "ui/qt/DropDownComboWidget.h"
#include "ui/qt/EmptyTitle.h"
#include "ui/qt/ItemDescriptionDelegate.h"
#include "ui/qt/MainWindowWidget.h"
#include "ui/qt/ModalDialogGuard.h"
#include "ui/qt/QtText.h"
#include "ui/qt/ReceiveViewWidget.h"
#include "ui/qt/SendEditorWidget.h"
#include "ui/qt/TickTimerForTests.h"
#include "ui/qt/ViewSplitterWidget.h"
#include "ui/Window.h"

namespace {

constexpr int kDescribedListWidth = 280;

std::unique_ptr<MainWindowWidget> window;
std::unique_ptr<QTimer> timer;
QSocketNotifier* watch = nullptr;
Handler onWatchedReadable = nullptr;
// The corner the program last asked for; kKeepPlacement where it never asked.
QPoint askedCorner;

// A Wayland client cannot learn where its window is: the compositor alone knows.
bool CornerIsKnown() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace

MainWindowWidget* TheMainWindow() {
    return window.get();
}

const QTimer* TheTimer() {
    return timer.get();
}

void CreateMainWindow() {
    DropBindingsAndEvents();
    window = std::make_unique<MainWindowWidget>();
    askedCorner = QPoint(kKeepPlacement, kKeepPlacement);
    DropBindingsAndEvents(); // creation is the program's own doing
}

void DestroyMainWindow() {
    DropBindingsAndEvents(); // nothing the dying widgets report may reach the program any more
    delete watch;
    watch = nullptr;
    timer.reset();
    window.reset();
    DropBindingsAndEvents();
}

void StartTimer(int periodMs) {
    timer = std::make_unique<QTimer>();
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer.get(), &QTimer::timeout, RaiseTimerEvent);
    timer->start(periodMs);
}

void WatchDescriptor(int descriptor, Handler onReadable) {
    onWatchedReadable = onReadable;
    if (watch && watch->socket() == descriptor) {
        if (!watch->isEnabled())
            watch->setEnabled(true);
        return;
    }
    EndDescriptorWatch();
    if (descriptor < 0)
        return;
    // The old notifier may be the one whose signal is running now.
    if (watch)
        watch->deleteLater();
    watch = new QSocketNotifier(descriptor, QSocketNotifier::Read);
    QObject::connect(watch, &QSocketNotifier::activated, [] { onWatchedReadable(); });
}

// Off at once, so that the descriptor may be closed; kept for the next watch, which is usually
// of the same descriptor.
void EndDescriptorWatch() {
    if (watch)
        watch->setEnabled(false);
}

void InstallSendEditorHook(Handler onEnter) {
    window->sendEditor()->setEnterHook(onEnter);
}

void ShowMainWindow() {
    window->show();
    window->activateWindow();
    window->raise();
}

WindowEvent WaitForEvent() {
    WindowEvent event;
    while (!TakeQueuedEvent(event))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return event;
}

bool IsChecked(ControlId id) {
    auto* button = qobject_cast<QAbstractButton*>(window->control(id));
    return button && button->isChecked();
}

void SetChecked(ControlId id, bool checked) {
    auto* button = qobject_cast<QAbstractButton*>(window->control(id));
    if (!button)
        return;
    const QSignalBlocker blocker(button);
    QButtonGroup* group = button->group();
    // An exclusive group refuses to uncheck its chosen button.
    if (group && !checked)
        group->setExclusive(false);
    button->setChecked(checked);
    if (group && !checked)
        group->setExclusive(true);
}

std::string GetText(ControlId id) {
    QWidget* control = window->control(id);
    if (auto* combo = qobject_cast<QComboBox*>(control))
        return FromQString(combo->currentText());
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return FromQString(button->text());
    if (auto* spin = qobject_cast<QSpinBox*>(control))
        return FromQString(spin->text());
    if (auto* view = qobject_cast<ReceiveViewWidget*>(control))
        return view->text();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(control)) {
        QString text = edit->document()->toRawText();
        text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
        text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
        return FromQString(text);
    }
    return {};
}

namespace {

void SetComboText(DropDownComboWidget* combo, const std::string& text) {
    if (combo->isEditable()) {
        combo->setCurrentIndex(kNoEntry);
        combo->setEditText(ToQString(text));
        return;
    }
    std::vector<std::string> entries;
    for (int i = 0; i < combo->count(); ++i)
        entries.push_back(FromQString(combo->itemText(i)));
    if (const std::optional<int> entry = EntryForText(entries, text))
        combo->setCurrentIndex(*entry);
}

} // namespace

void SetText(ControlId id, const std::string& text) {
    QWidget* control = window->control(id);
    if (auto* combo = qobject_cast<DropDownComboWidget*>(control)) {
        combo->changeByProgram([&] { SetComboText(combo, text); });
        return;
    }
    const QSignalBlocker blocker(control);
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(ToQString(text));
    else if (auto* spin = qobject_cast<QSpinBox*>(control))
        spin->setValue(ToQString(text).toInt());
    else if (auto* view = qobject_cast<ReceiveViewWidget*>(control)) {
        view->clear();
        view->appendText(text);
    } else if (auto* edit = qobject_cast<QPlainTextEdit*>(control))
        edit->setPlainText(ToQString(text));
}

void AddItem(ControlId id, const std::string& text) {
    DropDownComboWidget* combo = window->combo(id);
    combo->changeByProgram([&] {
        const int selected = combo->currentIndex();
        const QString editText = combo->currentText();
        combo->addItem(ToQString(text));
        // Adding must not select anything by itself.
        combo->setCurrentIndex(selected);
        if (combo->isEditable())
            combo->setEditText(editText);
    });
}

void SetItemDescriber(ControlId id, ItemDescription (*describe)(const std::string& entry)) {
    DropDownComboWidget* combo = window->combo(id);
    combo->setDescriber(describe);
    QAbstractItemDelegate* previous = combo->view()->itemDelegate();
    combo->view()->setItemDelegate(new ItemDescriptionDelegate(describe, combo));
    // A describer replaced must no longer refresh the list.
    if (dynamic_cast<ItemDescriptionDelegate*>(previous))
        delete previous;
    combo->view()->setMinimumWidth(kDescribedListWidth);
}

int GetSpinValue(ControlId) {
    return window->spin()->value();
}

void SetSpinValue(ControlId, int value) {
    const QSignalBlocker blocker(window->spin());
    window->spin()->setValue(value);
}

int GetSplitterPosition() {
    return window->splitter()->position();
}

void SetSplitterPosition(int position) {
    window->splitter()->setPosition(position);
}

void SetSplitterMinimumSizes(int upper, int lower) {
    window->splitter()->setMinimumSizes(upper, lower);
}

void AppendToView(ControlId id, const std::string& text) {
    if (auto* view = qobject_cast<ReceiveViewWidget*>(window->control(id)))
        view->appendText(text);
}

// Where the corner cannot be known, the one last asked for stands in for it: the settings then
// keep the place they gave instead of one that was never read.
WindowPlacement GetWindowPlacement() {
    const QPoint corner = CornerIsKnown() ? window->frameGeometry().topLeft() : askedCorner;
    return {corner.x(), corner.y(), window->width(), window->height()};
}

void PlaceWindow(const WindowPlacement& placement) {
    auto pick = [](int wanted, int current) { return wanted == kKeepPlacement ? current : wanted; };
    const QPoint corner = window->frameGeometry().topLeft();
    window->move(pick(placement.x, corner.x()), pick(placement.y, corner.y()));
    window->resize(pick(placement.width, window->width()),
                   pick(placement.height, window->height()));
    askedCorner = QPoint(pick(placement.x, askedCorner.x()), pick(placement.y, askedCorner.y()));
}

void ApplyLayout() {
    window->applyLayout();
}

void SetTitle(const std::string& title) {
    window->setWindowTitle(ToQString(title));
}

void ShowMessage(const std::string& text) {
    ModalDialogGuard guard;
    QMessageBox box(QMessageBox::NoIcon, QString(), ToQString(text), QMessageBox::Ok,
                    guard.owner());
    ShowEmptyTitle(&box);
    box.exec();
}
