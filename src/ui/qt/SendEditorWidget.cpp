#include "ui/qt/SendEditorWidget.h"

#include <QKeyEvent>

SendEditorWidget::SendEditorWidget(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
}

void SendEditorWidget::keyPressEvent(QKeyEvent* event) {
    QPlainTextEdit::keyPressEvent(event);
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && enterHook_)
        enterHook_();
}
