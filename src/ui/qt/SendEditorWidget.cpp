#include "ui/qt/SendEditorWidget.h"

#include <QKeyEvent>
#include <QMimeData>

SendEditorWidget::SendEditorWidget(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
}

void SendEditorWidget::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    // Alt+Enter types nothing, as on Windows, where it only makes a system character.
    if (modifiers & (Qt::AltModifier | Qt::MetaModifier)) {
        event->ignore();
        return;
    }
    // Every other Enter breaks the line for real: Shift+Enter would otherwise make a soft
    // break within the paragraph, and Ctrl+Enter nothing at all.
    QKeyEvent plainEnter(QEvent::KeyPress, event->key(), modifiers & Qt::KeypadModifier,
                         QStringLiteral("\r"), event->isAutoRepeat());
    QPlainTextEdit::keyPressEvent(&plainEnter);
    event->setAccepted(plainEnter.isAccepted());
    // Ctrl+Enter only breaks the line; the other Enters also send the line just ended.
    if (!(modifiers & Qt::ControlModifier) && enterHook_)
        enterHook_();
}

void SendEditorWidget::insertFromMimeData(const QMimeData* source) {
    // Qt 6.4 reads the first format offered without looking whether there is one, and a
    // clipboard without an owner, or with one that does not answer, offers none.
    if (source && !source->formats().isEmpty())
        QPlainTextEdit::insertFromMimeData(source);
}
