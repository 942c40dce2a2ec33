#include "ui/qt/ModalDialogGuard.h"

#include <QApplication>
#include <QWindow>

bool IsStayingOnTop(QWidget* window) {
    return window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void SetStayOnTop(QWidget* window, bool onTop) {
    if (IsStayingOnTop(window) == onTop)
        return;
    // Changing the widget's flags would hide and re-create a shown native window; the QWindow
    // can change its band in place. Both are kept in step so later reads agree.
    QWindow* native = window->windowHandle();
    const bool shown = native && window->isVisible();
    if (shown) {
        native->setFlag(Qt::WindowStaysOnTopHint, onTop);
        window->overrideWindowFlags(native->flags());
    } else {
        window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    }
}

ModalDialogGuard::ModalDialogGuard() {
    QWidget* foreground = QApplication::activeWindow();
    owner_ = foreground;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible())
            continue;
        Remembered entry{window, false, IsStayingOnTop(window)};
        if (window->isEnabled() && window != foreground) {
            window->setEnabled(false);
            entry.disabled = true;
        }
        if (entry.topmost)
            SetStayOnTop(window, false);
        windows_.push_back(entry);
    }
}

ModalDialogGuard::~ModalDialogGuard() {
    for (const Remembered& entry : windows_) {
        if (!entry.window)
            continue;
        if (entry.disabled)
            entry.window->setEnabled(true);
        if (entry.topmost)
            SetStayOnTop(entry.window, true);
    }
}
